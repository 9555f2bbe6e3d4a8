// "New clone" and "Delete clone" on a real armed master.
#include <gtest/gtest.h>

#include "db/CurrentRow.h"
#include "CloneFixture.h"
#include "clone/Operations.h"

using namespace quorvel;
using test::CloneFixture;

namespace {

class CloneRegistryTest : public CloneFixture {
protected:
    int64_t numberOf(const std::string& name) {
        return integerOn(dm.UserDB(), "select Number from R$CLONE where Name = \"" + name + "\"");
    }
    int64_t cloneRows() { return integerOn(dm.UserDB(), "select count(*) from R$CLONE"); }
};

TEST_F(CloneRegistryTest, NumbersFollowTheHighestAndAreReusedOnceItIsDeleted) {
    registerClone("EAST", "3", "500");
    registerClone("WEST", "5", "0");
    EXPECT_EQ(numberOf("EAST"), 1);
    EXPECT_EQ(numberOf("WEST"), 2);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    // The list was reopened and shows the new clone as the current row.
    EXPECT_EQ(dm.QClone.fieldByName("Name").asString(), "WEST");
    EXPECT_EQ(dm.QClone.fieldByName("MaxValue1").asInteger(), 5);
    EXPECT_EQ(dm.QClone.fieldByName("ME").asString(), "N");

    selectClone("WEST");
    ui.confirmAnswers.push_back(true);
    clone::DelClone(dm, ui, currentValue(dm.QClone, "Name"));
    EXPECT_EQ(ui.questions.back(), "Delete now?");
    EXPECT_EQ(ui.statusHistory, (std::vector<std::string>{"working", "ok"}));

    registerClone("NORTH", "7", "0");
    EXPECT_EQ(numberOf("NORTH"), 2);
    EXPECT_EQ(numberOf("WEST"), 0) << "WEST is gone";
}

TEST_F(CloneRegistryTest, NumbersThatAreNotIntegersKeepTheDialogOpenOnTheirEdit) {
    ui.cloneAnswers.push_back(Frontend::CloneEntry{"EAST", "3", "12a"});
    ui.cloneAnswers.push_back(Frontend::CloneEntry{"EAST", "2147483648", "12"});
    ui.cloneAnswers.push_back(Frontend::CloneEntry{"EAST", " 3", "-12"});
    clone::NewClone(dm, ui);

    EXPECT_EQ(ui.cloneDialogRefusals, (std::vector<std::string>{"EditMaxValue2", "EditMaxValue1"}));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Invalid number", "Invalid number"}));
    // Only the third typing was written; the leading blank passes.
    EXPECT_EQ(cloneRows(), 2);
    EXPECT_EQ(integerOn(dm.UserDB(), "select MaxValue1 from R$CLONE where Name = \"EAST\""), 3);
    EXPECT_EQ(integerOn(dm.UserDB(), "select MaxValue2 from R$CLONE where Name = \"EAST\""), -12);
}

// Two sites with overlapping ranges would draw the same record codes.
TEST_F(CloneRegistryTest, ABoundThatDoesNotRiseAboveEveryRegisteredOneIsRefused) {
    struct Case {
        const char *max1, *max2, *highest;
    };
    const Case before[] = {{"0", "1999999999", "(0, 2000000000), where the range of MASTER ends"},
                           {"0", "2000000000", "(0, 2000000000), where the range of MASTER ends"}};
    const Case after[] = {{"1", "0", "(1, 1000000000), where the range of EAST ends"},
                          {" 1", "1000000000", "(1, 1000000000), where the range of EAST ends"},
                          {"0", "2000000000", "(1, 1000000000), where the range of EAST ends"}};
    auto refused = [&](const Case& c) {
        SCOPED_TRACE(std::string(c.max1) + ", " + c.max2);
        ui.messages.clear();
        const Outcome o = clone::RegisterClone(dm, ui, {"WEST", c.max1, c.max2});
        EXPECT_EQ(o.kind(), Outcome::Kind::Refused);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.lastMessage().find(c.highest), std::string::npos) << ui.lastMessage();
        EXPECT_NE(ui.lastMessage().find("Nothing was registered"), std::string::npos);
    };
    for (const Case& c : before) refused(c);
    registerClone("EAST", "1", "1000000000");
    for (const Case& c : after) refused(c);
    EXPECT_EQ(cloneRows(), 2);
    EXPECT_FALSE(dm.UserDB().inTransaction());

    // The dialog stays open on the first bound; a bound above goes through.
    ui.cloneAnswers.push_back(Frontend::CloneEntry{"WEST", "1", "5"});
    ui.cloneAnswers.push_back(Frontend::CloneEntry{"WEST", "1", "1000000001"});
    clone::NewClone(dm, ui);
    EXPECT_EQ(ui.cloneDialogRefusals, std::vector<std::string>{"EditMaxValue1"});
    EXPECT_EQ(numberOf("WEST"), 2);
}

TEST_F(CloneRegistryTest, ARegisteredNameIsRefusedByTheKeyWithTheServersText) {
    registerClone("EAST", "3", "500");
    registerClone("EAST", "4", "0");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.lastMessage().find("PRIMARY or UNIQUE KEY"), std::string::npos) << ui.lastMessage();
    EXPECT_EQ(cloneRows(), 2);
    EXPECT_EQ(numberOf("EAST"), 1);
    EXPECT_TRUE(dm.QClone.active());
    EXPECT_FALSE(dm.UserDB().inTransaction());
}

TEST_F(CloneRegistryTest, DoubleQuotesInANameStayInsideTheLiteral) {
    const std::string name = "Bob's \"Best\"";
    registerClone(name, "1", "0");
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(dm.QClone.fieldByName("Name").asString(), name);
    EXPECT_EQ(cloneRows(), 2);

    ui.confirmAnswers.push_back(true);
    clone::DelClone(dm, ui, currentValue(dm.QClone, "Name"));
    EXPECT_EQ(cloneRows(), 1);
}

TEST_F(CloneRegistryTest, CancelAndNoLeaveTheRegistryAsItWas) {
    ui.cloneAnswers.push_back(std::nullopt);
    clone::NewClone(dm, ui);
    EXPECT_EQ(cloneRows(), 1);

    selectClone("MASTER");
    ui.confirmAnswers.push_back(false);
    clone::DelClone(dm, ui, currentValue(dm.QClone, "Name"));
    EXPECT_EQ(cloneRows(), 1);
    EXPECT_TRUE(ui.statusHistory.empty());
}

TEST_F(CloneRegistryTest, DeletingFromAnEmptyListSaysSo) {
    dm.Q6Exec("delete from R$CLONE");
    dm.ReopenClone();
    clone::DelClone(dm, ui, currentValue(dm.QClone, "Name"));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"List is empty!"}));
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(CloneRegistryTest, NoWorkingTablesOrNoTriggersStopBeforeTheDialog) {
    dm.Q6Exec("delete from R$WORKINGTABLES");
    ui.cloneAnswers.push_back(Frontend::CloneEntry{"EAST", "3", "500"});
    clone::NewClone(dm, ui);
    EXPECT_EQ(ui.lastMessage(), "There are no tables for cloning!");

    dm.Q6Exec("insert into R$WORKINGTABLES values (\"CUSTOMER\")");
    for (const char* t : {"R$1", "R$2", "R$3"}) dm.Q6Exec(std::string("drop trigger ") + t);
    clone::NewClone(dm, ui);
    EXPECT_EQ(ui.lastMessage(), "There are no triggers for working tables!");

    EXPECT_EQ(ui.cloneAnswers.size(), 1u) << "the dialog was never shown";
    EXPECT_EQ(cloneRows(), 1);
}

}  // namespace

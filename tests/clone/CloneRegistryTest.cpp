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

TEST_F(CloneRegistryTest, NumbersFollowTheHighestAndAreNeverGivenOutAgain) {
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
    EXPECT_TRUE(deleteSelected().isDone());
    EXPECT_EQ(ui.questions.back().rfind("Delete the clone WEST (number 2, record codes up to (5, 0))?", 0), 0u)
        << ui.questions.back();
    EXPECT_TRUE(ui.questions.back().ends_with("\n\nDelete now?"));
    EXPECT_EQ(ui.steps.back(), "Delete clone WEST");

    registerClone("NORTH", "7", "0");
    EXPECT_EQ(numberOf("NORTH"), 3);
    EXPECT_EQ(numberOf("WEST"), 0) << "WEST's name is free";
    EXPECT_EQ(numberOf("~2 WEST"), 2) << "its number and range retired";
}

TEST_F(CloneRegistryTest, NumbersThatAreNotIntegersKeepTheDialogOpenOnTheirEdit) {
    EXPECT_TRUE(newClone({clone::CloneEntry{"EAST", "3", "12a"}, clone::CloneEntry{"EAST", "2147483648", "12"},
                          clone::CloneEntry{"EAST", " 3", "-12"}})
                    .isDone());

    EXPECT_EQ(refusedParts, (std::vector<clone::EntryPart>{clone::EntryPart::MaxValue2, clone::EntryPart::MaxValue1}));
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
        const clone::Registration r = clone::RegisterClone(dm.UserDB(), {"WEST", c.max1, c.max2}, ui);
        EXPECT_EQ(r.outcome.kind(), Outcome::Kind::Refused);
        EXPECT_EQ(r.refused, clone::EntryPart::MaxValue1);
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
    newClone({clone::CloneEntry{"WEST", "1", "5"}, clone::CloneEntry{"WEST", "1", "1001000000"}});
    EXPECT_EQ(refusedParts, std::vector<clone::EntryPart>{clone::EntryPart::MaxValue1});
    EXPECT_EQ(numberOf("WEST"), 2);

    // A range of fewer than a million codes runs out at once.
    ui.messages.clear();
    EXPECT_EQ(clone::RegisterClone(dm.UserDB(), {"NORTH", "1", "1001999999"}, ui).outcome.kind(),
              Outcome::Kind::Refused);
    EXPECT_EQ(ui.lastMessage(), "The range from (1, 1001000001) to (1, 1001999999) holds 999999 codes: a site needs "
                                "at least 1000000. Give a higher bound. Nothing was registered.");
}

TEST_F(CloneRegistryTest, AClonesRegistryTakesNoClone) {
    dm.UserDB().execute("update R$CLONE set ME = 'N'");
    dm.UserDB().execute("insert into R$CLONE values ('EAST', 1, 1, 1000000000, 'Y')");
    const clone::Registration r = clone::RegisterClone(dm.UserDB(), {"WEST", "2", "0"}, ui);
    EXPECT_EQ(r.outcome.kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.lastMessage(),
              "The local database is the clone EAST: clones are registered at the master. Nothing was registered.");
    EXPECT_EQ(cloneRows(), 2);
}

TEST_F(CloneRegistryTest, ARegisteredNameIsRefusedAsSuchOnTheName) {
    registerClone("EAST", "3", "500");
    const clone::Registration again = clone::RegisterClone(dm.UserDB(), {"EAST", "4", "0"}, ui);
    EXPECT_EQ(again.outcome.kind(), Outcome::Kind::Refused);
    EXPECT_EQ(again.refused, clone::EntryPart::Name);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastMessage(), "A site named EAST is registered already (number 1): give the new clone another name. "
                                "Nothing was registered.");
    EXPECT_EQ(cloneRows(), 2);
    EXPECT_EQ(numberOf("EAST"), 1);
    EXPECT_TRUE(dm.QClone.active());
    EXPECT_FALSE(dm.UserDB().inTransaction());
}

TEST_F(CloneRegistryTest, DoubleQuotesInANameStayInsideTheLiteral) {
    const std::string name = "Bob's \"Best\"";
    registerClone(name, "1", "1000000000");
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(dm.QClone.fieldByName("Name").asString(), name);
    EXPECT_EQ(cloneRows(), 2);

    ui.confirmAnswers.push_back(true);
    EXPECT_TRUE(deleteSelected().isDone());
    EXPECT_EQ(integerOn(dm.UserDB(), "select count(*) from R$CLONE where ME = 'R' and Name = '~1 Bob''s \"Best\"'"), 1);
}

TEST_F(CloneRegistryTest, CancelAndNoLeaveTheRegistryAsItWas) {
    EXPECT_EQ(newClone({std::nullopt}).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(cloneRows(), 1);

    selectClone("MASTER");
    EXPECT_EQ(deleteSelected().kind(), Outcome::Kind::Refused) << "the master is no clone";
    registerClone("EAST", "3", "500");
    ui.steps.clear();
    selectClone("EAST");
    ui.confirmAnswers.push_back(false);
    EXPECT_EQ(deleteSelected().kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(numberOf("EAST"), 1);
    EXPECT_TRUE(ui.steps.empty()) << "no work began";
}

TEST_F(CloneRegistryTest, DeletingFromAnEmptyListSaysSo) {
    dm.Q6Exec("delete from R$CLONE");
    dm.ReopenClone();
    EXPECT_EQ(deleteSelected().kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"List is empty!"}));
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(CloneRegistryTest, NoWorkingTablesOrNoTriggersStopBeforeTheDialog) {
    dm.Q6Exec("delete from R$WORKINGTABLES");
    EXPECT_EQ(newClone({clone::CloneEntry{"EAST", "3", "500"}}).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.lastMessage(), "There are no tables for cloning!");
    // The operation refuses by itself too, when it is called without the check.
    EXPECT_EQ(clone::RegisterClone(dm.UserDB(), {"EAST", "3", "500"}, ui).outcome.kind(), Outcome::Kind::Refused);

    dm.Q6Exec("insert into R$WORKINGTABLES values (\"CUSTOMER\")");
    for (const char* t : {"R$1", "R$2", "R$3"}) dm.Q6Exec(std::string("drop trigger ") + t);
    EXPECT_EQ(newClone({clone::CloneEntry{"EAST", "3", "500"}}).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.lastMessage(), "There are no triggers for working tables!");
    EXPECT_EQ(cloneRows(), 1);
}

}  // namespace

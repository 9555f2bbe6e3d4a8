// "Update CLONE's data" refuses a database that is not a fresh copy of the
// master: the master itself, or a copy that has been updated already.
#include <gtest/gtest.h>

#include <filesystem>

#include "CloneFixture.h"
#include "clone/Operations.h"
#include "engine/Aliases.h"

using namespace quorvel;
using test::CloneFixture;

namespace {

class UpdateTargetTest : public CloneFixture {
protected:
    void expectRefusedMentioning(const std::string& words) {
        EXPECT_FALSE(last.isDone());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.lastMessage().find(words), std::string::npos) << ui.lastMessage();
        EXPECT_FALSE(dm.CloneDB().inTransaction());
    }
    std::string identity(engine::Database& db) { return textOn(db, "select Name from R$CLONE where ME = \"Y\""); }
};

TEST_F(UpdateTargetTest, TheMasterReachedThroughAnotherNameIsNotMadeAClone) {
    registerClone("WEST", "1", "1000000000");
    // Another alias, through a link: the same file all the same.
    std::filesystem::create_symlink(masterPath, ws.path("linked.fdb"));
    engine::Aliases::add("SAMEFILE", ws.path("linked.fdb"));
    test::Workspace::connect(dm.CloneDB(), "SAMEFILE");
    selectClone("WEST");
    updateSelected();

    expectRefusedMentioning("the master database itself");
    EXPECT_EQ(identity(dm.UserDB()), "MASTER");
    EXPECT_EQ(generator(dm.UserDB(), "R$GEN1"), 0);
    EXPECT_EQ(generator(dm.UserDB(), "R$GEN2"), 1);
    EXPECT_EQ(generator(dm.UserDB(), "GEN_CUST"), 52);
    EXPECT_EQ(generator(dm.UserDB(), "GEN_ORDER"), 7);
}

TEST_F(UpdateTargetTest, ACopyUpdatedOnceIsNotUpdatedAgain) {
    registerClone("EAST", "3", "500");
    registerClone("WEST", "5", "0");
    restoreCloneDatabase("CLONEDB");
    selectClone("EAST");
    updateSelected();
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage();
    ASSERT_EQ(generator(dm.CloneDB(), "GEN_CUST"), 152);
    ASSERT_EQ(generator(dm.CloneDB(), "R$GEN1"), 1);

    // Again as the same clone, and as the next one.
    for (const char* target : {"EAST", "WEST"}) {
        SCOPED_TRACE(target);
        ui.messages.clear();
        selectClone(target);
        updateSelected();

        expectRefusedMentioning("updated already: it is the clone EAST");
        EXPECT_EQ(identity(dm.CloneDB()), "EAST");
        EXPECT_EQ(generator(dm.CloneDB(), "R$GEN1"), 1);
        EXPECT_EQ(generator(dm.CloneDB(), "R$GEN2"), 0);
        EXPECT_EQ(generator(dm.CloneDB(), "GEN_CUST"), 152);
        EXPECT_EQ(generator(dm.CloneDB(), "GEN_ORDER"), 17);
    }
}

}  // namespace

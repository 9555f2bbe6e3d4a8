// The exchange between a master and two clones made with make-clone, in the
// orders that broke the exchange of one master and one clone: a change passes
// from one clone to the other through the master; an entry resent until
// acknowledged does not undo a later update that came round; a clone's edit
// made after it read the master's version stands; a file filled twice, or
// "Success" before the clone read, loses nothing; an older fill and a fill of
// a site that is no peer are refused.
#include <gtest/gtest.h>

#include "cli/Help.h"
#include "TemplateSitesTest.h"
#include "engine/Aliases.h"
#include "support/Workspace.h"

namespace quorvel::test {

using namespace exchange;

namespace {

class SitesRulesTest : public TemplateSitesTest {
protected:
    void SetUp() override {
        TemplateSitesTest::SetUp();
        if (HasFatalFailure()) return;
        copyFile(ws.path("sm.fdb"), ws.path("se.fdb"));
        engine::Aliases::add("SE", ws.path("se.fdb"));
        const CliRun made = cli({"--local", "M", "make-clone", "EAST", "--max1", "2", "--max2", "1000000000",
                                 ws.path("east.fdb")});
        ASSERT_EQ(made.status, 0) << made.text();
        engine::Aliases::add("E", ws.path("east.fdb"));
    }
    static std::string outOf(const std::string& site) { return "S" + site; }
    void fill(const std::string& site) {
        const CliRun r = cli({"--local", site, "--synchro", outOf(site), "fill"});
        ASSERT_EQ(r.status, 0) << site << " fill: " << r.text();
    }
    CliRun tryRead(const std::string& reader, const std::string& sender) {
        return cli({"--local", reader, "--synchro", outOf(sender), "read", "--switch-triggers"});
    }
    void read(const std::string& reader, const std::string& sender) {
        const CliRun r = tryRead(reader, sender);
        ASSERT_EQ(r.status, 0) << reader << " reads " << sender << ": " << r.text();
    }
    // Both clones fill, the master reads both, fills, both clones read: twice.
    void fullRounds() {
        for (int k = 0; k < 2; ++k) {
            for (const char* c : {"W", "E"}) fill(c);
            for (const char* c : {"W", "E"}) read("M", c);
            fill("M");
            for (const char* c : {"W", "E"}) read(c, "M");
        }
    }
    std::vector<std::string> cityEverywhere(int id) {
        std::vector<std::string> out;
        for (const char* site : {"M", "W", "E"})
            out.push_back(column(site, "select CITY from CUSTOMER where ID = " + std::to_string(id))[0]);
        return out;
    }
    static void update(const std::string& site, int id, const std::string& city) {
        sql(site, {"update CUSTOMER set CITY = '" + city + "' where ID = " + std::to_string(id)});
    }

};

}  // namespace

TEST_F(SitesRulesTest, AChangeTravelsToTheOtherCloneAndAResentEntryDoesNotUndoALaterUpdate) {
    update("W", 1, "west");
    fill("W");
    read("M", "W");
    fill("M");
    read("E", "M");
    EXPECT_EQ(column("E", "select CITY from CUSTOMER where ID = 1"), std::vector<std::string>{"west"});

    // EAST edits the row after it received WEST's version, and its entry
    // goes once the master has read it; WEST, which has read nothing since,
    // fills again and its old entry comes once more.
    update("E", 1, "east, later");
    fill("E");
    read("M", "E");
    fill("M");
    read("E", "M");
    fill("E");
    read("M", "E");
    fill("W");
    read("M", "W");
    fullRounds();
    EXPECT_EQ(cityEverywhere(1), (std::vector<std::string>{"east, later", "east, later", "east, later"}));
}

TEST_F(SitesRulesTest, AClonesEditAfterItReadTheMastersVersionStandsAndConcurrentOnesGiveWayToTheMaster) {
    update("M", 2, "master");
    update("M", 3, "master, concurrent");
    update("E", 3, "east, concurrent");
    fill("M");
    read("W", "M");
    update("W", 2, "west, later");
    fullRounds();
    EXPECT_EQ(cityEverywhere(2), (std::vector<std::string>{"west, later", "west, later", "west, later"}));
    EXPECT_EQ(cityEverywhere(3),
              (std::vector<std::string>{"master, concurrent", "master, concurrent", "master, concurrent"}));
}

TEST_F(SitesRulesTest, AFileFilledTwiceOrSuccessBeforeTheReadLosesNothing) {
    sql("W", {"insert into TAG (CODE, LABEL) values ('W1', 'first fill')"});
    fill("W");
    sql("W", {"insert into TAG (CODE, LABEL) values ('W2', 'second fill')"});
    fill("W");  // over the first, which nobody read
    read("M", "W");
    EXPECT_EQ(column("M", "select CODE from TAG where CODE starting with 'W' order by 1"),
              (std::vector<std::string>{"W1", "W2"}));

    update("M", 4, "master");
    fill("M");
    const CliRun success = cli({"--local", "M", "success"});
    ASSERT_EQ(success.status, 0) << success.text();
    fill("M");  // over the file the clones had not read
    read("E", "M");
    EXPECT_EQ(column("E", "select CITY from CUSTOMER where ID = 4"), std::vector<std::string>{"master"});
}

TEST_F(SitesRulesTest, AnOlderFillAndAFillOfASiteThatIsNoPeerAreRefusedChangingNothing) {
    fill("M");
    read("W", "M");
    const Dump before = dump("W", true);
    const CliRun again = tryRead("W", "M");
    EXPECT_EQ(again.status, quorvel::cli::kExitRefused);
    EXPECT_NE(again.err.find("holds the master's fill no."), std::string::npos) << again.text();
    EXPECT_NE(again.err.find("a fill not newer than the last one read is not read again"), std::string::npos);
    EXPECT_EQ(dump("W", true), before);

    fill("W");
    const CliRun other = tryRead("E", "W");
    EXPECT_EQ(other.status, quorvel::cli::kExitRefused);
    EXPECT_NE(other.err.find("which is no peer of this site"), std::string::npos) << other.text();
}

}  // namespace quorvel::test

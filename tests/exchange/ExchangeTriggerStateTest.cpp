// The states a killed trigger switching leaves behind (the kill test of the
// read meets both), set up directly: the next read must neither run with
// some of an earlier version's triggers on nor leave any of them off for
// good; and the renewal that makes the switch unneeded.
#include <gtest/gtest.h>

#include "cli/Help.h"
#include "TemplateSitesTest.h"
#include "support/EarlierTriggers.h"
#include "support/Workspace.h"
#include "support/ToolObjects.h"

using namespace quorvel::test;
using namespace quorvel::test::exchange;

namespace {

class ExchangeTriggerStateTest : public TemplateSitesTest {
protected:
    void SetUp() override {
        TemplateSitesTest::SetUp();
        if (HasFatalFailure()) return;
        // A new customer and a changed one travel from the master.
        sql("M", {"insert into CUSTOMER (ID, NAME, CITY) values (gen_id(GEN_CUSTOMER, 1), 'Newcomer', 'Oslo')",
                  "update CUSTOMER set CITY = 'Bergen' where ID = 2"});
        const CliRun fill = cli({"--local", "M", "--synchro", "SM", "fill"});
        ASSERT_EQ(fill.status, 0) << fill.text();
    }
    static std::vector<std::string> customerTriggers() {
        return column("W", "select RDB$Trigger_Name from RDB$Triggers where RDB$Relation_Name = 'CUSTOMER' "
                           "and RDB$Trigger_Name starting with 'R$' order by 1");
    }
};

// An activation killed part-way: R$Trig still says "off", the customer
// triggers are on again. A read now would give the new customer a code of
// this site's own and journal its updates as local changes.
TEST_F(ExchangeTriggerStateTest, AReadRefusesWhileAnEarlierToolTriggerIsOnWhateverTheSwitchSays) {
    sql("W", earlierArming(column("W", kToolTriggerRows)));
    ASSERT_EQ(cli({"--local", "W", "triggers-inactive"}).status, 0);
    std::vector<std::string> on;
    for (const std::string& t : customerTriggers()) on.push_back("alter trigger " + t + " active");
    sql("W", on);
    const Dump before = dump("W", true);

    const CliRun r = cli({"--local", "W", "--synchro", "SM", "read"});
    EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << r.text();
    EXPECT_NE(r.err.find("of an earlier version and active"), std::string::npos) << r.text();
    EXPECT_EQ(differences(before, dump("W", true), "before", "after"), "");

    // Switching them off first reads the master's rows with the master's codes.
    const CliRun switched = cli({"--local", "W", "--synchro", "SM", "read", "--switch-triggers"});
    ASSERT_EQ(switched.status, 0) << switched.text();
    EXPECT_EQ(differences(dump("M"), dump("W"), "master", "clone"), "");
}

// A deactivation killed part-way: R$Trig still says "on", one trigger is
// off. The next read with --switch-triggers must switch it on again
// afterwards, not take it for one the user switched off.
TEST_F(ExchangeTriggerStateTest, AReadAfterADeactivationCutShortLeavesNoToolTriggerOff) {
    const std::vector<std::string> triggers = customerTriggers();
    ASSERT_FALSE(triggers.empty());
    sql("W", {"alter trigger " + triggers[0] + " inactive"});

    const CliRun r = cli({"--local", "W", "--synchro", "SM", "read", "--switch-triggers"});
    ASSERT_EQ(r.status, 0) << r.text();
    EXPECT_EQ(inactiveToolTriggers("W"), std::vector<std::string>{});
}

// Renewed in place, an earlier arming keeps every code (the master's copies
// still match) and reads with the triggers on: nothing it applies is
// renumbered or journaled, while a user's change beside it still is.
TEST_F(ExchangeTriggerStateTest, RenewedTriggersLetAReadRunWithTheTriggersOn) {
    sql("W", earlierArming(column("W", kToolTriggerRows)));
    EXPECT_NE(cli({"--local", "W", "status"}).out.find("Replication triggers: of an earlier version"),
              std::string::npos);
    const Dump before = dump("W", true);
    const CliRun renew = cli({"--local", "W", "renew-triggers"});
    ASSERT_EQ(renew.status, 0) << renew.text();
    EXPECT_EQ(differences(before, dump("W", true), "before", "after"), "");
    EXPECT_NE(cli({"--local", "W", "status"}).out.find("Replication triggers: they skip the read's own changes"),
              std::string::npos);

    const CliRun read = cli({"--local", "W", "--synchro", "SM", "read", "--yes"});
    ASSERT_EQ(read.status, 0) << read.text();
    EXPECT_EQ(differences(dump("M"), dump("W"), "master", "clone"), "");
    EXPECT_EQ(integer("W", "select count(*) from " + kWholeJournal + " J"), 0);
    sql("W", {"update CUSTOMER set CITY = 'Tromso' where ID = 2", "update CUSTOMER set CITY = 'Narvik' where ID = 2"});
    EXPECT_EQ(integer("W", "select count(*) from " + kWholeJournal + " J where Operation = 'U'"), 2);
}

}  // namespace

// Rows keyed by a timestamp taken from 'NOW' (with its fraction of a second)
// and by an 18-digit NUMERIC travel from the master to a clone, inserted by
// one fill and read and updated by the next; the collision tools find them
// by the key as the operator types it.
#include <regex>

#include "support/ExchangeFixture.h"
#include "synchro/Operations.h"

namespace quorvel::test {

namespace {

const char* const kStamped = R"(
CREATE TABLE STAMPED (K DATE NOT NULL PRIMARY KEY, V VARCHAR(20), R$CODE1 INTEGER, R$CODE2 INTEGER);
CREATE INDEX R$STAMPED_CODES ON STAMPED (R$CODE1, R$CODE2);
COMMIT;
)";
// NUMERIC(18,2) is a BIGINT only when made in dialect 3.
const char* const kWide = R"(
CREATE TABLE WIDE (K NUMERIC(18,2) NOT NULL PRIMARY KEY, V VARCHAR(20), R$CODE1 INTEGER, R$CODE2 INTEGER);
CREATE INDEX R$WIDE_CODES ON WIDE (R$CODE1, R$CODE2);
COMMIT;
)";
const char* const kWorking = R"(
insert into R$WORKINGTABLES values ("STAMPED");
insert into R$WORKINGTABLES values ("WIDE");
insert into R$TABLEORDER values (2, "STAMPED");
insert into R$TABLEORDER values (3, "WIDE");
COMMIT;
)";
const char* const kWideKey = "1234567890123456.78";

class ExactKeysExchange : public ExchangeTest {
protected:
    // A site (and its synchro database) with both tables.
    void makeSite(const Local& site) {
        makeDatabases(site, std::string(kStamped) + kWorking, kStamped);
        dm.UserDB().disconnect();
        dm.SynchroDB().disconnect();
        Workspace::runInDialect3(localPath, kWide);
        Workspace::runInDialect3(synchroPath, kWide);
        connectBoth();
    }
    void use(const std::string& localDb, const std::string& synchroDb) {
        dm.UserDB().disconnect();
        dm.SynchroDB().disconnect();
        localAlias = localDb;
        synchroAlias = synchroDb;
        connectBoth();
    }
    Outcome fill() {
        ui.confirmAnswers.push_back(true);
        return synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui);
    }
    Outcome read() {
        ui.confirmAnswers.push_back(true);
        return synchro::ReadFromSynchro(dm.UserDB(), dm.SynchroDB(), ui);
    }
    std::vector<std::string> rows() {
        auto r = localRows("select K, V from STAMPED");
        for (const auto& w : localRows("select K, V from WIDE")) r.push_back(w);
        return r;
    }
};

}  // namespace

TEST_F(ExactKeysExchange, RowsKeyedByATimestampFromNowOrAWideNumericAreInsertedUpdatedAndFoundByTheirKey) {
    makeSite({});
    const std::string master = localAlias, out = synchroAlias;
    local("insert into STAMPED values ('NOW', 'first', 0, 5001)");
    local(std::string("insert into WIDE values (") + kWideKey + ", 'first', 0, 5002)");
    const std::string stamp = localRows("select K from STAMPED").at(0);
    // 'NOW' has milliseconds; the text shown carries them (unless they are 0).
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d(\.\d{4})?)"))) << stamp;
    ASSERT_TRUE(fill().isDone()) << ui.messages.back();

    Local clone;
    clone.identity = "WEST";
    clone.bound1 = 1;
    clone.bound2 = 1000000000;
    makeSite(clone);
    const std::string west = localAlias;
    use(west, out);
    ASSERT_TRUE(read().isDone()) << ui.messages.back();
    const std::vector<std::string> first{stamp + "|first", std::string(kWideKey) + "|first"};
    EXPECT_EQ(rows(), first);

    // The master updates both rows: the next fill sends them as updates,
    // which the clone finds by their keys.
    use(master, out);
    local("update STAMPED set V = 'second'");
    local("update WIDE set V = 'second'");
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 5001, 'U', 'STAMPED')");
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 5002, 'U', 'WIDE')");
    ASSERT_TRUE(fill().isDone()) << ui.messages.back();
    use(west, out);
    const std::vector<std::string> second{stamp + "|second", std::string(kWideKey) + "|second"};

    // The keys as shown, typed for the collision tools, find the rows on
    // both sides; neither tool edits the synchro database.
    local("update STAMPED set V = 'local'");
    local("update WIDE set V = 'local'");
    ui.confirmAnswers.push_back(true);
    const Outcome copied = synchro::CopySynchroRow(dm.UserDB(), dm.SynchroDB(), ui, "STAMPED", {stamp});
    ASSERT_TRUE(copied.isDone()) << copied.message();
    ui.confirmAnswers.push_back(true);
    ASSERT_TRUE(synchro::CopySynchroRow(dm.UserDB(), dm.SynchroDB(), ui, "WIDE", {kWideKey}).isDone()) << ui.messages.back();
    EXPECT_EQ(rows(), second);
    ui.confirmAnswers.push_back(true);
    ASSERT_TRUE(synchro::DeleteSynchroRow(dm.UserDB(), dm.SynchroDB(), ui, "STAMPED", {stamp}).isDone()) << ui.messages.back();
    ui.confirmAnswers.push_back(true);
    ASSERT_TRUE(synchro::DeleteSynchroRow(dm.UserDB(), dm.SynchroDB(), ui, "WIDE", {kWideKey}).isDone()) << ui.messages.back();
    EXPECT_EQ(synchroRows("select V from STAMPED"), std::vector<std::string>{"second"});
    EXPECT_EQ(synchroRows("select V from WIDE"), std::vector<std::string>{"second"});
    ASSERT_TRUE(read().isDone()) << ui.messages.back();
    EXPECT_EQ(rows(), second);
}

}  // namespace quorvel::test

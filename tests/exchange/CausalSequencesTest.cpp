// Sequences of three sites in which a change arrives again, or late, or
// beside a later edit, or a collision is settled at one site: the later edit
// stands, and every site ends alike.
#include <gtest/gtest.h>

#include <filesystem>

#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

class CausalSequence : public ExchangeSites {
protected:
    void SetUp() override {
        ExchangeSites::SetUp();
        makeClone();  // WEST
        east = ws.path("east.fdb");
        mustRun({"--local", "Master", "make-clone", "EAST", "--max1", "2", "--max2", "1000000000", east, "--yes"});
        mustRun({"aliases", "add", "East", east});
    }
    // A fresh synchro database of its own for each fill.
    std::string file(const std::string& alias) {
        std::filesystem::copy_file(synchro, ws.path(alias + ".fdb"));
        mustRun({"aliases", "add", alias, ws.path(alias + ".fdb")});
        return alias;
    }
    void fill(const char* site, const std::string& f) { mustRun({"--local", site, "--synchro", f, "fill", "--yes"}); }
    void read(const char* site, const std::string& f) { mustRun({"--local", site, "--synchro", f, "read", "--yes"}); }
    // A read that stops on a collision, settled by `command` (its words after
    // the command name); then the read again.
    void settle(const char* site, const std::string& f, const std::vector<std::string>& command) {
        ASSERT_NE(runCli({"--local", site, "--synchro", f, "read", "--yes"}).status, 0);
        std::vector<std::string> args{"--local", site, "--synchro", f};
        args.insert(args.end(), command.begin(), command.end());
        args.push_back("--yes");
        mustRun(args);
    }
    // Every site holds the same `sql` result.
    void expectAlike(const std::string& sql, const std::string& expected) {
        for (const std::string& db : {master, clone, east}) EXPECT_EQ(value(db, sql), expected) << db << ": " << sql;
    }
    void edit(const std::string& db, const std::string& city) {
        Workspace::runIsql(db, "UPDATE CUSTOMER SET CITY = '" + city + "' WHERE ID = 1; COMMIT;");
    }
    std::string city(const std::string& db) { return value(db, "select CITY from CUSTOMER where ID = 1;"); }
    // Two rounds, each clone first; then every site holds `expected`.
    void expectEverywhereAfterTwoRounds(const std::string& expected) {
        rounds(2);
        for (const std::string& db : {master, clone, east}) EXPECT_EQ(city(db), expected) << db;
    }
    void rounds(int n) {
        for (int round = 0; round < n; ++round) {
            const std::string n = std::to_string(rounds_++);
            const std::string w = file("RW" + n), e = file("RE" + n), m = file("RM" + n);
            fill("Clone", w);
            fill("East", e);
            read("Master", w);
            read("Master", e);
            fill("Master", m);
            read("Clone", m);
            read("East", m);
        }
    }
    int rounds_ = 0;
    std::string east;
};

// WEST fills twice before it hears back; EAST edits the row after the master
// passed WEST's edit on; the master then reads WEST's second fill.
TEST_F(CausalSequence, AResentChangeNeverOutranksALaterEditOfAnotherClone) {
    const std::string first = file("First"), second = file("Second"), m1 = file("M1"), m2 = file("M2");
    edit(clone, "West");
    fill("Clone", first);
    fill("Clone", second);
    read("Master", first);
    fill("Master", m1);
    read("East", m1);
    edit(east, "East, later");
    read("Master", second);
    fill("Master", m2);
    read("East", m2);
    EXPECT_EQ(city(east), "East, later");
    expectEverywhereAfterTwoRounds("East, later");
}

// EAST's edit reaches the master; WEST edits the row (a) and fills, the
// master fills with EAST's version, WEST edits again (b); the master reads a,
// WEST reads the master's fill that still carries EAST's version.
TEST_F(CausalSequence, AClonesLaterEditOutranksAnotherClonesChangeTheMasterPassedOnBeforeReadingIt) {
    const std::string e1 = file("E1"), w1 = file("W1"), m1 = file("M1");
    edit(east, "East");
    fill("East", e1);
    read("Master", e1);
    edit(clone, "West a");
    fill("Clone", w1);
    fill("Master", m1);
    edit(clone, "West b");
    read("Master", w1);
    read("Clone", m1);
    EXPECT_EQ(city(clone), "West b");
    expectEverywhereAfterTwoRounds("West b");
}

// The master deletes customer 1, which WEST's new order refers to, and
// inserts customer 60, which WEST inserted too. WEST settles both in the
// master's file (keeps customer 1, keeps its own values of customer 60);
// EAST reads the same file afterwards.
TEST_F(CausalSequence, SettlingAtOneCloneLeavesTheSharedFileAsItCameAndTheDecisionReachesEverySite) {
    const std::string m1 = file("M1");
    Workspace::runIsql(clone, "INSERT INTO ORDERS (ID, CUSTOMER_ID) VALUES (1, 1); INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (60, 'Kim', 'West'); COMMIT;");
    Workspace::runIsql(master, "DELETE FROM CUSTOMER WHERE ID = 1; INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (60, 'Kim', 'Master'); COMMIT;");
    const std::string code = value(clone, "select R$CODE1 || ' ' || R$CODE2 from CUSTOMER where ID = 1;");
    fill("Master", m1);
    settle("Clone", m1, {"drop-delete-entry", "CUSTOMER", code.substr(0, code.find(' ')), code.substr(code.find(' ') + 1)});
    settle("Clone", m1, {"delete-synchro-row", "CUSTOMER", "60"});
    read("Clone", m1);
    read("East", m1);
    EXPECT_EQ(value(east, "select count(*) from CUSTOMER where ID = 1;"), "0");
    EXPECT_EQ(value(east, "select CITY from CUSTOMER where ID = 60;"), "Master");

    rounds(2);
    expectAlike("select NAME from CUSTOMER where ID = 1;", "Anna");
    expectAlike("select CUSTOMER_ID from ORDERS where ID = 1;", "1");
    expectAlike("select CITY || ' ' || R$CODE1 || ' ' || R$CODE2 from CUSTOMER where ID = 60;",
                value(master, "select 'West ' || R$CODE1 || ' ' || R$CODE2 from CUSTOMER where ID = 60;"));
}

// The master and EAST insert customer 70; the master keeps its own, and
// EAST's read of the master's next fill takes it, record code and values.
// Later edits and the delete of either clone travel.
TEST_F(CausalSequence, ANaturalKeySettledAtTheMasterKeepsOneRecordCode) {
    const std::string e1 = file("E1"), m1 = file("M1");
    Workspace::runIsql(master, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (70, 'Lea', 'Master'); COMMIT;");
    Workspace::runIsql(east, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (70, 'Lea', 'East'); COMMIT;");
    fill("East", e1);
    settle("Master", e1, {"delete-synchro-row", "CUSTOMER", "70"});
    read("Master", e1);
    fill("Master", m1);
    read("East", m1);
    read("Clone", m1);
    const std::string codeAndCity = "select R$CODE1 || ' ' || R$CODE2 || ' ' || CITY from CUSTOMER where ID = 70;";
    const std::string code = value(master, "select R$CODE1 || ' ' || R$CODE2 from CUSTOMER where ID = 70;");
    expectAlike(codeAndCity, code + " Master");

    Workspace::runIsql(east, "UPDATE CUSTOMER SET CITY = 'East, later' WHERE ID = 70; COMMIT;");
    rounds(1);
    expectAlike(codeAndCity, code + " East, later");
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'West, later' WHERE ID = 70; COMMIT;");
    rounds(1);
    expectAlike(codeAndCity, code + " West, later");
    Workspace::runIsql(east, "DELETE FROM CUSTOMER WHERE ID = 70; COMMIT;");
    rounds(1);
    expectAlike("select count(*) from CUSTOMER where ID = 70;", "0");
}

}  // namespace
}  // namespace quorvel::test

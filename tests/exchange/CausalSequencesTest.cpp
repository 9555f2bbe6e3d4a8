// Sequences of three sites in which a change arrives again, or late, or
// beside a later edit: the later edit stands at every site.
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
    void edit(const std::string& db, const std::string& city) {
        Workspace::runIsql(db, "UPDATE CUSTOMER SET CITY = '" + city + "' WHERE ID = 1; COMMIT;");
    }
    std::string city(const std::string& db) { return value(db, "select CITY from CUSTOMER where ID = 1;"); }
    // Two rounds, each clone first; then every site holds `expected`.
    void expectEverywhereAfterTwoRounds(const std::string& expected) {
        for (int round = 0; round < 2; ++round) {
            const std::string w = file("RW" + std::to_string(round)), e = file("RE" + std::to_string(round)),
                              m = file("RM" + std::to_string(round));
            fill("Clone", w);
            fill("East", e);
            read("Master", w);
            read("Master", e);
            fill("Master", m);
            read("Clone", m);
            read("East", m);
        }
        for (const std::string& db : {master, clone, east}) EXPECT_EQ(city(db), expected) << db;
    }
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

}  // namespace
}  // namespace quorvel::test

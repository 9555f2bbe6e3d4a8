// A clone that fills again before it hears back sends its change twice: the
// master takes it once, and an edit another clone made after it stands.
#include <gtest/gtest.h>

#include <filesystem>

#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using ResentChange = ExchangeSites;

TEST_F(ResentChange, NeverOutranksALaterEditOfAnotherClone) {
    makeClone();  // WEST
    const std::string east = ws.path("east.fdb");
    mustRun({"--local", "Master", "make-clone", "EAST", "--max1", "2", "--max2", "1000000000", east, "--yes"});
    mustRun({"aliases", "add", "East", east});
    auto file = [&](const std::string& alias) {
        std::filesystem::copy_file(synchro, ws.path(alias + ".fdb"));
        mustRun({"aliases", "add", alias, ws.path(alias + ".fdb")});
        return alias;
    };
    const std::string first = file("First"), second = file("Second"), m1 = file("M1"), e1 = file("E1"),
                      m2 = file("M2"), e2 = file("E2"), m3 = file("M3");
    auto fill = [&](const char* site, const std::string& f) { mustRun({"--local", site, "--synchro", f, "fill", "--yes"}); };
    auto read = [&](const char* site, const std::string& f) { mustRun({"--local", site, "--synchro", f, "read", "--yes"}); };

    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'West' WHERE ID = 1; COMMIT;");
    fill("Clone", first);
    fill("Clone", second);  // before it hears back
    read("Master", first);
    fill("Master", m1);
    read("East", m1);
    Workspace::runIsql(east, "UPDATE CUSTOMER SET CITY = 'East, later' WHERE ID = 1; COMMIT;");
    read("Master", second);
    fill("Master", m2);
    read("East", m2);
    EXPECT_EQ(value(east, "select CITY from CUSTOMER where ID = 1;"), "East, later");

    // Two rounds: every site holds the later edit.
    fill("East", e1);
    read("Master", e1);
    fill("Master", m3);
    read("Clone", m3);
    read("East", m3);
    fill("East", e2);
    read("Master", e2);
    for (const std::string& db : {master, clone, east})
        EXPECT_EQ(value(db, "select CITY from CUSTOMER where ID = 1;"), "East, later") << db;
}

}  // namespace
}  // namespace quorvel::test

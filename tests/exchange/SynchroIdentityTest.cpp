// The fill and the read know a synchro database by what it is and who filled
// it: the master, a clone, the local file itself or any other database is
// refused before anything changes; a site never reads its own fill; another
// site's unread fill is replaced only when the operator says so; a synchro
// database made by the earlier definition (no R$SENDER) is still used.
#include <gtest/gtest.h>

#include "cli/Help.h"
#include "OperatorSites.h"

using quorvel::test::CliResult;
using quorvel::test::ExchangeSites;
using quorvel::test::runCli;
using quorvel::test::Workspace;

namespace {

class SynchroIdentity : public ExchangeSites {
protected:
    // A change at the clone WEST filled into "Synchro".
    void cloneFills() {
        makeClone();
        Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Westville' WHERE ID = 1; COMMIT;");
        mustRun({"--local", "Clone", "--synchro", "Synchro", "fill"});
    }
    std::string sender() const {
        return value(synchro, "select trim(SITENAME) || '|' || SITENUMBER || '|' || FILLNUMBER from R$SENDER;");
    }
    // "SITENAME|NUMBER|newest history number" of a site, as its fill writes it.
    static std::string expectedSender(const std::string& site) {
        return value(site, "select trim(NAME) || '|' || NUMBER from R$CLONE where ME = 'Y';") + "|" +
               value(site, "select max(SYNCHRONUMBER) from R$SYNCHRO;");
    }
};

TEST_F(SynchroIdentity, AWrongDatabaseIsRefusedBeforeAnythingChanges) {
    makeClone();
    const std::string plain = ws.createDatabase("Plain", "CREATE TABLE T (ID INTEGER); COMMIT;");
    struct Case {
        std::vector<std::string> command;
        std::string local, localPath, target, targetPath, message;
    };
    const Case cases[] = {
        {{"fill"}, "Clone", clone, "Master", master,
         "Master is a replicated database (the master), not a synchro database"},
        {{"fill"}, "Master", master, "Clone", clone,
         "Clone is a replicated database (clone WEST), not a synchro database"},
        {{"fill"}, "Master", master, "Master", master, "Master is the local database itself, not a synchro database"},
        {{"fill"}, "Master", master, "Plain", plain, "Plain is not a synchro database: it has no table R$SYNCHRO"},
        {{"read", "--switch-triggers", "--yes"}, "Master", master, "Clone", clone,
         "Clone is a replicated database (clone WEST), not a synchro database"},
        {{"read", "--switch-triggers", "--yes"}, "Clone", clone, "Clone", clone,
         "Clone is the local database itself, not a synchro database"},
        {{"read", "--switch-triggers", "--yes"}, "Master", master, "Plain", plain,
         "Plain is not a synchro database: it has no table R$SYNCHRO"},
    };
    // The tables that a database of the exchange has, or the plain one's.
    auto snapshot = [&](const std::string& path) {
        return path == plain ? Workspace::isqlOutput(plain, "select count(*) from T;") : contents(path);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command.front() + " " + c.local + " into/from " + c.target);
        const std::string localBefore = contents(c.localPath), targetBefore = snapshot(c.targetPath);
        std::vector<std::string> args = {"--local", c.local, "--synchro", c.target};
        args.insert(args.end(), c.command.begin(), c.command.end());
        const CliResult r = runCli(args);
        EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << r.out << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(contents(c.localPath), localBefore);
        EXPECT_EQ(snapshot(c.targetPath), targetBefore);
    }
}

TEST_F(SynchroIdentity, TheFillSaysWhoFilledAndASiteNeverReadsItsOwnFill) {
    cloneFills();
    EXPECT_EQ(sender(), expectedSender(clone));
    EXPECT_EQ(value(synchro, "select count(*) from R$SENDER where FILLDATE > 'TODAY';"), "1");

    // Edited again after its fill, the clone must keep its edit.
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Eastville' WHERE ID = 1; COMMIT;");
    const std::string cloneBefore = contents(clone);
    const CliResult own = runCli({"--local", "Clone", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});
    EXPECT_EQ(own.status, quorvel::cli::kExitRefused) << own.out << own.err;
    EXPECT_NE(own.err.find("Synchro holds this site's own fill (WEST's fill no."), std::string::npos) << own.err;
    EXPECT_EQ(contents(clone), cloneBefore);

    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Westville");
}

TEST_F(SynchroIdentity, AnotherSitesFillIsReplacedOnlyWhenConfirmed) {
    cloneFills();
    const std::string fillNo = value(clone, "select max(SYNCHRONUMBER) from R$SYNCHRO;");
    const std::string synchroBefore = contents(synchro), masterBefore = contents(master);
    const CliResult declined = runCli({"--local", "Master", "--synchro", "Synchro", "fill"});
    EXPECT_EQ(declined.status, quorvel::cli::kExitRefused) << declined.out << declined.err;
    EXPECT_NE(declined.err.find("It holds WEST's fill no. " + fillNo + ". Replace it? No (no terminal; use --yes)"),
              std::string::npos)
        << declined.err;
    EXPECT_EQ(contents(synchro), synchroBefore);
    EXPECT_EQ(contents(master), masterBefore);
    EXPECT_EQ(sender(), expectedSender(clone));

    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    EXPECT_EQ(sender(), expectedSender(master));
    // Its own fill is replaced without a question.
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill"});
    EXPECT_EQ(sender(), expectedSender(master));
}

// A file or database that a newer Quorvel wrote may hold what this one does
// not know: refused, naming both versions, before anything changes.
TEST_F(SynchroIdentity, WhatANewerQuorvelWroteIsRefusedUntouched) {
    cloneFills();
    Workspace::runIsql(synchro, "UPDATE R$SENDER SET FORMAT = 9; COMMIT;");
    Workspace::runIsql(clone, "UPDATE R$SCHEMA SET VERSION = 15; COMMIT;");
    const std::string newerFile = "This synchro database was written by format 9; this Quorvel reads formats up to 4. "
                                  "Upgrade Quorvel at this site. Nothing was changed.";
    const std::string newerDatabase = "This database's replication objects are of version 15; this Quorvel knows "
                                      "versions up to 14. Upgrade Quorvel at this site. Nothing was changed.";
    const std::string masterBefore = contents(master), cloneBefore = contents(clone), synchroBefore = contents(synchro);
    const struct {
        std::vector<std::string> args;
        const std::string& said;
    } cases[] = {
        {{"--local", "Master", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"}, newerFile},
        {{"--local", "Master", "--synchro", "Synchro", "fill", "--yes"}, newerFile},
        {{"--local", "Clone", "status"}, newerDatabase},
    };
    for (const auto& c : cases) {
        const CliResult r = runCli(c.args);
        EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << r.out << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    EXPECT_EQ(contents(master), masterBefore);
    EXPECT_EQ(contents(clone), cloneBefore);
    EXPECT_EQ(contents(synchro), synchroBefore);
}

TEST_F(SynchroIdentity, ASynchroDatabaseOfTheEarlierDefinitionIsStillUsed) {
    makeClone();
    Workspace::runIsql(synchro, "DROP TABLE R$SENDER; COMMIT;");
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Westville' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill"});
    EXPECT_EQ(sender(), expectedSender(clone)) << "the fill adds the table";

    // Filled by a tool of the earlier definition: nobody is named.
    Workspace::runIsql(synchro, "DROP TABLE R$SENDER; COMMIT;");
    const CliResult read = mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});
    EXPECT_NE(read.err.find("Synchro does not tell who filled it"), std::string::npos) << read.err;
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Westville");
}

}  // namespace

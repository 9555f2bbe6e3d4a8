#pragma once
// A master armed the way an operator arms it (replication tables, R$FILL,
// the record-code columns and the triggers of one working table, two
// primary-key generators), connected as UserDB, and the operator's way of
// making a clone's database from it: gbak backup and restore.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clone/Operations.h"

#include "db/DM.h"
#include "support/FakeFrontend.h"
#include "support/Workspace.h"

namespace quorvel::test {

// What the master holds besides the replication objects: CUSTOMER (a working
// table with its triggers R$1..R$3), GEN_CUST at 52 and GEN_ORDER at 7.
std::string armedMasterScript();

class CloneFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // "New clone" as the window runs it: the master is checked first, then
    // each typing is registered in turn while a bound is refused (recorded in
    // refusedParts); nullopt is Cancel. After a typing that was not refused
    // on a bound the clone list is reopened on the typed name. Returns the
    // outcome of the last attempt.
    Outcome newClone(const std::vector<std::optional<clone::CloneEntry>>& typings);
    Outcome registerTypings(const std::vector<std::optional<clone::CloneEntry>>& typings);
    std::vector<clone::EntryPart> refusedParts;
    // Registers a clone through newClone with one typing.
    void registerClone(const std::string& name, const std::string& max1, const std::string& max2);
    // Makes `name` the current row of the clone list; fails the test if absent.
    void selectClone(const std::string& name);
    // The clone list's current row, as the window hands it to the update.
    std::optional<clone::CloneRow> selected();
    // "Update CLONE's data" and "Delete clone" on the clone list's current row.
    Outcome updateSelected();
    Outcome deleteSelected();
    // How the last of newClone, updateSelected and deleteSelected ended.
    Outcome last = Outcome::cancelled();

    // Backs the master up and restores the backup as `alias`'s database, then
    // connects it as CloneDB. The embedded engine opens a file from one
    // process only, so UserDB lets go for gbak and reconnects after.
    void restoreCloneDatabase(const std::string& alias);

    // First column of the first row, read on `db` outside the DM's queries.
    static int64_t integerOn(engine::Database& db, const std::string& sql);
    static std::string textOn(engine::Database& db, const std::string& sql);
    static int64_t generator(engine::Database& db, const std::string& name);

    Workspace ws;
    DM dm;
    FakeFrontend ui;
    std::string masterPath;
};

}  // namespace quorvel::test

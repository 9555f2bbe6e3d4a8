#pragma once
// Two real databases as a read sees them: the synchro database (SynchroDB)
// delivers the rows through `source`, the local database (UserDB) receives
// them through `target` and holds the journal an overwrite may consult.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/DM.h"
#include "engine/Query.h"
#include "support/Rows.h"
#include "support/ToolObjects.h"
#include "support/Workspace.h"
#include <optional>

#include "engine/Table.h"
#include "synchro/JournalLookup.h"
#include "synchro/RecordTransfer.h"

namespace quorvel::test {

// The journal as the first synchro databases had it: four columns, keyed.
inline const std::string kJournalTable = toolTableScript("R$DELETEDUPDATED", true, 1);

class TransferTest : public ::testing::Test {
protected:
    // Creates both databases with their scripts and connects them, each in a
    // transaction of its own as the fill and the read run.
    void makeDatabases(const std::string& localScript, const std::string& synchroScript) {
        createDatabases(localScript, synchroScript);
        connectBoth();
    }
    void createDatabases(const std::string& localScript, const std::string& synchroScript) {
        localPath = ws.createDatabase("Local", localScript);
        synchroPath = ws.createDatabase("Synchro", synchroScript);
    }
    void connectBoth() {
        Workspace::connect(dm.UserDB(), "Local");
        Workspace::connect(dm.SynchroDB(), "Synchro");
        startBoth();
    }

    // A transfer from `sourceSql` on the synchro database into `table` of the
    // local database.
    synchro::RecordTransfer& prepare(const std::string& sourceSql, const std::string& table) {
        source.close();
        source.setSql(sourceSql);
        target.close();
        target.setTableName(table);
        return transfer.emplace(source, target);
    }
    int64_t append(const std::string& sourceSql, const std::string& table) {
        return prepare(sourceSql, table).append();
    }
    // Over the rows with the same record code; `keepUpdatedHere` leaves the
    // rows the local journal marks as updated.
    synchro::RecordTransfer::Overwritten overwrite(const std::string& sourceSql, const std::string& table,
                                                   bool keepUpdatedHere = false) {
        synchro::RecordTransfer& t = prepare(sourceSql, table);
        synchro::JournalLookup journal(dm.UserDB());
        synchro::RecordTransfer::KeepLocal updatedHere;
        if (keepUpdatedHere) updatedHere = [&journal](const replica::RecordCode& c) { return journal.updatedHere(c); };
        return t.overwrite(synchro::recordCodeColumns(), updatedHere);
    }
    void transferBy(bool overwriting, const std::string& sourceSql, const std::string& table,
                    bool keepUpdatedHere = false) {
        if (overwriting) overwrite(sourceSql, table, keepUpdatedHere);
        else append(sourceSql, table);
    }

    void commitBoth() {
        dm.UserDB().commit();
        dm.SynchroDB().commit();
    }
    void startBoth() {
        dm.SynchroDB().startTransaction();
        dm.UserDB().startTransaction();
    }

    // Rows of `sql`, each as its columns' text joined by "|" ("<null>" for NULL).
    std::vector<std::string> localRows(const std::string& sql) { return rows(dm.UserDB(), sql); }
    std::vector<std::string> synchroRows(const std::string& sql) { return rows(dm.SynchroDB(), sql); }

    static std::vector<std::string> rows(engine::Database& db, const std::string& sql) { return rowsOf(db, sql); }

    Workspace ws;
    DM dm;
    engine::Query source{dm.SynchroDB()};
    engine::Table target{dm.UserDB()};
    std::optional<synchro::RecordTransfer> transfer;
    std::string localPath, synchroPath;
};

}  // namespace quorvel::test

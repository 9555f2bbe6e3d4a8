#pragma once
// Two real databases as a read sees them: the synchro database (SynchroDB)
// delivers the rows through QSynchro6, the local database (UserDB) receives
// them through TMaster and holds the journal that mode 1 may consult.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/DM.h"
#include "engine/Query.h"
#include "support/Rows.h"
#include "support/Workspace.h"
#include "synchro/TMyBM.h"

namespace quorvel::test {

inline const char* const kJournalTable =
    "CREATE TABLE R$DELETEDUPDATED (R$CODE1 INTEGER NOT NULL, R$CODE2 INTEGER NOT NULL,\n"
    " OPERATION CHAR(1) NOT NULL, TABLENAME CHAR(31), PRIMARY KEY (R$CODE1, R$CODE2, OPERATION));\n";

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
    synchro::TMyBM& prepare(const std::string& sourceSql, const std::string& table, uint8_t mode,
                            bool checkUpdated = false) {
        dm.QSynchro6.close();
        dm.QSynchro6.setSql(sourceSql);
        dm.TMaster.close();
        dm.TMaster.setTableName(table);
        bm.Source = &dm.QSynchro6;
        bm.Target = &dm.TMaster;
        bm.Mode = mode;
        bm.CheckUpdated = checkUpdated;
        return bm;
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
    synchro::TMyBM bm{dm};
    std::string localPath, synchroPath;
};

}  // namespace quorvel::test

#pragma once
// The data module: the three named databases, the catalog queries behind the
// main window's lists, the statement queries every operation sends its SQL
// through, the two tables opened by name and the generator list's
// calculated value column.
#include <string>

#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Table.h"

namespace quorvel {

class DM {
public:
    DM();
    DM(const DM&) = delete;
    DM& operator=(const DM&) = delete;

    engine::Database Database{"UserDB"};
    engine::Database DatabaseC{"CloneDB"};
    engine::Database DatabaseS{"SynchroDB"};

    // Which button connected SynchroDB: the fill and "Success" belong to an
    // out-synchro connection, the read to an in-synchro one.
    enum class SynchroRole { None, Out, In };
    SynchroRole synchroRole = SynchroRole::None;

    // Shorter names used by the operations.
    engine::Database& UserDB() { return Database; }
    engine::Database& CloneDB() { return DatabaseC; }
    engine::Database& SynchroDB() { return DatabaseS; }

    // Catalog queries.
    engine::Query QTables{Database};
    engine::Query QColumns{Database};
    engine::Query QTableTrigger{Database};
    engine::Query QGenerator{Database};
    engine::Query QPKGens{Database};
    engine::Query QWorkingTables{Database};
    engine::Query QClone{Database};
    engine::Query QSynchro{Database};
    engine::Query QTableOrder{Database};
    engine::Query QLog{Database};
    engine::Query QSTables{DatabaseS};

    // Statement queries.
    engine::Query Q6{Database};
    engine::Query Q7{Database};
    engine::Query QClone6{DatabaseC};
    engine::Query QSynchro6{DatabaseS};  // live

    // Tables opened by name.
    engine::Table TMaster{Database};
    engine::Table TSynchro{DatabaseS};

    // Statement helpers: close the query, replace its SQL by `sql`, then
    // execute (Exec) or open (Show). They handle no errors and no transactions.
    void Q6Exec(const std::string& sql);
    void Q6Show(const std::string& sql);
    void Q7Exec(const std::string& sql);
    void QClone6Exec(const std::string& sql);
    void QClone6Show(const std::string& sql);
    void QSynchro6Exec(const std::string& sql);
    void QSynchro6Show(const std::string& sql);

    // List refresh: hold back grids, close, open, move, release grids.
    void ReopenWorkingTables();  // first row
    void ReopenPKGens();         // first row
    void ReopenClone();          // first row
    void ReopenSynchro();        // last row
    void ReopenLog();            // first row: the newest entry

    // First column of the first row of Q6 after Q6Show(sql), as an integer
    // (0 when there is no row or it is NULL). A small convenience the
    // operations use for count(*) and gen_id reads.
    int64_t Q6Integer(const std::string& sql);
    std::string Q6Text(const std::string& sql);  // "" when no row

private:
    static void reopen(engine::Query& q, bool toLast);
};

}  // namespace quorvel

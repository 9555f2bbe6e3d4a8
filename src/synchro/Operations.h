#pragma once
// Button operations of the pages "Fill SYNCHRO" and "Synchronize": the
// exchange itself. Each names the databases it works on, takes what the
// user chose as arguments, reports through a Reporter and returns how it
// ended; the fill and the read also say what they moved, table by table.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/Database.h"
#include "engine/Value.h"
#include "operation/Outcome.h"
#include "operation/Reporter.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

struct FillReport {
    struct Table {
        std::string name;
        int64_t rows = 0;
    };
    int64_t journalEntries = 0;
    std::vector<Table> tables;  // in the table order
    int64_t fillNumber = 0;     // the number the fill drew (0: none)
};

// "Fill SYNCHRO gdb": the local database into the out-synchro database.
// Reports its steps ("Clear Synchro tables", "Fill R$DeletedUpdated"), as
// its progress the position in the table order of the table being sent,
// and the rows sent per table.
Outcome FillSynchro(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                    FillReport* report = nullptr);

struct ReadReport {
    struct Table {
        std::string name;
        int64_t inserted = 0;      // INSERT pass: new rows
        int64_t sameRow = 0;       // INSERT pass: held already with the same code, applied over it
        int64_t keptOwn = 0;       // either pass: held and changed here after the sender's version (clone), kept
        int64_t stayDeleted = 0;   // INSERT pass: deleted here, not inserted again
        int64_t updated = 0;       // UPDATE pass
        int64_t notFound = 0;      // UPDATE pass: no local row with that key
        int64_t masterWins = 0;    // either pass: left alone, the master changed it too
        int64_t alreadyHere = 0;   // either pass: applied here before (sent again until acknowledged)
        int64_t deleted = 0;       // DELETE pass
    };
    std::vector<Table> tables;     // in the table order
    std::string sender;            // the site whose fill was read, when the file tells
    int64_t fillNumber = 0;        // its fill's number (0: not told)

    // Where a failed read stopped: the table, the pass, the failing row of
    // each side as "COLUMN=value" texts (empty when that side has none), and
    // the server's message. In the DELETE pass the synchro side is the
    // sender's "D" entry that could not be applied (`entry`), the local side
    // the row it names.
    //
    // What a collision page lists and selects comes with it: `synchroRows`
    // selects the rows of the synchro database the pass was applying (the
    // sender's "D" entries of the table in the DELETE pass), `synchroCode` is
    // the record code of the failing one among them, and the local row, when
    // there is one, holds `localKey` in the columns `localKeyColumns`.
    struct Collision {
        std::string table, pass, message;
        std::vector<std::string> synchroRow, localRow;
        std::optional<replica::RecordCode> entry;
        std::string synchroRows;
        std::optional<replica::RecordCode> synchroCode;
        std::vector<std::string> localKeyColumns;
        std::vector<engine::Value> localKey;
        // What the operator can do about it, and what each way costs.
        std::string advice;
    };
    std::optional<Collision> collision;
};

// "Read from SYNCHRO": the in-synchro database into the local one, whole
// or not at all. Refuses while the local triggers are active. `confirmed`
// skips the question (the caller asked already, as --switch-triggers does).
// Reports each pass as a step ("DELETE", "INSERT", "UPDATE") and, as its
// progress, the position in the table order of the table being read.
Outcome ReadFromSynchro(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                        ReadReport* report = nullptr, bool confirmed = false);

// The history list: deletes the row numbered `synchroNumber` ("Delete now?").
Outcome DelSynchro(engine::Database& local, Reporter& reporter, std::optional<int64_t> synchroNumber);
// "Success": empties the local journal ("Are you sure?").
Outcome Success(engine::Database& local, Reporter& reporter);

// A row as a grid shows it: its columns' names (as the catalogue has them)
// and values.
struct SelectedRow {
    std::vector<std::string> columns;
    std::vector<engine::Value> values;
};

// Settling a read that stopped (the synchro file is never edited; what is
// decided is recorded here and travels as this site's change where the other
// sites must learn it). Each is refused unless `synchro` holds a fill of a
// peer not read yet.
//
// "Copy current record from Synchro": `synchroRow` of `table`, the record
// selected in the "Synchro" grid, over the local row that holds its primary
// key; at a clone the local row takes its record code too, at the master the
// copy travels as its update and reads pass over the sent row. Refused when no
// local row holds that key. The confirmation shows both rows.
Outcome CopyNaturalKey(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                       const std::string& table, const SelectedRow& synchroRow);
// The same by key, for scripts (values in key order).
Outcome CopySynchroRow(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                       const std::string& table, const std::vector<std::string>& key);

// A read that stopped in its DELETE pass: the local row with record code
// `code` is kept against the sender's "D" entry; reads pass over that entry
// and the next fill sends the row to the other sites again.
Outcome DropDeleteEntry(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                        const std::string& table, const replica::RecordCode& code);

// An administrator's repair: the last fill recorded as read from the peer
// named `peer` goes back to `number`, so that the peer's fills above it are
// read again (after a fill whose number was raised by hand). Refused for
// no peer of this site and for a number not below the recorded one; asks
// first, naming the effect.
Outcome ForgetPeerFill(engine::Database& local, Reporter& reporter, const std::string& peer, int64_t number);

// The sender's row of `table` whose primary key is `key` is not taken: with
// no local row of that key it is deleted here and the delete travels; at the
// master, a local row of that key stays and reads pass over the sent one; at
// a clone, the local row keeps its values under the sent row's record code,
// and they travel.
Outcome DeleteSynchroRow(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                         const std::string& table, const std::vector<std::string>& key);

}  // namespace quorvel::synchro

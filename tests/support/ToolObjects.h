#pragma once
// The tool's own objects in a test's database, always from the catalogue:
// a test never types an R$ table. `version` and `format` choose what an
// earlier Quorvel would have made; the default is this one's.
#include <string>

#include "replica/SchemaVersion.h"

namespace quorvel::engine { class Database; }

namespace quorvel::test {

// An isql script (for Workspace::createDatabase or runIsql) that makes the
// objects of a local database at `version` in `dialect`, and from version 4
// its version row with the trigger generation `triggers`. Committed at its
// end; generators stand at 0.
std::string localObjectsScript(int version = replica::kLocalVersion,
                               replica::TriggerGeneration triggers = replica::TriggerGeneration::None,
                               int dialect = 1);
// The same for a synchro database of `format` (the definition script's
// fixed part, as an earlier converter wrote it).
std::string synchroObjectsScript(int format = replica::kSynchroFormat);

// One table of the catalogue alone, as a local database of `version` has it
// (a synchro database of that format with `synchro`); 0 is the current one.
std::string toolTableScript(const std::string& name, bool synchro = false, int version = 0);

// Everything of the tool's in the catalogue of `db` (relation fields with
// their types, keys, indices, procedures, grants, generators, triggers),
// one line each, sorted: two databases holding the same objects give the
// same text, whatever the order of their making.
std::string toolCatalogue(engine::Database& db);

// A local journal as the exchange sees it, for a FROM clause: the entries of
// R$DELETEDUPDATED and those the triggers left in R$CAPTURED, which the next
// fill or read moves there (no ORIGIN or FIRSTFILL yet). Its columns are the
// journal's, in the journal's order.
inline const std::string kWholeJournal =
    "(select R$Code1, R$Code2, Operation, TableName, Origin, FirstFill, Seen from R$DELETEDUPDATED union all "
    "select R$Code1, R$Code2, Operation, TableName, cast(null as integer), cast(null as integer), Seen "
    "from R$CAPTURED)";

}  // namespace quorvel::test

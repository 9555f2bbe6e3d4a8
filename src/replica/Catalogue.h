#pragma once
// The one home of the tool's own objects: every R$ generator, table, column,
// key, index, procedure and grant of a local database (the master or a
// clone) and of a synchro database, with the version that brought it and,
// where it went again, the version that retired it.
//
// The same entries serve four readers: the creation of the meta structures,
// the numbered upgrade steps (a step adds what its version brought and drops
// what it retired), the synchro definition script and the tests' databases
// of any version. A database created at version N and one upgraded step by
// step to N therefore hold the same objects.
#include <string>
#include <utility>
#include <vector>

#include "engine/Database.h"

namespace quorvel::replica::catalogue {

// A column as created; `type3` is its type in a dialect-3 database, where it
// differs (a generator's offset is 64-bit there).
struct Column {
    std::string name;
    std::string type;
    int since = 1;
    std::string type3 = {};
    int type3Since = 1;  // the version from which dialect 3 has type3
    std::string typeIn(int dialect, int version) const {
        return dialect >= 3 && !type3.empty() && version >= type3Since ? type3 : type;
    }
};

struct Object {
    enum class Kind { Generator, Table, Index, Procedure, Exception };
    Kind kind;
    std::string name;  // as the catalogue keeps it
    int since = 1;
    int until = 0;     // the version that retired it (0: still current)

    // Table: its columns, and its primary key (`keyUntil`: the version that
    // dropped the key; 0: kept). Index: `table` and its `key` columns.
    std::vector<Column> columns = {};
    std::string key = {};
    int keyUntil = 0;
    std::string table = {};
    // Procedure: its whole "create procedure" text.
    // Exception: its message.
    std::string text = {};
    // Procedure: its earlier texts, oldest first, each with the version that
    // replaced it: (6, T) means T until version 6.
    std::vector<std::pair<int, std::string>> earlier = {};
    bool revisedAt(int version) const {
        for (const auto& [until, text] : earlier)
            if (until == version) return true;
        return false;
    }

    bool currentAt(int version) const { return since <= version && (until == 0 || version < until); }
    bool keyedAt(int version) const { return !key.empty() && (keyUntil == 0 || version < keyUntil); }
};

// The objects of a local database and of a synchro database, in the order
// they are created (a procedure after the tables it reads, a grant after its
// object).
const std::vector<Object>& localObjects();
const std::vector<Object>& synchroObjects();
const Object& localObject(const std::string& name);
// The grant to PUBLIC on the local object `name`.


// The statement that creates `object` as it stands at `version`: a table
// with the columns it had then, and its key while it had one.
std::string createStatement(const Object& object, int version, int dialect);

// The statement that drops a table, procedure, generator or index.
std::string dropStatement(const Object& object);

// Whether the catalogue of `db` shows the object (a grant: the privilege
// given to PUBLIC). In whatever transaction is open.
bool present(engine::Database& db, const Object& object);

// Makes what the objects of `objects` current at `version` lack in `db`:
// missing objects, missing columns of tables that are there. Each statement
// in a transaction of its own (the server lets no transaction use an object
// it created); keys `version` retired are dropped, and a procedure it
// revised is altered. Objects older than
// `createSince` are not created when missing (their columns still are).
void bringTo(engine::Database& db, const std::vector<Object>& objects, int version, int createSince = 1);
// Dialect 3: the dates of the history and the sites list made as DATE before
// they carried the time become TIMESTAMP.
void widenDates(engine::Database& db, const std::vector<Object>& objects);

// The statements of the synchro definition script's fixed part, at the
// current format.
std::vector<std::string> synchroScript();

// A procedure the clone update creates for a moment to move one primary-key
// generator by `increment`, and drops again.
std::vector<std::string> generatorMoveProcedure(const std::string& generator, long long increment, int dialect);
inline const std::string kGeneratorMoveProcedure = "R$UPDATE";

}  // namespace quorvel::replica::catalogue

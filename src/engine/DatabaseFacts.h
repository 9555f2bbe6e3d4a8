#pragma once
// What the server itself says about an attached database: the file it really
// opened (aliases, relative names and symbolic links resolved) and the SQL
// dialect the database was created with, and its default character set. Two attachments name the same
// database exactly when their file names are equal.
#include <string>

namespace quorvel::engine {

class Database;

struct DatabaseFacts {
    std::string fileName;  // the server's full path of the database file
    int sqlDialect = 0;    // 1 or 3
    std::string defaultCharset;  // RDB$DATABASE's, e.g. "UTF8"; "NONE" when none was set
};

// Reads the facts of the connected `db` (MON$DATABASE, which every user may
// read for the database of the attachment). Throws DbError on failure.
DatabaseFacts readDatabaseFacts(Database& db);

}  // namespace quorvel::engine

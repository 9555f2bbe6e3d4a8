#pragma once
// The replication objects the tool adds to a master database: generators,
// tables, procedures, grants, the MASTER row and the three triggers of a
// working table. Texts are sent exactly as written here; "::" reaches the
// server as one colon (a single colon before a name would be a parameter).
#include <string>

#include "engine/Database.h"
#include "replica/SqlText.h"

namespace quorvel::replica::schema {

// Generators, created together in one transaction in this order.
inline const char* const kCreateGenerators[] = {
    "create generator R$Gen1",
    "create generator R$Gen2",
    "create generator R$Trig",
};

// Tables. The multi-line ones are placed into the query line by line.
inline const std::string kCreateClone =
    "CREATE TABLE R$CLONE (NAME CHAR(31) NOT NULL PRIMARY KEY,\n"
    "NUMBER INTEGER,\n"
    "MAXVALUE1 INTEGER, MAXVALUE2 INTEGER,\n"
    "ME CHAR(1))";

inline const std::string kCreateTableOrder =
    "CREATE TABLE R$TABLEORDER (NUMBER INTEGER NOT NULL PRIMARY KEY,\n"
    "TABLENAME CHAR(31))";

inline const std::string kCreateWorkingTables =
    "CREATE TABLE R$WORKINGTABLES (NAME CHAR(31) NOT NULL PRIMARY KEY)";

inline const std::string kCreateInactiveTriggers =
    "create table R$INACTIVETRIGGERS (TRIGGERNAME CHAR(31) NOT NULL PRIMARY KEY)";

inline const std::string kCreateSynchro =
    "create table R$SYNCHRO (SYNCHRONUMBER INTEGER NOT NULL PRIMARY KEY, SYNCHRODATE DATE, "
    "R$CODE1 INTEGER, R$CODE2 INTEGER)";

// OFFSET is a reserved word of the server, and dialect 1 has no quoted
// identifiers to get round that: the offset column is GENOFFSET. It stays the
// second column, so inserts by position and readers by position are unchanged.
// Generators of a dialect-3 database are 64-bit, and so may their offset be.
inline std::string createPKGens(int dialect) {
    return std::string("CREATE TABLE R$PKGENS (\n"
                       "GENERATORNAME CHAR(31) NOT NULL PRIMARY KEY, GENOFFSET ") +
           (dialect >= 3 ? "BIGINT)" : "INTEGER)");
}
inline const std::string kCreatePKGens = createPKGens(1);

inline const std::string kCreateDeletedUpdated =
    "CREATE TABLE R$DELETEDUPDATED (\n"
    "R$CODE1 INTEGER NOT NULL, R$CODE2 INTEGER NOT NULL,\n"
    "OPERATION CHAR(1) NOT NULL,\n"
    "TABLENAME CHAR(31))";

// The journal holds several entries of a row changed several times (users'
// transactions only ever add entries): an index, not a key.
inline const std::string kCreateJournalIndex =
    "create index R$DELETEDUPDATED_CODE on R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION)";

inline const std::string kGrantDeletedUpdated = "grant all on R$DELETEDUPDATED to public";
inline const std::string kGrantActiveTriggers = "grant execute on procedure R$ACTIVETRIGGERS to public";

// The row describing the master itself; the bounds are the edits' texts as
// typed, already checked to be integers.
inline std::string masterRow(const std::string& maxValue1, const std::string& maxValue2) {
    return "insert into R$CLONE values ('MASTER', 0, " + maxValue1 + ", " + maxValue2 + ", 'Y')";
}

// Triggers to make active again after a read: those of the working tables that
// were active before (the variable C is declared and not used).
inline const std::string kCreateActiveTriggers =
    "CREATE PROCEDURE R$ACTIVETRIGGERS\n"
    "  RETURNS (TRIGGERNAME CHAR(31))\n"
    "AS\n"
    "declare variable C Integer;\n"
    "begin\n"
    "  for select RDB$Trigger_Name\n"
    "         from RDB$Triggers\n"
    "          where (RDB$System_Flag is null or RDB$System_Flag = 0) and\n"
    "                (not RDB$Trigger_Name starting with 'CHECK')\n"
    "                 and RDB$Relation_Name in (select Name from R$WorkingTables)\n"
    "         and RDB$Trigger_Name not in (select TriggerName from R$InactiveTriggers)\n"
    "         order by RDB$Trigger_Name\n"
    "         into ::TriggerName\n"
    "   do\n"
    "     suspend;\n"
    "end";

// Hands out record codes: I = 1 reads the high word, anything else draws the
// next low word, rolling over into the high word after 2000000000.
inline const std::string kCreateFill =
    "CREATE PROCEDURE R$FILL\n"
    "  (I INTEGER)\n"
    "  RETURNS (C INTEGER)\n"
    "AS\n"
    "declare variable MaxValue Integer;\n"
    "declare variable dummy Integer;\n"
    "begin\n"
    " MaxValue = 2000000000;\n"
    " if (I = 1) then\n"
    "   C = gen_id(R$Gen1, 0);\n"
    " else\n"
    " begin\n"
    "   if (gen_id(R$Gen2, 0) = MaxValue) then\n"
    "   begin\n"
    "     dummy = gen_id(R$Gen1, 1);\n"
    "     C = gen_id(R$Gen2, -gen_id(R$Gen2, 0));\n"
    "   end\n"
    "   else\n"
    "     C = gen_id(R$Gen2, 1);\n"
    " end\n"
    " suspend;\n"
    "end";

// The three triggers of a working table, numbered R$<n>.
//
// They skip the transaction of a read, which sets R$READING in its own
// context: what a read applies is neither numbered anew nor journaled as a
// local change, while every other user's work beside it is captured as
// always. No trigger has to be switched off for a read.
//
// The insert trigger draws the low word before reading the high word (a draw
// that rolls over gets the new high word) and leaves in its transaction's
// context the first code it drew: a fill reads the codes of transactions
// still open, so that its mark never passes a row that commits after it.
// The journal is only ever inserted into by users' transactions, never
// updated or deleted: a fill or read pruning and stamping entries then never
// waits for, or collides with, a user's open transaction. A row updated
// twice has two entries; readers take the latest. SEEN, at a clone, is the
// last master fill read when the change was made.
inline const std::string kReadingContext = "rdb$get_context('USER_TRANSACTION', 'R$READING')";
inline const std::string kFirstCodeVariable = "R$FIRSTCODE";
// What tells the triggers of this kind from those of earlier versions.
inline const std::string kReadingMarker = "R$READING";

inline std::string insertTrigger(int n, const std::string& table, int dialect = 1) {
    return "create trigger R$" + std::to_string(n) + " for " + engine::quoteIdentifier(dialect, table) + "\n"
           "before insert\n"
           "as\n"
           "declare variable C Integer;\n"
           "begin\n"
           "  if (" + kReadingContext + " is null or new.R$Code1 is null or new.R$Code2 is null) then\n"
           "  begin\n"
           "    select C from R$FILL(2) into ::C;\n"
           "    new.R$Code2 = C;\n"
           "    select C from R$FILL(1) into ::C;\n"
           "    new.R$Code1 = C;\n"
           "    if (rdb$get_context('USER_TRANSACTION', '" + kFirstCodeVariable + "') is null) then\n"
           "      rdb$set_context('USER_TRANSACTION', '" + kFirstCodeVariable + "', new.R$Code1 || ' ' || new.R$Code2);\n"
           "  end\n"
           "end";
}

// The last master fill this site had read, at a clone; NULL at the master.
inline const std::string kSeenNow = "(select LastRead from R$PEERS where SiteNumber = 0)";

inline std::string deleteTrigger(int n, const std::string& table, int dialect = 1) {
    return "create trigger R$" + std::to_string(n) + " for " + engine::quoteIdentifier(dialect, table) + "\n"
           "after delete\n"
           "as\n"
           "begin\n"
           "  if (" + kReadingContext + " is null) then\n"
           "    insert into R$DELETEDUPDATED (R$Code1, R$Code2, Operation, TableName, Seen)\n"
           "    values (old.R$Code1, old.R$Code2, 'D', " + quoted(table) + ", " + kSeenNow + ");\n"
           "end";
}

inline std::string updateTrigger(int n, const std::string& table, int dialect = 1) {
    return "create trigger R$" + std::to_string(n) + " for " + engine::quoteIdentifier(dialect, table) + "\n"
           "after update\n"
           "as\n"
           "begin\n"
           "  if (" + kReadingContext + " is null) then\n"
           "    insert into R$DELETEDUPDATED (R$Code1, R$Code2, Operation, TableName, Seen)\n"
           "    values (old.R$Code1, old.R$Code2, 'U', " + quoted(table) + ", " + kSeenNow + ");\n"
           "end";
}

// The user's triggers of the working tables (and the tool's), with whether
// each is inactive; the list the trigger switches and the window read.
inline const std::string kWorkingTableTriggers =
    "select RDB$Trigger_Name, RDB$Trigger_Inactive\n"
    "from RDB$Triggers\n"
    "where \n"
    " (RDB$System_Flag is null or RDB$System_Flag = 0) \n"
    " and ( not RDB$Trigger_Name starting with 'CHECK')\n"
    " and RDB$Relation_Name in (select Name from R$WorkingTables)\n"
    "order by RDB$Trigger_Name";

// Every trigger whose name starts with R$ belongs to the tool.
inline const std::string kSelectToolTriggers =
    "select RDB$Trigger_Name from RDB$Triggers where RDB$Trigger_Name starting with 'R$'";

inline const std::string kCountToolTriggers =
    "select count(*) from RDB$Triggers where RDB$Trigger_Name starting with 'R$'";

inline std::string dropTrigger(const std::string& name) { return "drop trigger " + name; }

}  // namespace quorvel::replica::schema

#pragma once
// The three triggers of a working table, the MASTER row and the queries on
// the tool's triggers. The tables, generators and procedures they use are in
// the catalogue (Catalogue.h). Texts are sent exactly as written here; "::"
// reaches the server as one colon (a single colon before a name would be a
// parameter).
#include <optional>
#include <string>

#include "engine/Database.h"
#include "replica/SqlText.h"

namespace quorvel::replica::schema {

// The row describing the master itself; the bounds are the edits' texts as
// typed, already checked to be integers.
inline std::string masterRow(const std::string& maxValue1, const std::string& maxValue2) {
    return "insert into R$CLONE values ('MASTER', 0, " + maxValue1 + ", " + maxValue2 + ", 'Y')";
}

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
// The update and delete triggers only ever insert, into R$CAPTURED (version
// 14; R$DELETEDUPDATED before), never update or delete: a fill or read
// moving, pruning and stamping entries then never waits for, or collides
// with, a user's open transaction. A row updated twice has two entries;
// readers take the latest. SEEN, at a clone, is the last master fill read
// when the change was made.
inline const std::string kReadingContext = "rdb$get_context('USER_TRANSACTION', 'R$READING')";
// Run in a transaction, makes the triggers pass over it.
inline const std::string kPassOverTriggers =
    "execute block as begin rdb$set_context('USER_TRANSACTION', 'R$READING', 'Y'); end";
inline const std::string kFirstCodeVariable = "R$FIRSTCODE";
// Left by R$FILL for the insert trigger's own draws (version 13): the high
// word drawn in, and the last low word the range allows in it.
inline const std::string kDrawHighVariable = "R$HIGH";
inline const std::string kDrawLimitVariable = "R$LIMIT";
// What tells the triggers of this kind from those of earlier versions.
inline const std::string kReadingMarker = "R$READING";

// From version 13 the first draw of a transaction goes through R$FILL, which
// checks the file and the range and leaves in the transaction's context the
// high word it drew in and the last low word allowed in it (R$HIGH,
// R$LIMIT); the next inserts draw their codes here, straight from the
// generators, as long as they stay within; any other draw (a new high word,
// the end of the range) goes through R$FILL again, which refuses or rolls
// over as it always has. R$FILL also sets the transaction's first code.
inline std::string insertTrigger(int n, const std::string& table, int dialect = 1) {
    return "create trigger R$" + std::to_string(n) + " for " + engine::quoteIdentifier(dialect, table) + "\n"
           "before insert\n"
           "as\n"
           "declare variable C Integer;\n"
           "declare variable Limit Integer;\n"
           "begin\n"
           "  if (" + kReadingContext + " is null or new.R$Code1 is null or new.R$Code2 is null) then\n"
           "  begin\n"
           "    Limit = rdb$get_context('USER_TRANSACTION', '" + kDrawLimitVariable + "');\n"
           "    if (Limit is not null) then\n"
           "    begin\n"
           "      new.R$Code2 = gen_id(R$Gen2, 1);\n"
           "      new.R$Code1 = gen_id(R$Gen1, 0);\n"
           "      if (new.R$Code1 = cast(rdb$get_context('USER_TRANSACTION', '" + kDrawHighVariable + "') as Integer)\n"
           "          and new.R$Code2 <= Limit) then\n"
           "        exit;\n"
           "    end\n"
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
           "    insert into R$CAPTURED (R$Code1, R$Code2, Operation, TableName, Seen)\n"
           "    values (old.R$Code1, old.R$Code2, 'D', " + quoted(table) + ", " + kSeenNow + ");\n"
           "end";
}

// `changed` (ChangeTest.h) tells an update that changed a column from a
// save of the same values; empty, every update is journaled.
inline std::string updateTrigger(int n, const std::string& table, int dialect = 1, const std::string& changed = "") {
    return "create trigger R$" + std::to_string(n) + " for " + engine::quoteIdentifier(dialect, table) + "\n"
           "after update\n"
           "as\n"
           "begin\n"
           "  if (" + kReadingContext + " is null" + (changed.empty() ? "" : "\n    and (" + changed + ")") +
           ") then\n"
           "    insert into R$CAPTURED (R$Code1, R$Code2, Operation, TableName, Seen)\n"
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

// The number n of a trigger named R$<n> as the tool names them; none for any
// other name.
inline std::optional<int> triggerNumber(const std::string& name) {
    const std::string number = name.rfind("R$", 0) == 0 ? name.substr(2) : "";
    if (number.empty() || number.size() > 8 || number.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(number);
}

// A trigger's "create" statement as "create or alter": replaced in place.
inline std::string createOrAlter(const std::string& createStatement) {
    return "create or alter" + createStatement.substr(std::string("create").size());
}

}  // namespace quorvel::replica::schema

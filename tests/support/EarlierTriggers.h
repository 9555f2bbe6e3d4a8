#pragma once
// The journal triggers earlier versions armed: they number and journal
// whatever any transaction does, a read's rows included, and the update
// trigger replaces the row's entry. Tests put them back on a database armed
// now, to see that such a database is still handled as one armed earlier.
#include <string>
#include <vector>

namespace quorvel::test {

// NAME|TABLE|TYPE of the tool's triggers, for earlierTriggerStatements.
inline const char* const kToolTriggerRows =
    "select trim(RDB$Trigger_Name) || '|' || trim(RDB$Relation_Name) || '|' || RDB$Trigger_Type "
    "from RDB$Triggers where RDB$Trigger_Name starting with 'R$'";

inline std::vector<std::string> earlierTriggerStatements(const std::vector<std::string>& toolTriggerRows) {
    std::vector<std::string> out;
    for (const std::string& row : toolTriggerRows) {
        const auto a = row.find('|'), b = row.rfind('|');
        const std::string name = row.substr(0, a), table = row.substr(a + 1, b - a - 1), type = row.substr(b + 1);
        std::string body;
        if (type == "1")
            body = "before insert as declare variable C Integer; begin select C from R$FILL(1) into ::C; "
                   "new.R$Code1 = C; select C from R$FILL(2) into ::C; new.R$Code2 = C; end";
        else if (type == "4")
            body = "after update as begin delete from R$DELETEDUPDATED where R$Code1 = old.R$Code1 and R$Code2 = "
                   "old.R$Code2 and Operation = 'U' and TableName = '" + table + "'; insert into R$DELETEDUPDATED "
                   "(R$Code1, R$Code2, Operation, TableName) values (old.R$Code1, old.R$Code2, 'U', '" + table +
                   "'); end";
        else
            body = "after delete as begin insert into R$DELETEDUPDATED (R$Code1, R$Code2, Operation, TableName) "
                   "values (old.R$Code1, old.R$Code2, 'D', '" + table + "'); end";
        out.push_back("create or alter trigger " + name + " for " + table + " " + body);
    }
    return out;
}

// The same put on a database of this version makes it one an earlier version
// armed, which recorded no version: the tool then tells the triggers' kind
// once, by their texts, when it next connects the database.
inline std::vector<std::string> earlierArming(const std::vector<std::string>& toolTriggerRows) {
    std::vector<std::string> out = earlierTriggerStatements(toolTriggerRows);
    out.push_back("delete from R$SCHEMA");
    return out;
}

}  // namespace quorvel::test

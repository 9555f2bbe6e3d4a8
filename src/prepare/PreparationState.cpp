#include "prepare/PreparationState.h"

#include <exception>

#include "prepare/Presence.h"
#include "prepare/SqlText.h"
#include "prepare/TriggerState.h"

namespace quorvel::prepare {

namespace {

template <class Read>
PreparationState::Flag readFlag(Read read) {
    try {
        return {read(), {}};
    } catch (const std::exception& e) {
        return {false, e.what()};
    }
}

int countOf(DM& dm, const std::string& sql) { return static_cast<int>(dm.Q6Integer(sql)); }

// Why `table` is not armed ("" when it is): both record-code columns, the
// three triggers R$n, and a code on every row.
std::string armingGap(DM& dm, const std::string& table) {
    if (!TablePresent(dm, table)) return "no such table";
    if (!ColumnPresent(dm, table, "R$CODE1") || !ColumnPresent(dm, table, "R$CODE2"))
        return "no record-code columns";
    const int triggers = countOf(dm, "select count(*) from RDB$Triggers where RDB$Relation_Name = " +
                                         quoted(table) + " and RDB$Trigger_Name starting with \"R$\"");
    if (triggers != 3) return std::to_string(triggers) + " of its 3 triggers";
    const int uncoded =
        countOf(dm, "select count(*) from " + table + " where R$Code1 is null or R$Code2 is null");
    if (uncoded != 0) return std::to_string(uncoded) + " rows without a record code";
    return "";
}

}  // namespace

PreparationState ReadPreparationState(DM& dm) {
    PreparationState state;
    state.metaPresent = TablePresent(dm, "R$CLONE");
    if (!state.metaPresent) return state;
    state.identity = dm.Q6Text("select Name from R$CLONE where ME = \"Y\"");
    state.triggersSwitchedOff =
        readFlag([&] { return dm.Q6Integer("select gen_id(R$Trig, 0) from RDB$DATABASE") != 0; });
    state.armingInterrupted = readFlag([&] { return ArmingInterrupted(dm); });
    state.tableOrderPresent = readFlag([&] { return countOf(dm, "select count(*) from R$TABLEORDER") > 0; });
    try {
        std::vector<std::string> names;
        dm.Q6Show("select Name from R$WorkingTables order by Name");
        for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next()) names.push_back(dm.Q6.field(0).asString());
        dm.Q6.close();
        state.workingTables = static_cast<int>(names.size());
        for (const std::string& name : names)
            if (std::string gap = armingGap(dm, name); !gap.empty()) state.unarmed.push_back({name, gap});
    } catch (const std::exception& e) {
        state.armingError = e.what();
    }
    return state;
}

}  // namespace quorvel::prepare

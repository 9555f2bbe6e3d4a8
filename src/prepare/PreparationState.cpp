#include "prepare/PreparationState.h"

#include <exception>

#include "replica/CodeColumns.h"
#include "replica/LocalSite.h"
#include "replica/Presence.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "replica/TableLists.h"
#include "replica/TriggerState.h"

namespace quorvel::prepare {

using replica::quoted;
using replica::integerOf;
using replica::firstColumn;
using replica::TriggerState;
using replica::ArmingInterrupted;
using replica::TablePresent;
using replica::ColumnPresent;

namespace {

template <class Read>
PreparationState::Flag readFlag(Read read) {
    try {
        return {read(), {}};
    } catch (const std::exception& e) {
        return {false, e.what()};
    }
}

int countOf(engine::Database& db, const std::string& sql) { return static_cast<int>(integerOf(db, sql)); }

// Why `table` is not armed ("" when it is): both record-code columns, the
// three triggers R$n, and a code on every row.
std::string armingGap(engine::Database& db, const std::string& table) {
    if (!TablePresent(db, table)) return "no such table";
    if (!ColumnPresent(db, table, "R$CODE1") || !ColumnPresent(db, table, "R$CODE2"))
        return "no record-code columns";
    const int triggers = countOf(db, "select count(*) from RDB$Triggers where RDB$Relation_Name = " +
                                         quoted(table) + " and RDB$Trigger_Name starting with 'R$'");
    if (triggers != 3) return std::to_string(triggers) + " of its 3 triggers";
    // As a fill asks it, through the code index: status is run often, and a
    // whole-table read would make it wait on every large table.
    const int uncoded = static_cast<int>(replica::RowsInsertedUncoded(db, table));
    if (uncoded != 0) return std::to_string(uncoded) + " rows without a record code";
    return "";
}

}  // namespace

PreparationState ReadPreparationState(engine::Database& db) {
    PreparationState state;
    state.metaPresent = TablePresent(db, "R$CLONE");
    if (!state.metaPresent) return state;
    state.identity = replica::identityOf(db);
    state.triggersSwitchedOff =
        readFlag([&] { return TriggerState(db) != 0; });
    state.armingInterrupted = readFlag([&] { return ArmingInterrupted(db); });
    state.tableOrderPresent = readFlag([&] { return countOf(db, "select count(*) from R$TABLEORDER") > 0; });
    try {
        const std::vector<std::string> names = replica::workingTables(db);
        state.workingTables = static_cast<int>(names.size());
        for (const std::string& name : names)
            if (std::string gap = armingGap(db, name); !gap.empty()) state.unarmed.push_back({name, gap});
    } catch (const std::exception& e) {
        state.armingError = e.what();
    }
    return state;
}

}  // namespace quorvel::prepare

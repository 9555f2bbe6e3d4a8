#include "prepare/CodeColumns.h"

#include "prepare/Presence.h"

namespace quorvel::prepare {

void DropCodeColumns(DM& dm, const std::string& table) {
    // Both are looked up before either is dropped: the catalogue rows of a
    // column dropped in this transaction are already gone for it.
    const bool code1 = ColumnPresent(dm, table, "R$CODE1");
    const bool code2 = ColumnPresent(dm, table, "R$CODE2");
    if (code1) dm.Q6Exec("alter table " + table + " drop R$Code1");
    if (code2) dm.Q6Exec("alter table " + table + " drop R$Code2");
}

}  // namespace quorvel::prepare

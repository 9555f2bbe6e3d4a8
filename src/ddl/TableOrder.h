#pragma once
// Puts every referenced table before the tables that reference it.
#include <string>
#include <vector>

#include "ddl/TableReferences.h"

namespace quorvel::ddl {

struct TableOrder {
    std::vector<std::string> tables;       // the order reached, names as the list gave them
    std::vector<std::string> cycleTables;  // tables whose references form a cycle, in list order
};

// Starts from `tables` (the master's table list, by name) and repeats passes
// over `pairs` in their order: a referenced table that stands after its
// referencing table is taken out and put directly before it. Names from the
// pairs (spelt as the catalogue keeps them, see NormalName) are matched
// exactly, so "OrderLine" and ORDERLINE stay two tables; a pair naming a
// table not in the list moves nothing. The passes end when one moves nothing, or after one
// pass more than there are tables named by pairs (acyclic references settle
// by then; references that form a cycle never do).
TableOrder OrderTables(const std::vector<std::string>& tables, const std::vector<TRefPair>& pairs);

// The warning that names the tables of a cycle and what it means for the
// operator: the conversion succeeded, but a read may stumble over them.
std::string CycleMessage(const std::vector<std::string>& cycleTables);

}  // namespace quorvel::ddl

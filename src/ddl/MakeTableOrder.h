#pragma once
// Rewrites R$TABLEORDER on the master: its tables in the order of the
// extract's foreign-key references, kept for the working tables only.
#include <string>
#include <vector>

#include "engine/Database.h"
#include "ddl/MStream.h"
#include "ddl/TableOrder.h"

namespace quorvel::ddl {

// The master's tables that can be replicated, by name, as the data module's
// table list shows them (no system tables, views, external tables, R$ or
// META$ tables).
std::vector<std::string> ReadTableList(engine::Database& master);

// Orders the table list by the references of `source` and rewrites
// R$TABLEORDER in one transaction: every table numbered from 1 in that order,
// then the rows of tables that are not working tables deleted. On an error
// the transaction is rolled back (the previous order stays) and the error is
// thrown. Returns the order written, with the tables of a reference cycle.
TableOrder MakeTableOrder(engine::Database& master, const TMyStream& source);
// The same from the database's own foreign keys, for a site whose order is
// empty (a clone made before convert-ddl ran at the master).
TableOrder MakeTableOrderFromCatalogue(engine::Database& db);

}  // namespace quorvel::ddl

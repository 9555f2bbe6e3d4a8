#pragma once
// The data module's lists that a front end shows of a connected database:
// the catalog lists of the local database, its replication lists once it is
// prepared, and the tables of a synchro database. The front end opens them
// after a connection is done; the connection itself does not.
#include "db/DM.h"
#include "operation/Reporter.h"

namespace quorvel {

// The catalog lists (columns, generators, tables), then, when `prepared`,
// the replication lists. A catalog list that cannot be read is reported and
// the rest still opened; a replication list that cannot be read throws.
void OpenLocalLists(DM& dm, bool prepared, Reporter& reporter);

// The synchro database's tables; reported when they cannot be read.
void OpenSynchroList(DM& dm, Reporter& reporter);

}  // namespace quorvel

#pragma once
// Who may use the tool's objects. Nothing is granted to PUBLIC: the journal
// triggers are granted what they do (insert journal entries, read R$PEERS,
// draw codes through R$FILL) and R$FILL what it reads and draws, so that an
// application user keeps working after arming with only the rights on its
// own tables, and nobody writes or deletes journal entries without rights on
// the R$ tables. The operator who fills and reads is the owner, SYSDBA, or
// holds a role the administrator grants the R$ tables to.
#include "engine/Database.h"

namespace quorvel::replica {

// Revokes what earlier versions granted to PUBLIC, grants R$FILL its rights
// and every tool trigger its own. Idempotent; in the current transaction.
void grantToolRights(engine::Database& db);

}  // namespace quorvel::replica

#include "prepare/Guards.h"

#include "operation/Refused.h"
#include "replica/LocalSite.h"
#include "replica/Presence.h"
#include "replica/Statements.h"

namespace quorvel::prepare {

using replica::firstColumn;
using replica::TablePresent;

std::string Identity(engine::Database& db) {
    if (!TablePresent(db, "R$CLONE")) return "";
    return replica::identityOf(db);
}

void RefuseOnClone(engine::Database& db) {
    // Without a connection there is no identity to read; the operation's own
    // first step says what is wrong.
    if (!db.connected()) return;
    const std::string identity = Identity(db);
    if (identity.empty() || identity == "MASTER") return;
    throw Refused("This database is the clone " + identity +
                  ", not the master: prepare the master and make the clone again.");
}

std::vector<std::string> RegisteredClones(engine::Database& db) {
    if (!TablePresent(db, "R$CLONE")) return {};
    return firstColumn(db, "select Name from R$CLONE where ME is null or ME not in ('Y', 'R') order by Number, Name");
}

}  // namespace quorvel::prepare

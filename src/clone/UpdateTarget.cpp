#include "clone/UpdateTarget.h"

#include "engine/DatabaseFacts.h"
#include "replica/LocalSite.h"

namespace quorvel::clone {

std::optional<std::string> updateRefusal(engine::Database& master, engine::Database& clone) {
    // Aliases and paths may differ for one file; the server's own file names
    // do not.
    const std::string masterFile = engine::readDatabaseFacts(master).fileName;
    const std::string cloneFile = engine::readDatabaseFacts(clone).fileName;
    if (masterFile == cloneFile)
        return "The clone database is the master database itself (" + cloneFile +
               "): connect the restored copy of the master as the clone.";

    const std::string identity = replica::identityOf(clone);
    if (identity.empty())
        return "The clone database names no database as its own (no R$CLONE row with ME = \"Y\"): "
               "it is not a fresh copy of the master. Restore the master's backup and update that copy.";
    if (identity != "MASTER")
        return "The clone database has been updated already: it is the clone " + identity +
               ". Updating it again would move its generators a second time; restore the master's backup "
               "and update that copy.";
    return std::nullopt;
}

}  // namespace quorvel::clone

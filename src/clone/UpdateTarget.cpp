#include "clone/UpdateTarget.h"

#include "engine/DatabaseFacts.h"

namespace quorvel::clone {

namespace {

const char* kOwnIdentity = "select Name from R$CLONE where ME = \"Y\"";

}  // namespace

std::optional<std::string> updateRefusal(DM& dm) {
    // Aliases and paths may differ for one file; the server's own file names
    // do not.
    const std::string masterFile = engine::readDatabaseFacts(dm.UserDB()).fileName;
    const std::string cloneFile = engine::readDatabaseFacts(dm.CloneDB()).fileName;
    if (masterFile == cloneFile)
        return "The clone database is the master database itself (" + cloneFile +
               "): connect the restored copy of the master as the clone.";

    dm.QClone6Show(kOwnIdentity);
    const std::string identity = dm.QClone6.isEmpty() ? std::string() : dm.QClone6.field(0).asString();
    dm.QClone6.close();
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

#include "prepare/Guards.h"

#include <exception>

#include "prepare/Presence.h"

namespace quorvel::prepare {

std::string Identity(DM& dm) {
    if (!TablePresent(dm, "R$CLONE")) return "";
    return dm.Q6Text("select Name from R$CLONE where ME = \"Y\"");
}

std::optional<Outcome> RefusedOnClone(DM& dm, Frontend& ui) {
    // Without a connection there is no identity to read; the operation's own
    // first step says what is wrong.
    if (!dm.UserDB().connected()) return std::nullopt;
    std::string identity;
    try {
        identity = Identity(dm);
    } catch (const std::exception& e) {
        dm.UserDB().rollbackQuietly();
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    if (identity.empty() || identity == "MASTER") return std::nullopt;
    const std::string why =
        "This database is the clone " + identity + ", not the master: prepare the master and make the clone again.";
    ui.setError();
    ui.showMessage(why);
    return Outcome::refused(why);
}

std::vector<std::string> RegisteredClones(DM& dm) {
    std::vector<std::string> names;
    if (!TablePresent(dm, "R$CLONE")) return names;
    dm.Q6Show("select Name from R$CLONE where ME is null or ME <> \"Y\" order by Number, Name");
    for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next()) names.push_back(dm.Q6.field(0).asString());
    dm.Q6.close();
    return names;
}

}  // namespace quorvel::prepare

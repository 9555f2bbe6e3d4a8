// "Delete clone": removes the selected row of the clone list from the
// master's R$CLONE.
#include <exception>

#include "clone/CloneSql.h"
#include "clone/Operations.h"
#include "engine/Transaction.h"

namespace quorvel::clone {

Outcome DelClone(DM& dm, Frontend& ui, const std::optional<std::string>& cloneName) {
    if (!cloneName) {
        ui.showMessage("List is empty!");
        return Outcome::refused("List is empty!");
    }
    if (!ui.confirm("Delete now?")) return Outcome::cancelled();

    ui.setWorking();
    try {
        {
            engine::Transaction tx(dm.UserDB());
            dm.Q6Exec(sql::deleteClone(*cloneName));
            tx.commit();
        }
        dm.ReopenClone();
    } catch (const std::exception& e) {
        dm.UserDB().rollbackQuietly();
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    ui.setOK();
    return Outcome::done();
}

}  // namespace quorvel::clone

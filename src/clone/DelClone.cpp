// "Delete clone": removes the selected row of the clone list from the
// master's R$CLONE.
#include <exception>

#include "clone/CloneSql.h"
#include "clone/CloneStep.h"
#include "clone/Operations.h"

namespace quorvel::clone {

void DelClone(DM& dm, Frontend& ui) {
    if (!dm.QClone.active() || dm.QClone.isEmpty()) {
        ui.showMessage("List is empty!");
        return;
    }
    if (!ui.confirm("Delete now?")) return;

    ui.setWorking();
    auto error = runInTransaction(dm.UserDB(), [&] {
        dm.Q6Exec(sql::deleteClone(dm.QClone.fieldByName("Name").asString()));
    });
    if (!error) error = runGuarded(dm.UserDB(), [&] { dm.ReopenClone(); });
    if (error) {
        ui.setError();
        ui.showMessage(*error);
        return;
    }
    ui.setOK();
}

}  // namespace quorvel::clone

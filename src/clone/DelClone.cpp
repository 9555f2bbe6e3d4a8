// "Delete clone": removes a clone from the master's R$CLONE.
#include "clone/CloneSql.h"
#include "clone/Operations.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"

namespace quorvel::clone {

Outcome DeleteClone(engine::Database& master, const std::optional<std::string>& name, Reporter& reporter) {
    return runOperation(reporter, [&] {
        if (!name) throw Refused("List is empty!");
        if (!reporter.confirm("Delete now?")) return Outcome::cancelled();
        reporter.step("Delete clone " + *name);
        engine::Transaction tx(master);
        master.execute(sql::deleteClone(*name));
        tx.commit();
        return Outcome::done();
    });
}

}  // namespace quorvel::clone

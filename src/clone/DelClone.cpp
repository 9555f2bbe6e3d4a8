// "Delete clone": retires a clone in the master's R$CLONE. Its number and
// range are never given out again, so a clone made again under its name
// draws no code the deleted one drew; its fills are no peer's any more.
#include "clone/CloneSql.h"
#include "clone/Operations.h"
#include "engine/FirstValue.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::clone {

Outcome DeleteClone(engine::Database& master, const std::optional<std::string>& name, Reporter& reporter) {
    return runOperation(reporter, [&] {
        if (!name) throw Refused("List is empty!");
        const std::string me = replica::textOf(master, sql::meOf(*name));
        if (me == "Y" || *name == "MASTER") throw Refused(*name + " is this database itself: it is no clone to delete.");
        if (me == "R") throw Refused(*name + " is a retired clone already: its number and range stay retired.");
        // The question names the clone and what deleting it does.
        const std::string numberText = std::to_string(replica::integerOf(master, sql::numberOf(*name)));
        const std::string bound = "(" + replica::textOf(master, "select MaxValue1 from R$CLONE where Name = " +
                                                                   replica::quoted(*name)) +
                                  ", " + replica::textOf(master, "select MaxValue2 from R$CLONE where Name = " +
                                                                     replica::quoted(*name)) + ")";
        if (!reporter.confirm("Delete the clone " + *name + " (number " + numberText + ", record codes up to " + bound +
                              ")? It is retired: its fills are refused from then on, its number and range are "
                              "never given out again, and its name is free for a clone made again.\n\n"
                              "Delete now?"))
            return Outcome::cancelled();
        reporter.step("Delete clone " + *name);
        engine::Transaction tx(master);
        const int64_t number = replica::integerOf(master, sql::numberOf(*name));
        master.execute(sql::retireClone(*name, number));
        tx.commit();
        return Outcome::done();
    });
}

}  // namespace quorvel::clone

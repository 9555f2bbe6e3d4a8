// ">", "<", ">>" and "<<" of the page "Table selection": the list of working
// tables (R$WORKINGTABLES), one name per transaction.
#include <string>
#include <vector>

#include "db/CatalogSql.h"
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "operation/RunOperation.h"
#include "prepare/Guards.h"
#include "prepare/Operations.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "replica/TableLists.h"

namespace quorvel::prepare {

using replica::quoted;
using replica::run;
using replica::firstColumn;

namespace {

const std::string& named(const std::optional<std::string>& row) {
    if (!row) throw Refused("List is empty!");
    return *row;
}

void insertName(engine::Database& db, const std::string& table) {
    engine::Transaction tx(db);
    run(db, "insert into R$WorkingTables values (" + quoted(table) + ")");
    tx.commit();
}

void deleteName(engine::Database& db, const std::string& table) {
    engine::Transaction tx(db);
    run(db, "delete from R$WorkingTables where Name = " + quoted(table));
    tx.commit();
}

// Runs `each` on every name, each in its own operation: a name that fails is
// reported and passed over, and the first such outcome is the answer.
template <class Each>
Outcome forEachName(Reporter& reporter, const std::vector<std::string>& names, Each each) {
    Outcome first = Outcome::done();
    for (const std::string& name : names) {
        Outcome one = runOperation(reporter, [&] {
            each(name);
            return Outcome::done();
        });
        if (first.isDone()) first = one;
    }
    return first;
}

}  // namespace

Outcome AddWorkingTable(engine::Database& local, const std::optional<std::string>& table, Reporter& reporter) {
    return runOperation(reporter, [&] {
        RefuseOnClone(local);
        // An empty table list has no current row: there is no name to add.
        insertName(local, named(table));
        return Outcome::done();
    });
}

Outcome RemoveWorkingTable(engine::Database& local, const std::optional<std::string>& table,
                           Reporter& reporter) {
    return runOperation(reporter, [&] {
        RefuseOnClone(local);
        const std::string& name = named(table);
        if (replica::workingTables(local).empty()) throw Refused("List is empty!");
        deleteName(local, name);
        return Outcome::done();
    });
}

Outcome RemoveAllWorkingTables(engine::Database& local, Reporter& reporter) {
    std::vector<std::string> names;
    const Outcome ready = runOperation(reporter, [&] {
        RefuseOnClone(local);
        names = replica::workingTables(local);
        return Outcome::done();
    });
    if (!ready.isDone()) return ready;
    return forEachName(reporter, names, [&](const std::string& name) { deleteName(local, name); });
}

Outcome AddAllWorkingTables(engine::Database& local, Reporter& reporter) {
    Outcome first = RemoveAllWorkingTables(local, reporter);
    if (first.kind() == Outcome::Kind::Refused) return first;
    std::vector<std::string> tables;
    const Outcome ready = runOperation(reporter, [&] {
        tables = firstColumn(local, catalog::kTables);
        return Outcome::done();
    });
    if (!ready.isDone()) return ready;
    const Outcome added = forEachName(reporter, tables, [&](const std::string& name) { insertName(local, name); });
    return first.isDone() ? added : first;
}

}  // namespace quorvel::prepare

#include "synchro/TableCheck.h"

#include <set>

#include "ddl/MakeTableOrder.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "replica/TableLists.h"

namespace quorvel::synchro {

namespace {

std::set<std::string> columnsOf(engine::Database& db, const std::string& table) {
    engine::Query q(db);
    q.setSql("select RDB$Field_Name from RDB$Relation_Fields where RDB$Relation_Name = :T");
    q.setParam("T", table);
    q.open();
    std::set<std::string> out;
    for (q.first(); !q.eof(); q.next()) out.insert(q.field(0).asString());
    q.close();
    return out;
}

}  // namespace

void ensureTableOrder(engine::Database& local, Reporter& reporter) {
    std::vector<std::string> working, ordered;
    {
        engine::Transaction tx(local);
        working = replica::workingTables(local);
        ordered = replica::tableOrder(local);
    }
    if (working.empty() || !ordered.empty()) return;
    const ddl::TableOrder order = ddl::MakeTableOrderFromCatalogue(local);
    {
        engine::Transaction tx(local);
        if (replica::tableOrder(local).empty())
            throw Refused("This database has working tables but no table order: run convert-ddl here. Nothing "
                          "was changed.");
    }
    reporter.notice("This database had no table order (convert-ddl ran at the master after this site was "
                    "made): it was taken from its own foreign keys.");
    if (!order.cycleTables.empty()) reporter.notice(ddl::CycleMessage(order.cycleTables));
}

void requireTables(engine::Database& db, engine::Database& reference, const std::vector<std::string>& tables,
                   const std::string& role) {
    for (const std::string& t : tables) {
        const std::set<std::string> have = columnsOf(db, t);
        if (have.empty())
            throw Refused("The " + role + " has no table " + t +
                          ": it was not made from this database's definition. Nothing was changed.");
        for (const std::string& c : columnsOf(reference, t))
            if (!have.count(c))
                throw Refused("The table " + t + " of the " + role + " has no column " + c +
                              ": it was not made from this database's definition. Nothing was changed.");
    }
}

}  // namespace quorvel::synchro

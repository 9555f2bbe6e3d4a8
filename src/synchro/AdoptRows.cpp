#include "synchro/AdoptRows.h"

#include <stdexcept>

#include "engine/Query.h"
#include "engine/Table.h"
#include "replica/Statements.h"
#include "replica/TableLists.h"
#include "synchro/ColumnFit.h"
#include "synchro/RecordTransfer.h"
#include "synchro/TableCheck.h"

namespace quorvel::synchro {

AdoptedRows adoptRows(engine::Database& master, engine::Database& clone, const replica::RecordCode& ownBound,
                      Reporter& reporter) {
    const std::vector<std::string> order = replica::tableOrder(master);
    requireTables(clone, master, order, "the clone's database");
    requireColumnsFit({clone, "the clone's database"}, {master, "the master"}, order);
    AdoptedRows adopted;
    reporter.step("Remove the master's rows");
    for (auto it = order.rbegin(); it != order.rend(); ++it) replica::run(master, "delete from " + master.identifier(*it));
    reporter.step("Take the clone's rows");
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::string& table = order[k];
        reporter.progress(static_cast<long long>(k), static_cast<long long>(order.size()));
        engine::Query source(clone);
        source.setUnidirectional(true);
        source.setSql("select * from " + clone.identifier(table));
        engine::Table target(master);
        target.setTableName(table);
        RecordTransfer transfer(source, target);
        transfer.onRows = [&reporter, table](int64_t rows) { reporter.rows(table, rows); };
        adopted.tables.push_back({table, transfer.append()});
        engine::Query top(master);
        top.setSql("select R$Code1, R$Code2 from " + master.identifier(table) + " where not " +
                   replica::codeAbove(ownBound) + " order by R$Code1 desc, R$Code2 desc rows 1");
        top.open();
        if (!top.eof() && !top.field(0).isNull() && !top.field(1).isNull()) {
            const replica::RecordCode code{top.field(0).asInteger(), top.field(1).asInteger()};
            if (adopted.highestOwn < code) adopted.highestOwn = code;
        }
    }
    return adopted;
}

}  // namespace quorvel::synchro

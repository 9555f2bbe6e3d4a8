#include "ddl/MakeTableOrder.h"

#include "db/CatalogSql.h"
#include "ddl/TableReferences.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "replica/SqlText.h"

namespace quorvel::ddl {

std::vector<std::string> ReadTableList(engine::Database& master) {
    std::vector<std::string> tables;
    // A query of our own rather than the grid's QTables: walking that one
    // would move the grid and re-run its detail lists row by row.
    engine::Query q(master);
    q.setSql(catalog::kTables);
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        std::string name = q.field(0).asString();
        while (!name.empty() && name.back() == ' ') name.pop_back();
        tables.push_back(std::move(name));
    }
    return tables;
}

TableOrder MakeTableOrder(engine::Database& master, const TMyStream& source) {
    TableOrder order = OrderTables(ReadTableList(master), FindReferences(source));

    engine::Transaction tx(master);
    master.execute("delete from R$TABLEORDER");
    for (size_t i = 0; i < order.tables.size(); ++i)
        master.execute("insert into R$TABLEORDER values(" + std::to_string(i + 1) + "," +
                       replica::quoted(order.tables[i]) + ")");
    master.execute(
        "delete from R$TABLEORDER where 0 = (select count(*) from R$WorkingTables where Name = "
        "R$TABLEORDER.TABLENAME)");
    tx.commit();
    return order;
}

}  // namespace quorvel::ddl

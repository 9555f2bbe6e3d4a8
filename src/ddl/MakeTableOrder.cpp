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

namespace {

void writeOrder(engine::Database& master, const TableOrder& order) {
    engine::Transaction tx(master);
    master.execute("delete from R$TABLEORDER");
    for (size_t i = 0; i < order.tables.size(); ++i)
        master.execute("insert into R$TABLEORDER values(" + std::to_string(i + 1) + "," +
                       replica::quoted(order.tables[i]) + ")");
    master.execute(
        "delete from R$TABLEORDER where 0 = (select count(*) from R$WorkingTables where Name = "
        "R$TABLEORDER.TABLENAME)");
    tx.commit();
}

// Each foreign key of the database as (referencing table, referenced table).
std::vector<TRefPair> catalogueReferences(engine::Database& db) {
    engine::Transaction tx(db);
    engine::Query q(db);
    q.setSql("select trim(C.RDB$Relation_Name), trim(P.RDB$Relation_Name) from RDB$Relation_Constraints C "
             "join RDB$Ref_Constraints R on R.RDB$Constraint_Name = C.RDB$Constraint_Name "
             "join RDB$Relation_Constraints P on P.RDB$Constraint_Name = R.RDB$Const_Name_Uq "
             "where C.RDB$Constraint_Type = 'FOREIGN KEY' order by C.RDB$Constraint_Name");
    q.open();
    std::vector<TRefPair> pairs;
    for (; !q.eof(); q.next()) pairs.push_back({q.field(0).asString(), q.field(1).asString()});
    return pairs;
}

}  // namespace

TableOrder MakeTableOrder(engine::Database& master, const TMyStream& source) {
    TableOrder order = OrderTables(ReadTableList(master), FindReferences(source));
    writeOrder(master, order);
    return order;
}

TableOrder MakeTableOrderFromCatalogue(engine::Database& db) {
    std::vector<std::string> tables;
    std::vector<TRefPair> pairs;
    {
        engine::Transaction tx(db);
        tables = ReadTableList(db);
    }
    pairs = catalogueReferences(db);
    TableOrder order = OrderTables(tables, pairs);
    writeOrder(db, order);
    return order;
}

}  // namespace quorvel::ddl

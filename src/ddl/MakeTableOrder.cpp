#include "ddl/MakeTableOrder.h"

#include "db/CatalogSql.h"
#include "ddl/TableReferences.h"
#include "engine/Transaction.h"

namespace quorvel::ddl {

namespace {

// A dialect-1 string literal: a double quote inside the name is doubled, so
// a catalogue name cannot end the literal early.
std::string doubleQuoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

std::vector<std::string> ReadTableList(DM& dm) {
    std::vector<std::string> tables;
    // A query of our own rather than the grid's QTables: walking that one
    // would move the grid and re-run its detail lists row by row.
    dm.Q6Show(catalog::kTables);
    for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next()) {
        std::string name = dm.Q6.field(0).asString();
        while (!name.empty() && name.back() == ' ') name.pop_back();
        tables.push_back(std::move(name));
    }
    dm.Q6.close();
    return tables;
}

TableOrder MakeTableOrder(DM& dm, const TMyStream& source) {
    TableOrder order = OrderTables(ReadTableList(dm), FindReferences(source));

    engine::Transaction tx(dm.UserDB());
    dm.Q6Exec("delete from R$TABLEORDER");
    for (size_t i = 0; i < order.tables.size(); ++i)
        dm.Q6Exec("insert into R$TABLEORDER values(" + std::to_string(i + 1) + "," +
                  doubleQuoted(order.tables[i]) + ")");
    dm.Q6Exec(
        "delete from R$TABLEORDER where 0 = (select count(*) from R$WorkingTables where Name = "
        "R$TABLEORDER.TABLENAME)");
    tx.commit();
    // Grids that show the order follow the new one.
    if (dm.QTableOrder.active()) {
        dm.QTableOrder.close();
        dm.QTableOrder.open();
    }
    return order;
}

}  // namespace quorvel::ddl

#include "synchro/LocalSite.h"

#include <set>

#include "engine/Query.h"
#include "synchro/Refusal.h"

namespace quorvel::synchro {

namespace {

std::vector<std::string> firstColumn(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    q.setSql(sql);
    q.open();
    std::vector<std::string> out;
    for (q.first(); !q.eof(); q.next()) out.push_back(q.field(0).asString());
    q.close();
    return out;
}

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

LocalSite LocalSite::read(engine::Database& db) {
    LocalSite s;
    engine::Query q(db);
    q.setSql("select Name, MaxValue1, MaxValue2 from R$Clone where ME = \"Y\"");
    q.open();
    if (q.eof())
        throw Refusal("This database has no identity: no row of R$CLONE is marked ME = \"Y\". "
                      "Create the meta structures (or update the clone) first.");
    s.identity = q.field(0).asString();
    if (q.field(1).isNull() || q.field(2).isNull())
        throw Refusal("The identity row " + s.identity + " of R$CLONE has no upper bound (MaxValue1, MaxValue2).");
    s.bound = {q.field(1).asInteger(), q.field(2).asInteger()};
    q.close();

    q.setSql("select SynchroNumber, R$Code1, R$Code2 from R$Synchro order by SynchroNumber desc");
    q.open();
    if (q.eof() || q.field(1).isNull() || q.field(2).isNull())
        throw Refusal("No synchronization mark: the history (R$SYNCHRO) is empty. "
                      "Recreate the triggers first, which numbers the rows and writes the first mark.");
    s.lastNumber = q.field(0).asInteger();
    s.mark = {q.field(1).asInteger(), q.field(2).asInteger()};
    q.close();
    return s;
}

std::optional<std::string> codesPastBound(engine::Database& db, const LocalSite& site) {
    engine::Query q(db);
    q.setSql("select gen_id(R$Gen1, 0), gen_id(R$Gen2, 0) from RDB$Database");
    q.open();
    const RecordCode drawn{q.field(0).asInteger(), q.field(1).asInteger()};
    q.close();
    if (drawn <= site.bound) return std::nullopt;
    return "Warning: the record codes of " + site.identity + " have passed the upper bound of its range, " +
           site.bound.text() + ": its code generator stands at " + drawn.text() +
           ", and rows given codes beyond the bound are never sent by a fill.";
}

std::vector<std::string> tableOrder(engine::Database& db) {
    return firstColumn(db, "select TableName from R$TableOrder order by Number");
}

std::vector<std::string> workingTables(engine::Database& db) {
    return firstColumn(db, "select Name from R$WorkingTables order by Name");
}

void requireTables(engine::Database& db, engine::Database& reference, const std::vector<std::string>& tables,
                   const std::string& role) {
    for (const std::string& t : tables) {
        const std::set<std::string> have = columnsOf(db, t);
        if (have.empty())
            throw Refusal("The " + role + " has no table " + t +
                          ": it was not made from this database's definition. Nothing was changed.");
        for (const std::string& c : columnsOf(reference, t))
            if (!have.count(c))
                throw Refusal("The table " + t + " of the " + role + " has no column " + c +
                              ": it was not made from this database's definition. Nothing was changed.");
    }
}

}  // namespace quorvel::synchro

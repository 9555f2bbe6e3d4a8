// The catalogue against a database: what is there, and what an upgrade adds.
#include "replica/Catalogue.h"

#include "engine/Transaction.h"
#include "replica/Presence.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::replica::catalogue {

namespace {

using Kind = Object::Kind;

std::string keyConstraint(engine::Database& db, const std::string& table) {
    return textOf(db, "select RDB$Constraint_Name from RDB$Relation_Constraints where RDB$Relation_Name = " +
                          quoted(table) + " and RDB$Constraint_Type = 'PRIMARY KEY'");
}

void inTransaction(engine::Database& db, const std::string& statement) {
    engine::Transaction tx(db);
    run(db, statement);
    tx.commit();
}

}  // namespace

bool present(engine::Database& db, const Object& o) {
    switch (o.kind) {
        case Kind::Generator: return GeneratorPresent(db, o.name);
        case Kind::Table: return TablePresent(db, o.name);
        case Kind::Procedure: return ProcedurePresent(db, o.name);
        case Kind::Index:
            return integerOf(db, "select count(*) from RDB$Indices where RDB$Index_Name = " + quoted(o.name)) != 0;
        case Kind::Exception:
            return integerOf(db, "select count(*) from RDB$Exceptions where RDB$Exception_Name = " + quoted(o.name)) != 0;
    }
    return false;
}

void bringTo(engine::Database& db, const std::vector<Object>& objects, int version, int createSince) {
    const int dialect = db.sqlDialect();
    for (const Object& o : objects) {
        if (!o.currentAt(version)) continue;
        if (!present(db, o)) {
            if (o.since >= createSince) inTransaction(db, createStatement(o, version, dialect));
            continue;
        }
        if (o.kind == Kind::Procedure && o.revisedAt(version))
            inTransaction(db, "create or alter" + createStatement(o, version, dialect).substr(std::string("create").size()));
        if (o.kind != Kind::Table) continue;
        for (const Column& c : o.columns)
            if (c.since <= version && !ColumnPresent(db, o.name, c.name))
                inTransaction(db, "alter table " + o.name + " add " + c.name + " " + c.typeIn(dialect, version));
        if (!o.key.empty() && !o.keyedAt(version))
            if (const std::string key = keyConstraint(db, o.name); !key.empty())
                inTransaction(db, "alter table " + o.name + " drop constraint " + key);
    }
}

void widenDates(engine::Database& db, const std::vector<Object>& objects) {
    if (db.sqlDialect() < 3) return;
    for (const Object& o : objects) {
        if (o.kind != Kind::Table || !present(db, o)) continue;
        for (const Column& c : o.columns) {
            if (c.type != "DATE" || c.type3 != "TIMESTAMP") continue;
            // 12: a dialect-3 DATE, which holds no time of day.
            const std::optional<ColumnStorage> stored = StorageOf(db, o.name, c.name);
            if (stored && stored->type == 12) inTransaction(db, "alter table " + o.name + " alter column " + c.name + " type timestamp");
        }
    }
}

}  // namespace quorvel::replica::catalogue

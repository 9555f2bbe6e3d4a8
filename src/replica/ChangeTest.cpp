#include "replica/ChangeTest.h"

#include "engine/Query.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

struct Columns {
    std::vector<std::string> compared;
    bool hasArray = false;
};

Columns columnsOf(engine::Database& db, const std::string& table) {
    engine::Query q(db);
    q.setSql("select RF.RDB$Field_Name, coalesce(F.RDB$Dimensions, 0) from RDB$Relation_Fields RF "
             "join RDB$Fields F on F.RDB$Field_Name = RF.RDB$Field_Source "
             "where RF.RDB$Relation_Name = " + quoted(catalogueName(db, table)) +
             " and F.RDB$Computed_Blr is null "
             "order by RF.RDB$Field_Position");
    q.open();
    Columns c;
    for (q.first(); !q.eof(); q.next()) {
        if (q.field(1).asInteger() > 0) c.hasArray = true;
        c.compared.push_back(q.field(0).asString());
    }
    return c;
}

std::string comparison(engine::Database& db, const std::string& column) {
    const std::string name = db.identifier(column);
    return "new." + name + " is distinct from old." + name;
}

}  // namespace

std::string changeCondition(engine::Database& db, const std::string& table) {
    const Columns c = columnsOf(db, table);
    if (c.hasArray || c.compared.empty()) return "";
    std::string condition;
    for (const std::string& column : c.compared)
        condition += (condition.empty() ? "" : "\n      or ") + comparison(db, column);
    return condition;
}

std::vector<std::string> columnsTheTriggerMisses(engine::Database& db, const std::string& table) {
    const std::string source = textOf(
        db, "select RDB$Trigger_Source from RDB$Triggers where RDB$Trigger_Name starting with 'R$' and "
            "RDB$Trigger_Type = 4 and RDB$Relation_Name = " + quoted(catalogueName(db, table)));
    if (source.find(" is distinct from ") == std::string::npos) return {};
    const Columns c = columnsOf(db, table);
    std::vector<std::string> missed;
    if (c.hasArray) return {"(an array column)"};
    for (const std::string& column : c.compared)
        if (source.find(comparison(db, column)) == std::string::npos) missed.push_back(column);
    return missed;
}

}  // namespace quorvel::replica

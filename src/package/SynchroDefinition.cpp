#include "package/SynchroDefinition.h"

#include <stdexcept>

#include "engine/DatabaseFacts.h"
#include "engine/Query.h"
#include "replica/Catalogue.h"
#include "replica/SchemaVersion.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "replica/TableLists.h"

namespace quorvel::package {

namespace {

struct ColumnType {
    std::string name;
    int type = 0, subType = 0, length = 0, scale = 0, precision = 0, charLength = 0, segment = 0, dimensions = 0;
    std::string charset, fieldSource;
    bool notNull = false;
};

std::string number(int v) { return std::to_string(v); }

// An exact number stored as an integer or (in dialect 1) as a double.
std::string exact(const ColumnType& c, int defaultPrecision) {
    const int precision = c.precision > 0 ? c.precision : defaultPrecision;
    return std::string(c.subType == 2 ? "DECIMAL(" : "NUMERIC(") + number(precision) + ", " + number(-c.scale) + ")";
}

// `dims`: the bounds of an array column ("[1:4]"), which come before the
// character set.
std::string typeText(const ColumnType& c, const std::string& dims) {
    auto withCharset = [&](const std::string& type, const ColumnType& col) {
        return col.charset.empty() ? type + dims : type + dims + " CHARACTER SET " + col.charset;
    };
    const int chars = c.charLength > 0 ? c.charLength : c.length;
    switch (c.type) {
        case 7: return (c.scale < 0 || c.subType != 0 ? exact(c, 4) : "SMALLINT") + dims;
        case 8: return (c.scale < 0 || c.subType != 0 ? exact(c, 9) : "INTEGER") + dims;
        case 16: return (c.scale < 0 || c.subType != 0 ? exact(c, 18) : "BIGINT") + dims;
        case 10: return "FLOAT" + dims;
        case 27: return (c.scale < 0 ? exact(c, 15) : "DOUBLE PRECISION") + dims;
        case 12: return "DATE" + dims;
        case 13: return "TIME" + dims;
        case 35: return "TIMESTAMP" + dims;
        case 23: return "BOOLEAN" + dims;
        case 14: return withCharset("CHAR(" + number(chars) + ")", c);
        case 37:
        case 40: return withCharset("VARCHAR(" + number(chars) + ")", c);
        case 261: {
            std::string t = "BLOB SUB_TYPE " + number(c.subType);
            if (c.segment > 0) t += " SEGMENT SIZE " + number(c.segment);
            return c.subType == 1 && !c.charset.empty() ? t + " CHARACTER SET " + c.charset : t;
        }
    }
    throw std::runtime_error("The column " + c.name + " has a type (" + number(c.type) +
                             ") that a synchro database cannot be made with.");
}

int intOf(engine::Query& q, int i) { return q.field(i).isNull() ? 0 : static_cast<int>(q.field(i).asInteger()); }

std::vector<ColumnType> columnsOf(engine::Database& db, const std::string& table) {
    engine::Query q(db);
    q.setSql("select rf.RDB$Field_Name, f.RDB$Field_Type, f.RDB$Field_Sub_Type, f.RDB$Field_Length, "
             "f.RDB$Field_Scale, f.RDB$Field_Precision, f.RDB$Character_Length, f.RDB$Segment_Length, "
             "f.RDB$Dimensions, cs.RDB$Character_Set_Name, rf.RDB$Field_Source, "
             "coalesce(rf.RDB$Null_Flag, f.RDB$Null_Flag, 0) "
             "from RDB$Relation_Fields rf join RDB$Fields f on f.RDB$Field_Name = rf.RDB$Field_Source "
             "left join RDB$Character_Sets cs on cs.RDB$Character_Set_Id = f.RDB$Character_Set_Id "
             "where rf.RDB$Relation_Name = " + replica::quoted(table) + " order by rf.RDB$Field_Position");
    q.open();
    std::vector<ColumnType> columns;
    for (; !q.eof(); q.next()) {
        ColumnType c;
        c.name = q.field(0).asString();
        c.type = intOf(q, 1);
        c.subType = intOf(q, 2);
        c.length = intOf(q, 3);
        c.scale = intOf(q, 4);
        c.precision = intOf(q, 5);
        c.charLength = intOf(q, 6);
        c.segment = intOf(q, 7);
        c.dimensions = intOf(q, 8);
        c.charset = q.field(9).isNull() ? "" : q.field(9).asString();
        c.fieldSource = q.field(10).asString();
        c.notNull = intOf(q, 11) != 0;
        columns.push_back(c);
    }
    return columns;
}

// "[1:4, 0:2]" of an array column.
std::string bounds(engine::Database& db, const ColumnType& c) {
    engine::Query q(db);
    q.setSql("select RDB$Lower_Bound, RDB$Upper_Bound from RDB$Field_Dimensions where RDB$Field_Name = " +
             replica::quoted(c.fieldSource) + " order by RDB$Dimension");
    q.open();
    std::string out;
    for (; !q.eof(); q.next())
        out += (out.empty() ? "[" : ", ") + number(intOf(q, 0)) + ":" + number(intOf(q, 1));
    return out + "]";
}

std::vector<std::string> primaryKey(engine::Database& db, const std::string& table) {
    return replica::firstColumn(
        db, "select s.RDB$Field_Name from RDB$Relation_Constraints c join RDB$Index_Segments s on "
            "s.RDB$Index_Name = c.RDB$Index_Name where c.RDB$Relation_Name = " + replica::quoted(table) +
                " and c.RDB$Constraint_Type = 'PRIMARY KEY' order by s.RDB$Field_Position");
}

std::string createTable(engine::Database& db, const std::string& table) {
    std::string sql = "CREATE TABLE " + db.identifier(table) + " (";
    bool first = true;
    for (const ColumnType& c : columnsOf(db, table)) {
        sql += (first ? "" : ", ") + db.identifier(c.name) + " " + typeText(c, c.dimensions > 0 ? bounds(db, c) : "");
        if (c.notNull) sql += " NOT NULL";
        first = false;
    }
    const std::vector<std::string> key = primaryKey(db, table);
    if (!key.empty()) {
        sql += ", PRIMARY KEY (";
        for (size_t i = 0; i < key.size(); ++i) sql += (i ? ", " : "") + db.identifier(key[i]);
        sql += ")";
    }
    return sql + ")";
}

}  // namespace

std::vector<std::string> synchroDefinition(engine::Database& local) {
    std::vector<std::string> statements;
    for (const std::string& table : replica::workingTables(local)) statements.push_back(createTable(local, table));
    for (const replica::catalogue::Object& o : replica::catalogue::synchroObjects())
        statements.push_back(replica::catalogue::createStatement(o, replica::kSynchroFormat, local.sqlDialect()));
    return statements;
}

void makeSynchroDatabase(engine::Database& local, const std::string& path) {
    const engine::DatabaseFacts facts = engine::readDatabaseFacts(local);
    const std::vector<std::string> statements = synchroDefinition(local);
    engine::Database::createDatabase(path, "SYSDBA", "", 8192, facts.sqlDialect, facts.defaultCharset);
    engine::Database synchro("PackageSynchroDB");
    synchro.setDatabaseName(path);
    synchro.setParams({"USER NAME=SYSDBA", "PASSWORD="});
    synchro.connect();
    // Each in a transaction of its own: a table is used by the next ones.
    for (const std::string& sql : statements) {
        synchro.startTransaction();
        synchro.execute(sql);
        synchro.commit();
    }
    synchro.disconnect();
}

}  // namespace quorvel::package

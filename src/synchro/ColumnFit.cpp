#include "synchro/ColumnFit.h"

#include <map>

#include "engine/Query.h"
#include "operation/Refused.h"

namespace quorvel::synchro {

namespace {

// Storage types as the catalogue (RDB$FIELDS.RDB$FIELD_TYPE) gives them.
enum StorageType {
    kSmallInt = 7, kInteger = 8, kFloat = 10, kDFloat = 11, kDate = 12, kTime = 13, kChar = 14,
    kBigInt = 16, kBoolean = 23, kDouble = 27, kTimestamp = 35, kVarChar = 37, kCString = 40, kBlob = 261
};

struct Column {
    int type = 0, subType = 0, length = 0, scale = 0, chars = 0, dimensions = 0, precision = 0;
    bool computed = false;

    int places() const { return -scale; }
    bool text() const { return type == kChar || type == kVarChar || type == kCString; }
    bool exact() const { return type == kSmallInt || type == kInteger || type == kBigInt; }
    bool approximate() const { return type == kFloat || type == kDFloat || type == kDouble; }
    // Decimal digits held without loss: the whole range of an integer type
    // (a declared precision is not enforced by the server), the mantissa of
    // a floating type.
    int digits() const {
        switch (type) {
            case kSmallInt: return 4;
            case kInteger: return 9;
            case kBigInt: return 18;
            case kFloat: return 7;
            default: return 15;
        }
    }
    // The largest whole part it holds, as a power of ten.
    int wholeDigits() const { return digits() - places(); }
};

std::map<std::string, Column> columnsOf(engine::Database& db, const std::string& table) {
    engine::Query q(db);
    q.setSql(
        "select rf.RDB$Field_Name, f.RDB$Field_Type, f.RDB$Field_Sub_Type, f.RDB$Field_Length, "
        "f.RDB$Field_Scale, f.RDB$Character_Length, f.RDB$Dimensions, f.RDB$Field_Precision, "
        "case when f.RDB$Computed_BLR is null then 0 else 1 end "
        "from RDB$Relation_Fields rf join RDB$Fields f on f.RDB$Field_Name = rf.RDB$Field_Source "
        "where rf.RDB$Relation_Name = :T");
    q.setParam("T", table);
    q.open();
    std::map<std::string, Column> out;
    for (q.first(); !q.eof(); q.next()) {
        Column c;
        c.type = static_cast<int>(q.field(1).asInteger());
        c.subType = static_cast<int>(q.field(2).asInteger());
        c.length = static_cast<int>(q.field(3).asInteger());
        c.scale = static_cast<int>(q.field(4).asInteger());
        c.chars = q.field(5).isNull() ? c.length : static_cast<int>(q.field(5).asInteger());
        c.dimensions = static_cast<int>(q.field(6).asInteger());
        c.precision = static_cast<int>(q.field(7).asInteger());
        c.computed = q.field(8).asInteger() != 0;
        out[q.field(0).asString()] = c;
    }
    q.close();
    return out;
}

std::string describe(const Column& c) {
    std::string s;
    const auto numeric = [&](int defaultPrecision) {
        return "NUMERIC(" + std::to_string(c.precision ? c.precision : defaultPrecision) + "," +
               std::to_string(c.places()) + ")";
    };
    switch (c.type) {
        case kSmallInt: s = c.scale ? numeric(4) : "SMALLINT"; break;
        case kInteger: s = c.scale ? numeric(9) : "INTEGER"; break;
        case kBigInt: s = c.scale ? numeric(18) : "BIGINT"; break;
        case kFloat: s = "FLOAT"; break;
        case kDFloat:
        case kDouble: s = c.scale ? numeric(15) : "DOUBLE PRECISION"; break;
        case kDate: s = "DATE"; break;
        case kTime: s = "TIME"; break;
        case kTimestamp: s = "TIMESTAMP"; break;
        case kChar: s = "CHAR(" + std::to_string(c.chars) + ")"; break;
        case kVarChar: s = "VARCHAR(" + std::to_string(c.chars) + ")"; break;
        case kCString: s = "CSTRING(" + std::to_string(c.chars) + ")"; break;
        case kBoolean: s = "BOOLEAN"; break;
        case kBlob: s = "BLOB SUB_TYPE " + std::to_string(c.subType); break;
        default: s = "type " + std::to_string(c.type);
    }
    if (c.dimensions) s += " array of " + std::to_string(c.dimensions) + " dimension(s)";
    return s;
}

// Whether every value of `from` is held by `to` as it was.
bool holds(const Column& to, const Column& from) {
    if (to.dimensions || from.dimensions)
        return to.dimensions == from.dimensions && to.type == from.type && to.length == from.length &&
               to.scale == from.scale;
    if (from.text()) return (to.text() && to.chars >= from.chars) || (to.type == kBlob && to.subType == 1);
    if (from.type == kBlob) return to.type == kBlob && (to.subType == from.subType || to.subType == 0);
    if (from.exact() || from.approximate()) {
        if (!to.exact() && !to.approximate()) return false;
        // A receiver with a scale rounds to it; one without keeps every
        // decimal only if it is a floating type.
        if (to.places() < from.places()) return false;
        if (to.exact() && from.approximate() && from.places() == 0) return false;
        if (to.approximate() && to.places() > 0 && from.approximate() && from.places() == 0) return false;
        if (to.approximate() && from.exact()) return from.digits() <= to.digits();
        if (to.approximate() && from.approximate()) return from.digits() <= to.digits();
        return to.wholeDigits() >= from.wholeDigits();
    }
    if (from.type == kDate) return to.type == kDate || to.type == kTimestamp;
    return to.type == from.type && to.length == from.length && to.subType == from.subType;
}

std::string remedy() {
    return " Make the synchro database from this database's definition (or bring the two definitions to the "
           "same columns). Nothing was changed.";
}

}  // namespace

void requireColumnsFit(const Side& from, const Side& to, const std::vector<std::string>& tables) {
    for (const std::string& table : tables) {
        const std::map<std::string, Column> sent = columnsOf(from.db, table);
        const std::map<std::string, Column> kept = columnsOf(to.db, table);
        for (const auto& [name, column] : kept)
            if (!column.computed && !sent.count(name))
                throw Refused("The table " + table + " of " + to.name + " has a column " + name + " that " +
                              from.name + " lacks: its values would be lost." + remedy());
        for (const auto& [name, column] : sent) {
            const auto there = kept.find(name);
            if (there == kept.end())
                throw Refused("The table " + table + " of " + to.name + " has no column " + name + " of " +
                              from.name + ": its values would be lost." + remedy());
            if (!there->second.computed && !holds(there->second, column))
                throw Refused("The column " + name + " of the table " + table + " would lose data: " +
                              describe(column) + " in " + from.name + ", " + describe(there->second) + " in " +
                              to.name + "." + remedy());
        }
    }
}

}  // namespace quorvel::synchro

#pragma once
// A column of an open data set, bound to the data set's current row (or to
// its edit buffer while the data set is in edit or insert state).
#include <cstdint>
#include <optional>
#include <string>

#include "Value.h"

namespace quorvel::engine {

class DataSet;

enum class FieldType {
    SmallInt, Integer, BigInt,   // exact, scale 0
    Numeric,                     // exact with a scale (NUMERIC/DECIMAL)
    Float, Double,
    Char, VarChar,
    Date, Time, Timestamp,       // in dialect 1 DATE is a timestamp
    Blob,                        // any sub-type; text blobs read as text
    Array,
    Boolean,
    Calculated,                  // value computed by a handler, never stored
    Unknown
};

class Field {
public:
    Field(DataSet& owner, int index, std::string name, FieldType type,
          int length, int scale, int subType);

    const std::string& name() const { return name_; }
    int index() const { return index_; }
    FieldType type() const { return type_; }
    int length() const { return length_; }   // characters for text, bytes otherwise
    int scale() const { return scale_; }     // negative decimal places, as stored
    int subType() const { return subType_; }
    bool isBlob() const { return type_ == FieldType::Blob; }
    bool isComputed() const { return computed_; }  // COMPUTED BY column of a table
    void setComputed(bool c) { computed_ = c; }

    // Reading. A field of an empty or closed result reads as NULL, 0 and "".
    bool isNull() const;
    std::string asString() const;     // CHAR without trailing blanks; BLOB whole
    int64_t asInteger() const;        // text converted; throws DbError if not a number
    double asDouble() const;
    Value asValue() const;            // variant of its own type; NUMERIC with
                                      // decimals as Scaled, exact

    // Writing; only while the owning data set is in edit or insert state
    // (calculated fields may be set any time by their handler).
    void setNull();
    void setString(const std::string& text);
    void setInteger(int64_t v);
    void setDouble(double v);
    void setScaled(const Scaled& v);  // exact; an error where digits would be lost
    void setValue(const Value& v);
    // Value assignment from another data set's field (any database): NULL
    // stays NULL, BLOB and array contents are copied whole.
    void assign(const Field& source);

    // Display properties used by grids.
    std::string displayLabel;  // empty: the name
    int displayWidth = 0;      // characters; 0: engine default
    bool visible = true;

    DataSet& owner() const { return owner_; }

private:
    DataSet& owner_;
    int index_;
    std::string name_;
    FieldType type_;
    int length_;
    int scale_;
    int subType_;
    bool computed_ = false;
};

// The field's integer, none where it is NULL.
inline std::optional<int64_t> optionalInteger(const Field& f) {
    if (f.isNull()) return std::nullopt;
    return f.asInteger();
}

}  // namespace quorvel::engine

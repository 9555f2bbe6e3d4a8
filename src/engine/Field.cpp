#include "Field.h"

#include <ibase.h>

#include <cstring>

#include "ArrayIo.h"
#include "DataSetImpl.h"
#include "ValueCodec.h"

namespace quorvel::engine {

Field::Field(DataSet& owner, int index, std::string name, FieldType type, int length, int scale, int subType)
    : owner_(owner), index_(index), name_(std::move(name)), type_(type), length_(length), scale_(scale),
      subType_(subType) {}

namespace {

struct Slot {
    DataSetImpl& d;
    const Row* row;
    const Column* col;  // null for a calculated field
    int calc;
};

Slot slotOf(const Field& f) {
    DataSetImpl& d = f.owner().impl();
    // While calculated fields are computed, fields read the row being computed.
    const Row* row = d.computing ? d.computing.get() : d.readRow();
    if (!row || f.index() >= static_cast<int>(d.cols.size()) + static_cast<int>(d.calcDefs.size()))
        return {d, nullptr, nullptr, -1};
    if (f.index() >= d.visibleCols) return {d, row, nullptr, f.index() - d.visibleCols};
    return {d, row, &d.cols[f.index()], -1};
}

// New contents of a BLOB or array column set while editing.
const std::optional<std::string>* pendingContent(const Slot& s, int index) {
    auto& d = s.d;
    if ((d.state == DataSetState::Edit || d.state == DataSetState::Insert) && s.row == &d.edit &&
        index < static_cast<int>(d.pendingBlobs.size()) && d.pendingBlobs[index])
        return &d.pendingBlobs[index];
    return nullptr;
}

// Pending text of a BLOB column (array bytes are not text).
const std::optional<std::string>* pendingBlob(const Slot& s, int index) {
    if (!s.col || s.col->sqlType != SQL_BLOB) return nullptr;
    return pendingContent(s, index);
}

double textAsDouble(const std::string& text) {
    try {
        return std::stod(text);
    } catch (const std::exception&) {
        throw DbError("'" + text + "' is not a valid floating point value");
    }
}

const Value* calcValue(const Slot& s) {
    if (!s.row || s.calc < 0 || s.calc >= static_cast<int>(s.row->calc.size())) return nullptr;
    return &s.row->calc[s.calc];
}

// The buffer a setter writes: the edit buffer (or, for a calculated field,
// the row being computed / the current row).
Row* writableRow(Field& f, bool calculated) {
    DataSetImpl& d = f.owner().impl();
    if (calculated) {
        if (d.computing) return d.computing.get();
        if (d.state == DataSetState::Edit || d.state == DataSetState::Insert) return &d.edit;
        return d.curRow.get();
    }
    d.requireActive();
    d.requireEditing();
    return &d.edit;
}

}  // namespace

bool Field::isNull() const {
    Slot s = slotOf(*this);
    if (!s.row) return true;
    if (!s.col) {
        const Value* v = calcValue(s);
        return !v || engine::isNull(*v);
    }
    if (pendingContent(s, index_)) return false;
    return isNullIn(*s.col, s.row->data.data());
}

std::string Field::asString() const {
    Slot s = slotOf(*this);
    if (!s.row) return {};
    if (!s.col) {
        const Value* v = calcValue(s);
        return v ? valueToString(*v) : std::string();
    }
    if (auto* p = pendingBlob(s, index_)) return **p;
    if (isNullIn(*s.col, s.row->data.data())) return {};
    return textOf(s.d, *s.col, s.row->data.data());
}

int64_t Field::asInteger() const {
    Slot s = slotOf(*this);
    if (!s.row) return 0;
    if (!s.col) {
        const Value* v = calcValue(s);
        if (!v || engine::isNull(*v)) return 0;
        if (auto* i = std::get_if<int64_t>(v)) return *i;
        if (auto* d = std::get_if<double>(v)) return static_cast<int64_t>(*d);
        if (auto* x = std::get_if<Scaled>(v)) {
            int64_t out;
            parseInteger(formatScaled(x->units, x->scale), out);
            return out;
        }
        int64_t out;
        if (parseInteger(std::get<std::string>(*v), out)) return out;
        throw DbError("'" + std::get<std::string>(*v) + "' is not a valid integer value");
    }
    if (auto* p = pendingBlob(s, index_)) {
        int64_t out;
        if (parseInteger(**p, out)) return out;
        throw DbError("'" + **p + "' is not a valid integer value");
    }
    if (isNullIn(*s.col, s.row->data.data())) return 0;
    return integerOf(s.d, *s.col, s.row->data.data());
}

double Field::asDouble() const {
    Slot s = slotOf(*this);
    if (!s.row) return 0;
    if (!s.col) {
        const Value* v = calcValue(s);
        if (!v || engine::isNull(*v)) return 0;
        if (auto* i = std::get_if<int64_t>(v)) return static_cast<double>(*i);
        if (auto* d = std::get_if<double>(v)) return *d;
        return textAsDouble(valueToString(*v));
    }
    // New text of a BLOB being edited counts, as it does for asString.
    if (auto* p = pendingBlob(s, index_)) return textAsDouble(**p);
    if (isNullIn(*s.col, s.row->data.data())) return 0;
    return doubleOf(s.d, *s.col, s.row->data.data());
}

Value Field::asValue() const {
    Slot s = slotOf(*this);
    if (!s.row) return Null{};
    if (!s.col) {
        const Value* v = calcValue(s);
        return v ? *v : Value{};
    }
    if (auto* p = pendingBlob(s, index_)) return **p;
    if (isNullIn(*s.col, s.row->data.data())) return Null{};
    return valueOf(s.d, *s.col, s.row->data.data());
}

// ---------------------------------------------------------------- setters

namespace {

// The start every setter shares: a calculated field keeps the value with its
// row; a stored column has it written by `store` into its row buffer.
template <class V, class Store>
void setField(Field& f, const V& value, Store&& store) {
    const bool calculated = f.type() == FieldType::Calculated;
    Row* r = writableRow(f, calculated);
    if (!r) return;
    DataSetImpl& d = f.owner().impl();
    if (calculated) {
        r->calc[f.index() - d.visibleCols] = Value(value);
        return;
    }
    store(d, d.cols[f.index()], *r);
}

}  // namespace

void Field::setNull() {
    setField(*this, Null{}, [&](DataSetImpl& d, const Column& c, Row& r) {
        setNullIn(c, r.data.data(), true);
        if (index_ < static_cast<int>(d.pendingBlobs.size())) d.pendingBlobs[index_].reset();
    });
}

void Field::setString(const std::string& text) {
    setField(*this, text, [&](DataSetImpl& d, const Column& c, Row& r) {
        if (c.sqlType == SQL_BLOB) {
            d.pendingBlobs[index_] = text;
            setNullIn(c, r.data.data(), false);
            return;
        }
        if (c.sqlType == SQL_ARRAY) throw DbError("Cannot assign text to the array column " + name_);
        writeText(c, r.data.data(), text);
    });
}

void Field::setInteger(int64_t v) {
    setField(*this, v, [&](DataSetImpl&, const Column& c, Row& r) {
        if (c.sqlType == SQL_BLOB || c.sqlType == SQL_ARRAY) setString(std::to_string(v));
        else writeInteger(c, r.data.data(), v);
    });
}

void Field::setDouble(double v) {
    setField(*this, v, [&](DataSetImpl&, const Column& c, Row& r) {
        if (c.sqlType == SQL_BLOB || c.sqlType == SQL_ARRAY) setString(formatDouble(v));
        else writeDouble(c, r.data.data(), v);
    });
}

void Field::setValue(const Value& v) {
    if (engine::isNull(v)) setNull();
    else if (auto* i = std::get_if<int64_t>(&v)) setInteger(*i);
    else if (auto* d = std::get_if<double>(&v)) setDouble(*d);
    else if (auto* x = std::get_if<Scaled>(&v)) setScaled(*x);
    else setString(std::get<std::string>(v));
}

void Field::setScaled(const Scaled& v) {
    setField(*this, v, [&](DataSetImpl&, const Column& c, Row& r) {
        if (c.sqlType == SQL_BLOB || c.sqlType == SQL_ARRAY) setString(formatScaled(v.units, v.scale));
        else writeScaled(c, r.data.data(), v);
    });
}

namespace {

bool sameLayout(const Column& a, const Column& b) {
    return a.sqlType == b.sqlType && a.length == b.length && a.scale == b.scale &&
           (a.charSet == b.charSet || a.sqlType != SQL_TEXT);
}

bool isExactType(unsigned t) { return t == SQL_SHORT || t == SQL_LONG || t == SQL_INT64; }
bool isTextType(unsigned t) { return t == SQL_TEXT || t == SQL_VARYING; }

}  // namespace

void Field::assign(const Field& source) {
    if (type_ == FieldType::Calculated) {
        setValue(source.asValue());
        return;
    }
    // A computed column is never written; transfers pass over it.
    if (computed_) return;
    DataSetImpl& d = owner_.impl();
    Row* r = writableRow(*this, false);
    const Column& tc = d.cols[index_];
    Slot s = slotOf(source);
    bool srcNull = !s.row || (s.col ? (isNullIn(*s.col, s.row->data.data()) && !pendingContent(s, source.index()))
                                    : (!calcValue(s) || engine::isNull(*calcValue(s))));
    if (srcNull) {
        setNullIn(tc, r->data.data(), true);
        if (index_ < static_cast<int>(d.pendingBlobs.size())) d.pendingBlobs[index_].reset();
        return;
    }
    if (s.col && tc.sqlType != SQL_BLOB && tc.sqlType != SQL_ARRAY && sameLayout(tc, *s.col)) {
        // The hot path of record transfer: a plain copy of the value bytes.
        const unsigned char* from = s.row->data.data() + s.col->offset;
        unsigned char* to = r->data.data() + tc.offset;
        size_t n = tc.length;
        if (tc.sqlType == SQL_VARYING) n = 2 + *reinterpret_cast<const unsigned short*>(from);
        std::memcpy(to, from, n);
        setNullIn(tc, r->data.data(), false);
        return;
    }
    if (s.col && isExactType(tc.sqlType) && isExactType(s.col->sqlType)) {
        // Exact to exact at any widths and scales: rescaled, never through a
        // double and never rounded (losing digits is an error).
        writeValue(tc, r->data.data(), valueOf(s.d, *s.col, s.row->data.data()));
        return;
    }
    if (s.col && isTextType(tc.sqlType) && isTextType(s.col->sqlType)) {
        writeText(tc, r->data.data(), textOf(s.d, *s.col, s.row->data.data()));
        return;
    }
    if (tc.sqlType == SQL_BLOB || isTextType(tc.sqlType)) {
        setString(source.asString());
        return;
    }
    if (tc.sqlType == SQL_ARRAY) {
        if (!s.col || s.col->sqlType != SQL_ARRAY) throw DbError("Cannot assign to the array column " + name_);
        checkSameArrays(s.d, source.index(), d, index_);
        if (auto* p = pendingContent(s, source.index())) d.pendingBlobs[index_] = **p;
        else d.pendingBlobs[index_] = readWholeArray(s.d, source.index(), *reinterpret_cast<const ISC_QUAD*>(s.row->data.data() + s.col->offset));
        setNullIn(tc, r->data.data(), false);
        return;
    }
    setValue(source.asValue());
}

}  // namespace quorvel::engine

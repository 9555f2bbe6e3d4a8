#pragma once
// Private to the engine: reading and writing single values in a Firebird
// message buffer, with the conversions the Field interface promises.
#include <string>

#include "DataSetImpl.h"

namespace quorvel::engine {

inline bool isNullIn(const Column& c, const unsigned char* data) {
    return *reinterpret_cast<const short*>(data + c.nullOffset) != 0;
}
inline void setNullIn(const Column& c, unsigned char* data, bool null) {
    *reinterpret_cast<short*>(data + c.nullOffset) = null ? -1 : 0;
}

// Readers of a non-NULL value. `ds` reads BLOB contents when needed.
std::string textOf(DataSetImpl& ds, const Column& c, const unsigned char* data);
Value valueOf(DataSetImpl& ds, const Column& c, const unsigned char* data);
int64_t integerOf(DataSetImpl& ds, const Column& c, const unsigned char* data);
double doubleOf(DataSetImpl& ds, const Column& c, const unsigned char* data);

// Writers of scalar columns (not BLOB or array); throw DbError when the value
// does not fit or cannot be converted. They clear the NULL flag.
void writeText(const Column& c, unsigned char* data, const std::string& text);
void writeInteger(const Column& c, unsigned char* data, int64_t v);
void writeDouble(const Column& c, unsigned char* data, double v);
// An exact scaled number: rescaled exactly into an exact column (an error
// when digits would be lost or it overflows), the nearest value otherwise.
void writeScaled(const Column& c, unsigned char* data, const Scaled& v);
// Any value (NULL included) by its own kind, with the writers above.
void writeValue(const Column& c, unsigned char* data, const Value& v);

// Whether `v` is stored in column `c` as it is: no decimals rounded away, no
// text cut. A key that is not matches no row.
bool holdsExactly(const Column& c, const Value& v);

// `units` at scale `from` as units at scale `to`: false when digits would be
// lost (7.25 has no 1-decimal form); throws on overflow.
bool rescale(int64_t units, int from, int to, int64_t& out);
// Parses a decimal number for a column of `scale`; `exact` tells whether it
// is stored without rounding. False when the text is no number.
bool parseExact(const std::string& text, int scale, int64_t& out, bool& exact);

// Text of numbers and dates as the engine shows them.
std::string formatScaled(int64_t v, int scale);
std::string formatDouble(double d);
bool parseInteger(const std::string& text, int64_t& out);

// BLOB contents, read whole / written as a new BLOB in `tx`.
std::string readWholeBlob(DatabaseImpl& db, Tx& tx, const ISC_QUAD& id);
ISC_QUAD writeWholeBlob(DatabaseImpl& db, Tx& tx, const std::string& content);
// A new blob of `to` holding what blob `id` of `from` holds.
ISC_QUAD copyBlob(DatabaseImpl& from, Tx& fromTx, const ISC_QUAD& id, DatabaseImpl& to, Tx& toTx);

}  // namespace quorvel::engine

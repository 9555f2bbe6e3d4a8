#include "ValueCodec.h"

#include <ibase.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace quorvel::engine {

using namespace fb;

namespace {

const int64_t kPow10[] = {1LL, 10LL, 100LL, 1000LL, 10000LL, 100000LL, 1000000LL, 10000000LL,
                          100000000LL, 1000000000LL, 10000000000LL, 100000000000LL,
                          1000000000000LL, 10000000000000LL, 100000000000000LL,
                          1000000000000000LL, 10000000000000000LL, 100000000000000000LL,
                          1000000000000000000LL};

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Days since 1858-11-17 (Firebird's date origin) from a civil date.
int daysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468 + 40587;
}

void civilFromDays(int z, int& y, unsigned& m, unsigned& d) {
    z += 719468 - 40587;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2;
}

std::string formatDate(ISC_DATE date) {
    int y;
    unsigned m, d;
    civilFromDays(date, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", y, m, d);
    return buf;
}

// The fraction (1/10000 s) is shown whenever there is one: a time taken from
// 'NOW' must read back as the very value stored, or a lookup by it fails.
std::string formatTime(ISC_TIME t) {
    unsigned s = t / 10000, frac = t % 10000;
    char buf[24];
    if (frac == 0) std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", s / 3600, (s / 60) % 60, s % 60);
    else std::snprintf(buf, sizeof buf, "%02u:%02u:%02u.%04u", s / 3600, (s / 60) % 60, s % 60, frac);
    return buf;
}

[[noreturn]] void conversionError(const std::string& text, const char* what) {
    throw DbError("'" + text + "' is not a valid " + what);
}

[[noreturn]] void overflow() {
    throw DbError("arithmetic exception, numeric overflow, or string truncation\n-numeric value is out of range");
}

[[noreturn]] void truncation() {
    throw DbError("arithmetic exception, numeric overflow, or string truncation\n-string right truncation");
}

bool readNumber(const char*& p, const char* e, unsigned& out, int maxDigits) {
    const char* start = p;
    out = 0;
    while (p < e && *p >= '0' && *p <= '9' && p - start < maxDigits) out = out * 10 + (*p++ - '0');
    return p > start;
}

// "HH:MM[:SS[.ffff]]" into 1/10000 seconds.
bool parseTime(const char*& p, const char* e, ISC_TIME& out) {
    unsigned h, mi, s = 0, frac = 0;
    if (!readNumber(p, e, h, 2) || p >= e || *p != ':') return false;
    ++p;
    if (!readNumber(p, e, mi, 2)) return false;
    if (p < e && *p == ':') {
        ++p;
        if (!readNumber(p, e, s, 2)) return false;
        if (p < e && *p == '.') {
            ++p;
            const char* fs = p;
            unsigned f;
            if (!readNumber(p, e, f, 4)) return false;
            for (auto n = p - fs; n < 4; ++n) f *= 10;
            frac = f;
            while (p < e && *p >= '0' && *p <= '9') ++p;
        }
    }
    if (h > 23 || mi > 59 || s > 59) return false;
    out = ((h * 60 + mi) * 60 + s) * 10000 + frac;
    return true;
}

// Dates as the server's literals accept them: YYYY-MM-DD, DD.MM.YYYY,
// MM/DD/YYYY, each optionally followed by a time.
bool parseTimestamp(const std::string& raw, ISC_DATE& date, ISC_TIME& time, bool& hasTime) {
    std::string t = trim(raw);
    const char* p = t.data();
    const char* e = p + t.size();
    unsigned a, b, c;
    int y;
    unsigned m, d;
    if (!readNumber(p, e, a, 4) || p >= e) return false;
    char sep = *p++;
    if (!readNumber(p, e, b, 2) || p >= e || *p++ != sep) return false;
    if (!readNumber(p, e, c, 4)) return false;
    if (sep == '-' || (sep == '/' && a > 31)) {
        y = static_cast<int>(a), m = b, d = c;
    } else if (sep == '.') {
        d = a, m = b, y = static_cast<int>(c);
    } else if (sep == '/') {
        m = a, d = b, y = static_cast<int>(c);
    } else {
        return false;
    }
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    int check = daysFromCivil(y, m, d);
    int yy;
    unsigned mm, dd;
    civilFromDays(check, yy, mm, dd);
    if (mm != m || dd != d) return false;
    date = check;
    time = 0;
    hasTime = false;
    while (p < e && (*p == ' ' || *p == 'T' || *p == ',')) ++p;
    if (p < e) {
        if (!parseTime(p, e, time)) return false;
        hasTime = true;
    }
    return p == e;
}

// Exact parsing of [sign]digits[.digits] to an integer scaled by 10^-scale;
// digits beyond the scale round. `rounded` tells whether any of them was not
// zero, i.e. whether the number stored differs from the text.
bool parseDecimal(const std::string& raw, int scale, int64_t& out, bool* rounded = nullptr) {
    std::string t = trim(raw);
    if (t.empty()) return false;
    size_t i = 0;
    bool neg = false;
    if (t[i] == '+' || t[i] == '-') neg = t[i++] == '-';
    __int128 v = 0;
    int decimals = 0, want = -scale;
    bool any = false, dot = false, roundUp = false, extra = false, lost = false;
    for (; i < t.size(); ++i) {
        char ch = t[i];
        if (ch == '.' && !dot) {
            dot = true;
            continue;
        }
        if (ch < '0' || ch > '9') return false;
        any = true;
        if (dot && decimals >= want) {
            if (!extra) roundUp = ch >= '5';
            extra = true;
            lost = lost || ch != '0';
            continue;
        }
        v = v * 10 + (ch - '0');
        if (dot) ++decimals;
        if (v > (static_cast<__int128>(1) << 100)) overflow();
    }
    if (!any) return false;
    if (rounded) *rounded = lost;
    for (; decimals < want; ++decimals) v *= 10;
    if (roundUp) ++v;
    if (neg) v = -v;
    if (v > std::numeric_limits<int64_t>::max() || v < std::numeric_limits<int64_t>::min()) overflow();
    out = static_cast<int64_t>(v);
    return true;
}

bool parseDouble(const std::string& raw, double& out) {
    std::string t = trim(raw);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    auto r = std::from_chars(t.data(), t.data() + t.size(), out);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

void storeScaled(const Column& c, unsigned char* p, int64_t v) {
    switch (c.sqlType) {
        case SQL_SHORT:
            if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max()) overflow();
            *reinterpret_cast<int16_t*>(p) = static_cast<int16_t>(v);
            break;
        case SQL_LONG:
            if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) overflow();
            *reinterpret_cast<int32_t*>(p) = static_cast<int32_t>(v);
            break;
        default:
            *reinterpret_cast<int64_t*>(p) = v;
            break;
    }
}

int64_t loadScaled(const Column& c, const unsigned char* p) {
    switch (c.sqlType) {
        case SQL_SHORT: return *reinterpret_cast<const int16_t*>(p);
        case SQL_LONG: return *reinterpret_cast<const int32_t*>(p);
        default: return *reinterpret_cast<const int64_t*>(p);
    }
}

int64_t roundScaled(double v, int scale) {
    double s = v * static_cast<double>(kPow10[-scale < 0 ? 0 : -scale]);
    double r = std::round(s);
    if (!(r >= -9.2233720368547758e18 && r < 9.2233720368547758e18)) overflow();
    return static_cast<int64_t>(r);
}

// The nearest double to an exact scaled number, through its decimal text
// (correctly rounded, also beyond the 53 bits a double holds exactly).
double scaledToDouble(const Scaled& v) {
    double d = 0;
    const std::string t = formatScaled(v.units, v.scale);
    std::from_chars(t.data(), t.data() + t.size(), d);
    return d;
}

[[noreturn]] void digitsLost(const Column& c, const Scaled& v) {
    throw DbError("The value " + formatScaled(v.units, v.scale) + " does not fit column " + c.name + " with " +
                  std::to_string(c.scale < 0 ? -c.scale : 0) + " decimal places without losing digits");
}

}  // namespace

bool rescale(int64_t units, int from, int to, int64_t& out) {
    if (from == to) {
        out = units;
        return true;
    }
    if (from > to) {  // more decimal places: exact, unless it overflows
        const int k = from - to;
        if (k > 18) {
            if (units != 0) overflow();
            out = 0;
            return true;
        }
        const __int128 s = static_cast<__int128>(units) * kPow10[k];
        if (s > std::numeric_limits<int64_t>::max() || s < std::numeric_limits<int64_t>::min()) overflow();
        out = static_cast<int64_t>(s);
        return true;
    }
    const int k = to - from;  // fewer decimal places: exact only without a remainder
    if (k > 18) {
        out = 0;
        return units == 0;
    }
    if (units % kPow10[k] != 0) return false;
    out = units / kPow10[k];
    return true;
}

bool parseExact(const std::string& text, int scale, int64_t& out, bool& exact) {
    bool rounded = false;
    if (!parseDecimal(text, scale, out, &rounded)) return false;
    exact = !rounded;
    return true;
}

std::string formatScaled(int64_t v, int scale) {
    if (scale >= 0) {
        std::string s = std::to_string(v);
        if (v != 0)
            for (int i = 0; i < scale; ++i) s += '0';
        return s;
    }
    int dec = -scale;
    bool neg = v < 0;
    uint64_t u = neg ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    std::string digits = std::to_string(u);
    if (static_cast<int>(digits.size()) <= dec) digits.insert(0, dec - digits.size() + 1, '0');
    digits.insert(digits.size() - dec, 1, '.');
    return neg ? "-" + digits : digits;
}

bool parseInteger(const std::string& text, int64_t& out) { return parseDecimal(text, 0, out); }

// ---------------------------------------------------------------- readers

std::string textOf(DataSetImpl& ds, const Column& c, const unsigned char* data) {
    const unsigned char* p = data + c.offset;
    switch (c.sqlType) {
        case SQL_TEXT: {
            // Fixed-length text reads without its padding; OCTETS are bytes.
            const unsigned kOctets = 1;
            size_t n = c.length;
            if (c.charSet != kOctets)
                while (n > 0 && p[n - 1] == ' ') --n;
            return std::string(reinterpret_cast<const char*>(p), n);
        }
        case SQL_VARYING: {
            unsigned short n = *reinterpret_cast<const unsigned short*>(p);
            return std::string(reinterpret_cast<const char*>(p + 2), n);
        }
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: return formatScaled(loadScaled(c, p), c.scale);
        case SQL_FLOAT: {
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, *reinterpret_cast<const float*>(p));
            return std::string(buf, r.ptr);
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double d = *reinterpret_cast<const double*>(p);
            if (c.scale < 0) {
                char buf[400];
                std::snprintf(buf, sizeof buf, "%.*f", -c.scale, d);
                return buf;
            }
            return formatDouble(d);
        }
        case SQL_TIMESTAMP: {
            auto* ts = reinterpret_cast<const ISC_TIMESTAMP*>(p);
            return formatDate(ts->timestamp_date) + " " + formatTime(ts->timestamp_time);
        }
        case SQL_TYPE_DATE: return formatDate(*reinterpret_cast<const ISC_DATE*>(p));
        case SQL_TYPE_TIME: return formatTime(*reinterpret_cast<const ISC_TIME*>(p));
        case SQL_BOOLEAN: return *p ? "True" : "False";
        case SQL_BLOB: return ds.readBlob(*reinterpret_cast<const ISC_QUAD*>(p));
        case SQL_ARRAY: return "(Array)";
        default: return {};
    }
}

Value valueOf(DataSetImpl& ds, const Column& c, const unsigned char* data) {
    const unsigned char* p = data + c.offset;
    switch (c.sqlType) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            if (c.scale == 0) return loadScaled(c, p);
            if (c.scale > 0) return loadScaled(c, p) * kPow10[c.scale > 18 ? 18 : c.scale];
            return Scaled{loadScaled(c, p), c.scale};
        case SQL_FLOAT: return static_cast<double>(*reinterpret_cast<const float*>(p));
        case SQL_DOUBLE:
        case SQL_D_FLOAT: return *reinterpret_cast<const double*>(p);
        case SQL_BOOLEAN: return static_cast<int64_t>(*p ? 1 : 0);
        default: return textOf(ds, c, data);
    }
}

int64_t integerOf(DataSetImpl& ds, const Column& c, const unsigned char* data) {
    const unsigned char* p = data + c.offset;
    switch (c.sqlType) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            int64_t v = loadScaled(c, p);
            if (c.scale >= 0) return v * kPow10[c.scale > 18 ? 18 : c.scale];
            int64_t div = kPow10[-c.scale];
            int64_t q = v / div, r = v % div;
            if (2 * (r < 0 ? -r : r) >= div) q += v < 0 ? -1 : 1;
            return q;
        }
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double d = c.sqlType == SQL_FLOAT ? *reinterpret_cast<const float*>(p) : *reinterpret_cast<const double*>(p);
            return roundScaled(d, 0);
        }
        case SQL_BOOLEAN: return *p ? 1 : 0;
        case SQL_TIMESTAMP:
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_ARRAY: throw DbError("'" + textOf(ds, c, data) + "' is not a valid integer value");
        default: {
            std::string t = textOf(ds, c, data);
            int64_t v;
            if (parseInteger(t, v)) return v;
            double d;
            if (parseDouble(t, d) && std::trunc(d) == d) return roundScaled(d, 0);
            conversionError(t, "integer value");
        }
    }
}

double doubleOf(DataSetImpl& ds, const Column& c, const unsigned char* data) {
    Value v = valueOf(ds, c, data);
    if (auto* i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
    if (auto* d = std::get_if<double>(&v)) return *d;
    if (auto* x = std::get_if<Scaled>(&v)) return scaledToDouble(*x);
    std::string t = std::get<std::string>(v);
    double d;
    if (parseDouble(t, d)) return d;
    conversionError(t, "floating point value");
}

// ---------------------------------------------------------------- writers

void writeText(const Column& c, unsigned char* data, const std::string& text) {
    unsigned char* p = data + c.offset;
    switch (c.sqlType) {
        case SQL_TEXT:
            if (text.size() > c.length) truncation();
            std::memcpy(p, text.data(), text.size());
            std::memset(p + text.size(), ' ', c.length - text.size());
            break;
        case SQL_VARYING:
            if (text.size() > c.length) truncation();
            *reinterpret_cast<unsigned short*>(p) = static_cast<unsigned short>(text.size());
            std::memcpy(p + 2, text.data(), text.size());
            break;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            int64_t v;
            if (c.scale <= 0 && parseDecimal(text, c.scale, v)) {
                storeScaled(c, p, v);
                break;
            }
            double d;
            if (!parseDouble(text, d)) conversionError(trim(text), c.scale < 0 ? "floating point value" : "integer value");
            writeDouble(c, data, d);
            return;
        }
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double d;
            if (!parseDouble(text, d)) conversionError(trim(text), "floating point value");
            writeDouble(c, data, d);
            return;
        }
        case SQL_TIMESTAMP:
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME: {
            ISC_DATE date = 0;
            ISC_TIME time = 0;
            bool hasTime = false;
            if (c.sqlType == SQL_TYPE_TIME) {
                std::string t = trim(text);
                const char* b = t.data();
                if (!parseTime(b, t.data() + t.size(), time) || b != t.data() + t.size())
                    conversionError(trim(text), "time");
                *reinterpret_cast<ISC_TIME*>(p) = time;
                break;
            }
            if (!parseTimestamp(text, date, time, hasTime)) conversionError(trim(text), "date and time");
            if (c.sqlType == SQL_TYPE_DATE) {
                *reinterpret_cast<ISC_DATE*>(p) = date;
            } else {
                auto* ts = reinterpret_cast<ISC_TIMESTAMP*>(p);
                ts->timestamp_date = date;
                ts->timestamp_time = time;
            }
            break;
        }
        case SQL_BOOLEAN: {
            std::string t = trim(text);
            for (auto& ch : t) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (t == "TRUE" || t == "T" || t == "1" || t == "Y" || t == "YES") *p = 1;
            else if (t == "FALSE" || t == "F" || t == "0" || t == "N" || t == "NO") *p = 0;
            else conversionError(trim(text), "boolean value");
            break;
        }
        default: throw DbError("Cannot assign text to column " + c.name);
    }
    setNullIn(c, data, false);
}

void writeInteger(const Column& c, unsigned char* data, int64_t v) {
    unsigned char* p = data + c.offset;
    switch (c.sqlType) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            if (c.scale < 0) {
                __int128 s = static_cast<__int128>(v) * kPow10[-c.scale];
                if (s > std::numeric_limits<int64_t>::max() || s < std::numeric_limits<int64_t>::min()) overflow();
                storeScaled(c, p, static_cast<int64_t>(s));
            } else {
                storeScaled(c, p, v);
            }
            break;
        }
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: writeDouble(c, data, static_cast<double>(v)); return;
        case SQL_BOOLEAN: *p = v != 0; break;
        default: writeText(c, data, std::to_string(v)); return;
    }
    setNullIn(c, data, false);
}

void writeDouble(const Column& c, unsigned char* data, double v) {
    unsigned char* p = data + c.offset;
    switch (c.sqlType) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: storeScaled(c, p, roundScaled(v, c.scale < 0 ? c.scale : 0)); break;
        case SQL_FLOAT: *reinterpret_cast<float*>(p) = static_cast<float>(v); break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT: *reinterpret_cast<double*>(p) = v; break;
        case SQL_BOOLEAN: *p = v != 0; break;
        default: writeText(c, data, formatDouble(v)); return;
    }
    setNullIn(c, data, false);
}

void writeScaled(const Column& c, unsigned char* data, const Scaled& v) {
    unsigned char* p = data + c.offset;
    switch (c.sqlType) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            int64_t units;
            if (!rescale(v.units, v.scale, c.scale, units)) digitsLost(c, v);
            storeScaled(c, p, units);
            break;
        }
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: writeDouble(c, data, scaledToDouble(v)); return;
        case SQL_BOOLEAN: *p = v.units != 0; break;
        default: writeText(c, data, formatScaled(v.units, v.scale)); return;
    }
    setNullIn(c, data, false);
}

bool holdsExactly(const Column& c, const Value& v) {
    if (auto* s = std::get_if<std::string>(&v)) {
        if (c.sqlType == SQL_TEXT || c.sqlType == SQL_VARYING) return s->size() <= c.length;
    }
    if (c.sqlType != SQL_SHORT && c.sqlType != SQL_LONG && c.sqlType != SQL_INT64) return true;
    int64_t units;
    if (auto* x = std::get_if<Scaled>(&v)) return rescale(x->units, x->scale, c.scale < 0 ? c.scale : 0, units);
    std::string text;
    if (auto* s = std::get_if<std::string>(&v)) text = *s;
    else if (auto* d = std::get_if<double>(&v)) text = formatDouble(*d);  // shortest text that reads back the same
    else return true;
    bool exact = true;
    // Text that is no number is left to the writer, which says so.
    return !parseExact(text, c.scale < 0 ? c.scale : 0, units, exact) || exact;
}

void writeValue(const Column& c, unsigned char* data, const Value& v) {
    if (isNull(v)) setNullIn(c, data, true);
    else if (auto* i = std::get_if<int64_t>(&v)) writeInteger(c, data, *i);
    else if (auto* d = std::get_if<double>(&v)) writeDouble(c, data, *d);
    else if (auto* x = std::get_if<Scaled>(&v)) writeScaled(c, data, *x);
    else writeText(c, data, std::get<std::string>(v));
}

}  // namespace quorvel::engine

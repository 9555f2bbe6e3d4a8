#include "cli/Json.h"

#include "engine/DataSet.h"
#include "engine/Field.h"

namespace quorvel::cli::json {

namespace {

// The length of the valid UTF-8 sequence at `i`, or 0.
size_t utf8Length(const std::string& s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = c >= 0xf0 && c <= 0xf4 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 && c < 0xe0 ? 2 : 0;
    if (c >= 0xf5 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80) return 0;
    return n;
}

}  // namespace

std::string text(const std::string& value) {
    static const char* const hex = "0123456789abcdef";
    std::string out = "\"";
    for (size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const size_t n = utf8Length(value, i)) {
            out.append(value, i, n);
            i += n - 1;
        } else {
            out += "\\ufffd";
        }
    }
    return out + "\"";
}

std::string number(int64_t value) { return std::to_string(value); }

std::string boolean(bool value) { return value ? "true" : "false"; }

std::string array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

std::string Object::str() const {
    std::string out = "{";
    for (size_t i = 0; i < members_.size(); ++i)
        out += (i ? "," : "") + json::text(members_[i].first) + ":" + members_[i].second;
    return out + "}";
}

std::string rows(engine::DataSet& ds, const std::vector<std::pair<std::string, std::string>>& columns) {
    std::vector<std::string> items;
    if (!ds.active()) return array(items);
    for (ds.first(); !ds.eof(); ds.next()) {
        Object row;
        for (const auto& [column, key] : columns) {
            const engine::Field* f = ds.findField(column);
            if (!f || f->isNull()) {
                row.raw(key, null);
                continue;
            }
            switch (f->type()) {
                case engine::FieldType::SmallInt:
                case engine::FieldType::Integer:
                case engine::FieldType::BigInt: row.number(key, f->asInteger()); break;
                default: row.text(key, f->asString());
            }
        }
        items.push_back(row.str());
    }
    return array(items);
}

}  // namespace quorvel::cli::json

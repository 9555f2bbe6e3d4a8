#pragma once
// The small JSON that --json writes: one document on standard output, made
// of texts, whole numbers, booleans, null, arrays and objects whose members
// keep the order they were added in.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::engine {
class DataSet;
}

namespace quorvel::cli::json {

// A text as a JSON string: quotes, backslashes and control characters
// escaped; a byte that is not part of valid UTF-8 becomes U+FFFD, so the
// document stays valid whatever a database's character set held.
std::string text(const std::string& value);
std::string number(int64_t value);
std::string boolean(bool value);
inline const char* const null = "null";
std::string array(const std::vector<std::string>& items);

class Object {
public:
    // `value` is JSON already (made by the functions above).
    Object& raw(const std::string& key, std::string value) {
        members_.emplace_back(key, std::move(value));
        return *this;
    }
    Object& text(const std::string& key, const std::string& value) { return raw(key, json::text(value)); }
    Object& number(const std::string& key, int64_t value) { return raw(key, json::number(value)); }
    Object& boolean(const std::string& key, bool value) { return raw(key, json::boolean(value)); }
    std::string str() const;

private:
    std::vector<std::pair<std::string, std::string>> members_;
};

// The rows of a data set as objects: each column named `columns[i].first`
// (as the catalogue keeps it) becomes the member `columns[i].second`; whole
// numbers stay numbers, NULL is null, everything else is text.
std::string rows(engine::DataSet& ds, const std::vector<std::pair<std::string, std::string>>& columns);

}  // namespace quorvel::cli::json

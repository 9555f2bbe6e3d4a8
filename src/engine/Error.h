#pragma once
// Every failure of the engine layer is a DbError carrying the text the user
// sees: for server failures it is the server's own status text, formatted the
// way Firebird's utilities format a status vector.
#include <stdexcept>
#include <string>

namespace quorvel::engine {

class DbError : public std::runtime_error {
public:
    explicit DbError(const std::string& message, int sqlCode = 0)
        : std::runtime_error(message), sqlCode_(sqlCode) {}
    int sqlCode() const { return sqlCode_; }

private:
    int sqlCode_;
};

}  // namespace quorvel::engine

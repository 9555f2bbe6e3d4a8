#pragma once
// Writes an INTEGER array column of one row. The tool's SQL cannot write
// array contents (only copy them), so the tests put them straight through
// the Firebird client's array calls.
#include <string>
#include <vector>

namespace quorvel::test {

// Sets `column` of the rows of `table` matching `where` to `values`, given in
// the array's storage order (last subscript varying fastest), in a
// transaction of its own. Fails the test with the server's message.
void putIntegerArray(const std::string& database, const std::string& table, const std::string& column,
                     const std::string& where, const std::vector<int>& values);

}  // namespace quorvel::test

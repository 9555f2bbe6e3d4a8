#pragma once
// The words of the SQL dialect that the lexer classes as keywords.
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::ddl {

// The keyword list, lower case, sorted, without duplicates. It is a constant
// of the program: there is nothing to build before a scan or free after it.
const std::vector<std::string>& KeywordList();

// The word with "A" to "Z" lowered to "a" to "z"; every other byte unchanged.
std::string LowerWord(std::string_view word);

// True when LowerWord(word) is in the keyword list.
bool IsKeyword(std::string_view word);

}  // namespace quorvel::ddl

#include "ddl/Keywords.h"

#include <algorithm>

#include "ddl/KeywordIndex.h"

namespace quorvel::ddl {

const std::vector<std::string>& KeywordList() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> l(std::begin(keywords::kWords), std::end(keywords::kWords));
        std::sort(l.begin(), l.end());
        l.erase(std::unique(l.begin(), l.end()), l.end());
        return l;
    }();
    return list;
}

std::string LowerWord(std::string_view word) {
    std::string lowered(word);
    for (char& c : lowered) c = static_cast<char>(keywords::kLower[static_cast<unsigned char>(c)]);
    return lowered;
}

bool IsKeyword(std::string_view word) {
    return keywords::isKeyword(reinterpret_cast<const unsigned char*>(word.data()), word.size());
}

}  // namespace quorvel::ddl

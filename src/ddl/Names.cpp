#include "ddl/Names.h"

namespace quorvel::ddl {

std::string NormalName(std::string_view written) {
    std::string name;
    if (!written.empty() && written.front() == '"') {
        // A name cut off by the end of the text has no closing quote.
        std::string_view inner = written.substr(1);
        if (!inner.empty() && inner.back() == '"') inner.remove_suffix(1);
        name.reserve(inner.size());
        for (size_t i = 0; i < inner.size(); ++i) {
            name += inner[i];
            if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
        }
    } else {
        name.assign(written);
        for (char& c : name)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

}  // namespace quorvel::ddl

#include "ddl/WorkingTableNames.h"

#include <algorithm>

namespace quorvel::ddl {

namespace {

std::string_view withoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

WorkingTableNames WorkingTableNames::Read(DM& dm) {
    WorkingTableNames result;
    dm.Q6Show("select Name from R$WorkingTables");
    for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next())
        result.names_.emplace(withoutTrailingBlanks(dm.Q6.field(0).asString()));
    dm.Q6.close();
    return result;
}

bool WorkingTableNames::contains(std::string_view name) const {
    return names_.count(std::string(withoutTrailingBlanks(name))) != 0;
}

std::vector<std::string> WorkingTableNames::sorted() const {
    std::vector<std::string> names(names_.begin(), names_.end());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quorvel::ddl

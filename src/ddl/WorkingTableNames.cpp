#include "ddl/WorkingTableNames.h"

#include <algorithm>

#include "ddl/Names.h"
#include "replica/TableLists.h"

namespace quorvel::ddl {

namespace {

std::string_view withoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

WorkingTableNames WorkingTableNames::Read(engine::Database& master) {
    WorkingTableNames result;
    for (const std::string& name : replica::workingTables(master)) result.names_.emplace(withoutTrailingBlanks(name));
    return result;
}

bool WorkingTableNames::contains(std::string_view name) const {
    return names_.count(NormalName(name)) != 0;
}

std::vector<std::string> WorkingTableNames::sorted() const {
    std::vector<std::string> names(names_.begin(), names_.end());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quorvel::ddl

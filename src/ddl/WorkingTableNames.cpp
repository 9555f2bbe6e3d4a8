#include "ddl/WorkingTableNames.h"

#include <algorithm>

#include "engine/Query.h"

namespace quorvel::ddl {

namespace {

std::string_view withoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

WorkingTableNames WorkingTableNames::Read(engine::Database& master) {
    WorkingTableNames result;
    engine::Query q(master);
    q.setSql("select Name from R$WorkingTables");
    q.open();
    for (q.first(); !q.eof(); q.next()) result.names_.emplace(withoutTrailingBlanks(q.field(0).asString()));
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

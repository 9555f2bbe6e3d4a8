#pragma once
// The master's working tables, read once from R$WORKINGTABLES, for the
// conversion's test of each table it meets.
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/Database.h"

namespace quorvel::ddl {

class WorkingTableNames {
public:
    // Reads R$WORKINGTABLES on the master connection; throws the database
    // error when the list cannot be read.
    static WorkingTableNames Read(engine::Database& master);

    // Whether the table `name`, written as an extract writes it (quoted or
    // not), is a working table: compared as NormalName spells it with the
    // names the master lists, exactly.
    bool contains(std::string_view name) const;
    bool empty() const { return names_.empty(); }
    // The names in alphabetical order, for messages.
    std::vector<std::string> sorted() const;

private:
    std::unordered_set<std::string> names_;
};

}  // namespace quorvel::ddl

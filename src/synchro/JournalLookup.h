#pragma once
// Asks the local journal (R$DeletedUpdated) whether it holds a "U" entry for
// a record code, i.e. whether this database itself has updated that record
// since its journal was last emptied. For transfers that have not read the
// journal into memory.
//
// The query is prepared on first use and then only run again with the next
// code, so a transfer of many rows prepares it once.
#include <memory>

#include "engine/Database.h"
#include "engine/Query.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

class JournalLookup {
public:
    explicit JournalLookup(engine::Database& local);
    ~JournalLookup();

    bool updatedHere(const replica::RecordCode& code);

private:
    engine::Database& local_;
    std::unique_ptr<engine::Query> query_;
};

}  // namespace quorvel::synchro

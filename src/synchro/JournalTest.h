#pragma once
// Whether the local journal (R$DeletedUpdated of UserDB) holds a "U" entry
// for a record code, i.e. whether the local database itself has updated that
// record since its journal was last emptied.
//
// The query is prepared on first use and then only run again with the next
// code, so a transfer of many rows prepares it once.
#include <memory>

#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Value.h"

namespace quorvel::synchro {

class JournalTest {
public:
    explicit JournalTest(engine::Database& userDB);
    ~JournalTest();

    // True when the journal has no "U" entry for (code1, code2). A NULL half
    // of a code matches no entry (journal codes are never NULL).
    bool notUpdatedLocally(const engine::Value& code1, const engine::Value& code2);

private:
    engine::Database& userDB_;
    std::unique_ptr<engine::Query> query_;
};

}  // namespace quorvel::synchro

#include "clone/OwnHistory.h"

#include <string>

#include "clone/CloneSql.h"
#include "db/Today.h"
#include "engine/FirstValue.h"
#include "replica/Captured.h"

namespace quorvel::clone {

void startOwnHistory(engine::Database& clone, RecordCodeStart lastCodeBeforeClone) {
    // An empty history starts at row 0, as the arming writes it.
    const auto last = engine::firstInteger(clone, sql::kLastSynchroNumber);
    const int64_t next = last ? *last + 1 : 0;
    clone.execute(sql::insertMark(next, nowText(), lastCodeBeforeClone.gen1, lastCodeBeforeClone.gen2));
    replica::emptyJournal(clone);
}

}  // namespace quorvel::clone

#include "clone/OwnHistory.h"

#include <string>

#include "clone/CloneSql.h"
#include "db/Today.h"

namespace quorvel::clone {

void startOwnHistory(DM& dm, RecordCodeStart lastCodeBeforeClone) {
    dm.QClone6Show(sql::kLastSynchroNumber);
    // An empty history starts at row 0, as the arming writes it.
    const int64_t next = dm.QClone6.field(0).isNull() ? 0 : dm.QClone6.field(0).asInteger() + 1;
    dm.QClone6.close();
    dm.QClone6Exec(sql::insertMark(next, todayText(), lastCodeBeforeClone.gen1,
                                   lastCodeBeforeClone.gen2));
    dm.QClone6Exec(sql::kEmptyJournal);
}

}  // namespace quorvel::clone

#include "synchro/ArrivalJournal.h"

#include "engine/Query.h"

namespace quorvel::synchro {

namespace {

// Replaces the entry of one operation by one with the sender's origin (an
// update entry of the master's own is replaced only where the clone's later
// update won over it).
void journal(engine::Database& local, const std::vector<ArrivalRules::Change>& changes, const char* operation,
             int64_t origin) {
    if (changes.empty()) return;
    engine::Query drop(local), add(local);
    drop.setSql(std::string("delete from R$DeletedUpdated where R$Code1 = :C1 and R$Code2 = :C2 and Operation = '") +
                operation + "'");
    drop.prepare();
    add.setSql(std::string("insert into R$DeletedUpdated (R$Code1, R$Code2, Operation, TableName, Origin) "
                           "values (:C1, :C2, '") + operation + "', :T, :O)");
    add.prepare();
    for (const ArrivalRules::Change& c : changes) {
        if (c.replaces) {
            drop.setParam("C1", c.code.high);
            drop.setParam("C2", c.code.low);
            drop.execSql();
        }
        add.setParam("C1", c.code.high);
        add.setParam("C2", c.code.low);
        add.setParam("T", c.table);
        add.setParam("O", origin);
        add.execSql();
    }
}

}  // namespace

void journalArrivals(engine::Database& local, const ArrivalRules& rules) {
    journal(local, rules.relayedUpdates(), "U", rules.sender());
    journal(local, rules.relayedDeletes(), "D", rules.sender());
    if (rules.overruled().empty()) return;
    engine::Query drop(local);
    drop.setSql("delete from R$DeletedUpdated where R$Code1 = :C1 and R$Code2 = :C2 and Operation = 'U'");
    drop.prepare();
    for (const replica::RecordCode& code : rules.overruled()) {
        drop.setParam("C1", code.high);
        drop.setParam("C2", code.low);
        drop.execSql();
    }
}

}  // namespace quorvel::synchro

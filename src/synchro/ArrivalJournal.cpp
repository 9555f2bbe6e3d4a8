#include "synchro/ArrivalJournal.h"

#include "engine/Query.h"

namespace quorvel::synchro {

namespace {

// A journal entry of one operation, removed by its record code.
class EntryDrop {
public:
    EntryDrop(engine::Database& local, const char* operation) : query_(local) {
        query_.setSql(std::string("delete from R$DeletedUpdated where R$Code1 = :C1 and R$Code2 = :C2 and "
                                  "Operation = '") + operation + "'");
        query_.prepare();
    }
    void drop(const replica::RecordCode& code) {
        query_.setParam("C1", code.high);
        query_.setParam("C2", code.low);
        query_.execSql();
    }

private:
    engine::Query query_;
};

// Replaces the entry of one operation by one with the sender's origin (an
// update entry of the master's own is replaced only where the clone's later
// update won over it).
void journal(engine::Database& local, const std::vector<ArrivalRules::Change>& changes, const char* operation,
             int64_t origin) {
    if (changes.empty()) return;
    EntryDrop drop(local, operation);
    engine::Query add(local);
    add.setSql(std::string("insert into R$DeletedUpdated (R$Code1, R$Code2, Operation, TableName, Origin) "
                           "values (:C1, :C2, '") + operation + "', :T, :O)");
    add.prepare();
    for (const ArrivalRules::Change& c : changes) {
        if (c.replaces) drop.drop(c.code);
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
    EntryDrop drop(local, "U");
    for (const replica::RecordCode& code : rules.overruled()) drop.drop(code);
}

}  // namespace quorvel::synchro

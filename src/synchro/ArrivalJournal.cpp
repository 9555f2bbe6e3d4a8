#include "synchro/ArrivalJournal.h"

#include <memory>
#include <string>
#include <vector>

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

// Entries written a batch at a time: one block of inserts is one call to the
// server instead of one per entry, which at the master is most of what the
// relay costs a read.
class EntryWriter {
public:
    static constexpr std::size_t kBatch = 64;

    EntryWriter(engine::Database& local, const ArrivalRules& rules, const char* operation)
        : local_(local), rules_(rules), operation_(operation), origin_(rules.sender()), drop_(local, operation) {}

    void add(const ArrivalRules::Change& c) {
        pending_.push_back(&c);
        if (pending_.size() == kBatch) flush();
    }

    // The entries that replace one of the same operation drop it first.
    void flush() {
        if (pending_.empty()) return;
        for (const ArrivalRules::Change* c : pending_)
            if (c->replaces) drop_.drop(c->code());
        engine::Query& block = blockOf(pending_.size());
        block.setParam("O", origin_);
        for (std::size_t i = 0; i < pending_.size(); ++i) {
            const Names& n = names_[i];
            block.setParam(n.code1, static_cast<int64_t>(pending_[i]->high));
            block.setParam(n.code2, static_cast<int64_t>(pending_[i]->low));
            block.setParam(n.table, rules_.tableOf(*pending_[i]));
        }
        block.execSql();
        pending_.clear();
    }

private:
    // Prepared once for a full batch, and once for the rest at the end.
    engine::Query& blockOf(std::size_t n) {
        std::unique_ptr<engine::Query>& q = n == kBatch ? full_ : rest_;
        if (q) return *q;
        std::string declared = "O integer = :O", inserts;
        for (std::size_t i = 0; i < n; ++i) {
            const std::string k = std::to_string(i);
            if (i == names_.size()) names_.push_back({"C1_" + k, "C2_" + k, "T_" + k});
            declared += ", C1_" + k + " integer = :C1_" + k + ", C2_" + k + " integer = :C2_" + k + ", T_" + k +
                        " char(31) = :T_" + k;
            inserts += " insert into R$DeletedUpdated (R$Code1, R$Code2, Operation, TableName, Origin) values (::C1_" +
                       k + ", ::C2_" + k + ", '" + operation_ + "', ::T_" + k + ", ::O);";
        }
        q = std::make_unique<engine::Query>(local_);
        q->setSql("execute block (" + declared + ") as begin" + inserts + " end");
        q->prepare();
        return *q;
    }

    engine::Database& local_;
    const ArrivalRules& rules_;
    const char* operation_;
    int64_t origin_;
    EntryDrop drop_;
    std::vector<const ArrivalRules::Change*> pending_;
    struct Names {
        std::string code1, code2, table;
    };
    std::vector<Names> names_;  // the parameters of entry i of a block
    std::unique_ptr<engine::Query> full_, rest_;
};

// Replaces the entry of one operation by one with the sender's origin (an
// update entry of the master's own is replaced only where the clone's later
// update won over it).
void journal(engine::Database& local, const ArrivalRules& rules, const std::vector<ArrivalRules::Change>& changes,
             const char* operation) {
    if (changes.empty()) return;
    EntryWriter writer(local, rules, operation);
    for (const ArrivalRules::Change& c : changes) writer.add(c);
    writer.flush();
}

}  // namespace

void journalArrivals(engine::Database& local, const ArrivalRules& rules) {
    journal(local, rules, rules.relayedUpdates(), "U");
    journal(local, rules, rules.relayedDeletes(), "D");
    journal(local, rules, rules.revived(), "K");
    if (!rules.revived().empty()) {
        EntryDrop drop(local, "D");
        for (const ArrivalRules::Change& c : rules.revived()) drop.drop(c.code());
    }
    if (rules.overruled().empty()) return;
    EntryDrop drop(local, "U");
    for (const replica::RecordCode& code : rules.overruled()) drop.drop(code);
}

}  // namespace quorvel::synchro

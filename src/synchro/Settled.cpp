#include "synchro/Settled.h"

#include "engine/Query.h"
#include "replica/Presence.h"

namespace quorvel::synchro {

Settled Settled::read(engine::Database& local, int64_t sender) {
    Settled s;
    if (!replica::TablePresent(local, "R$SETTLED")) return s;
    engine::Query q(local);
    q.setSql("select R$Code1, R$Code2, Operation, FillNumber from R$Settled where SiteNumber = :S");
    q.setParam("S", sender);
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        const replica::RecordCode code{q.field(0).asInteger(), q.field(1).asInteger()};
        s.upTo_[{code, q.field(2).asString().at(0)}] = q.field(3).asInteger();
    }
    q.close();
    return s;
}

void Settled::record(engine::Database& local, int64_t sender, int64_t fill, const std::string& table,
                     const replica::RecordCode& code, What what) {
    engine::Query q(local);
    q.setSql("update or insert into R$Settled (SiteNumber, FillNumber, TableName, R$Code1, R$Code2, Operation) "
             "values (:S, :F, :T, :C1, :C2, :O) matching (SiteNumber, R$Code1, R$Code2, Operation)");
    q.setParam("S", sender);
    q.setParam("F", fill);
    q.setParam("T", table);
    q.setParam("C1", code.high);
    q.setParam("C2", code.low);
    q.setParam("O", std::string(1, static_cast<char>(what)));
    q.execSql();
}

bool Settled::passesOver(const replica::RecordCode& code, What what, std::optional<int64_t> first) const {
    const auto it = upTo_.find({code, static_cast<char>(what)});
    return it != upTo_.end() && (!first || *first <= it->second);
}

}  // namespace quorvel::synchro

#include "synchro/LocalEntries.h"

#include "engine/Query.h"
#include "replica/SqlText.h"

namespace quorvel::synchro {

void journalEntry(engine::Database& local, const std::string& table, const replica::RecordCode& code,
                  char operation, std::optional<int64_t> seen) {
    engine::Query q(local);
    q.setSql("insert into R$DeletedUpdated (R$Code1, R$Code2, Operation, TableName, Seen) values "
             "(:C1, :C2, :O, :T, :S)");
    q.setParam("C1", code.high);
    q.setParam("C2", code.low);
    q.setParam("O", std::string(1, operation));
    q.setParam("T", replica::catalogueName(local, table));
    if (seen) q.setParam("S", *seen);
    else q.setParam("S", engine::Value{});
    q.execSql();
}

void dropUpdateEntries(engine::Database& local, const replica::RecordCode& code) {
    engine::Query q(local);
    q.setSql("delete from R$DeletedUpdated where R$Code1 = :C1 and R$Code2 = :C2 and Operation = 'U'");
    q.setParam("C1", code.high);
    q.setParam("C2", code.low);
    q.execSql();
}

void recode(engine::Database& local, const std::string& table, const replica::RecordCode& from,
            const replica::RecordCode& to) {
    engine::Query q(local);
    q.setSql("update " + local.identifier(table) +
             " set R$Code1 = :N1, R$Code2 = :N2 where R$Code1 = :C1 and R$Code2 = :C2");
    q.setParam("N1", to.high);
    q.setParam("N2", to.low);
    q.setParam("C1", from.high);
    q.setParam("C2", from.low);
    q.execSql();
}

}  // namespace quorvel::synchro

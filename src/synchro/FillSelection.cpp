#include "synchro/FillSelection.h"

#include "replica/SqlText.h"

namespace quorvel::synchro {

using replica::RecordCode;
using replica::codeBetween;

FillSelection fillSelection(const engine::Database& local, const std::string& table, const RecordCode& mark, const RecordCode& bound) {
    // The outer join fixes the journal as the outer stream: the server then
    // reaches the table through its code index once per entry.
    const std::string name = local.identifier(table);
    // The bound is the site's last code, and a row bearing it is the site's
    // own: the range runs up to the code after it, which is the next site's.
    const RecordCode pastBound = bound.low >= 2000000000 ? RecordCode{bound.high + 1, 0}
                                                         : RecordCode{bound.high, bound.low + 1};
    return {"select * from " + name + "\n"
            " where " + codeBetween(mark, pastBound),
            "select T.* from (select distinct R$Code1, R$Code2 from R$DeletedUpdated\n"
            "  where TableName = " + replica::quoted(table) + " and Operation in ('U', 'W')) J\n"
            " left join " + name + " T on T.R$Code1 = J.R$Code1 and T.R$Code2 = J.R$Code2\n"
            " where T.R$Code1 is not null and not " + codeBetween(mark, pastBound, "T.")};
}

std::string journalLatestFirst(int64_t here) {
    return "select R$Code1, R$Code2, Operation, TableName, coalesce(Origin, " + std::to_string(here) +
           ") as Origin, FirstFill, Seen\n"
           " from R$DeletedUpdated\n"
           " order by R$Code1, R$Code2, Operation, case when Origin is null then 1 else 0 end desc,\n"
           "  coalesce(FirstFill, 2147483647) desc, coalesce(Seen, -1) desc";
}

}  // namespace quorvel::synchro

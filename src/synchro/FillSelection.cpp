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
            "select T.* from R$DeletedUpdated J\n"
            " left join " + name + " T on T.R$Code1 = J.R$Code1 and T.R$Code2 = J.R$Code2\n"
            " where J.TableName = " + replica::quoted(table) + " and J.Operation in ('U', 'W')\n"
            "  and T.R$Code1 is not null and not " + codeBetween(mark, pastBound, "T.") + "\n"
            " order by J.R$Code1, J.R$Code2"};
}

std::string journalByRow(int64_t here) {
    return "select R$Code1, R$Code2, Operation, TableName, coalesce(Origin, " + std::to_string(here) +
           ") as Origin, FirstFill, Seen\n"
           " from R$DeletedUpdated\n"
           " order by R$Code1, R$Code2, Operation";
}

}  // namespace quorvel::synchro

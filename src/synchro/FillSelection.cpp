#include "synchro/FillSelection.h"

#include "replica/SqlText.h"

namespace quorvel::synchro {

using replica::RecordCode;
using replica::codeBetween;

FillSelection fillSelection(const engine::Database& local, const std::string& table, const RecordCode& mark, const RecordCode& bound) {
    // The outer join fixes the journal as the outer stream: the server then
    // reaches the table through its code index once per entry.
    const std::string name = local.identifier(table);
    return {"select * from " + name + "\n"
            " where " + codeBetween(mark, bound),
            "select T.* from R$DeletedUpdated J left join " + name + " T\n"
            " on T.R$Code1 = J.R$Code1 and T.R$Code2 = J.R$Code2\n"
            " where J.TableName = " + replica::quoted(table) + " and J.Operation = 'U' and T.R$Code1 is not null\n"
            " and not " + codeBetween(mark, bound, "T.")};
}

}  // namespace quorvel::synchro

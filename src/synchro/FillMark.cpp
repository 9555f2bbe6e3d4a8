#include "synchro/FillMark.h"

#include <algorithm>
#include <sstream>

#include "engine/Query.h"
#include "replica/ReplicationSchema.h"
#include "replica/Statements.h"

namespace quorvel::synchro {

using replica::RecordCode;

namespace {

// The server shows other attachments' transactions only to SYSDBA, the
// database's owner and an RDB$ADMIN.
bool seesEveryone(engine::Database& local) {
    return replica::integerOf(local,
                              "select count(*) from MON$Database where current_user = 'SYSDBA' "
                              "or current_role = 'RDB$ADMIN' or current_user = MON$Owner") != 0;
}

std::optional<RecordCode> parse(const std::string& text) {
    std::istringstream in(text);
    RecordCode c;
    if (in >> c.high >> c.low) return c;
    return std::nullopt;
}

}  // namespace

FillMark drawFillMark(engine::Database& local) {
    // The low word first: a draw that rolls over gets the new high word.
    const int64_t low = replica::integerOf(local, "select C from R$Fill(2)");
    const int64_t high = replica::integerOf(local, "select C from R$Fill(1)");
    FillMark mark{{high, low}, std::nullopt};
    // Every transaction that drew a code below the mark has drawn it by now:
    // the open ones among them say their first code in their context.
    engine::Query open(local);
    open.setSql("select MON$Variable_Value from MON$Context_Variables where MON$Variable_Name = '" +
                replica::schema::kFirstCodeVariable + "' and MON$Transaction_ID <> current_transaction");
    open.open();
    for (open.first(); !open.eof(); open.next())
        if (const std::optional<RecordCode> first = parse(open.field(0).asString()))
            mark.code = std::min(mark.code, *first);
    open.close();
    if (!seesEveryone(local))
        mark.warning = "This fill runs as a user who sees only its own transactions: a row another user "
                       "commits during the fill may be left out of every later fill. Fill as SYSDBA or as the "
                       "database's owner while others work.";
    return mark;
}

}  // namespace quorvel::synchro

#include "synchro/FillMark.h"

#include <algorithm>
#include <sstream>

#include "engine/Query.h"
#include "replica/LocalSite.h"
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

// The code just before `c`. A mark names rows below it as sent: a reader
// takes a row coded at the mark itself for one it has had, so the mark
// stops short of an open transaction's first code.
RecordCode before(const RecordCode& c) {
    if (c.low > 0) return {c.high, c.low - 1};
    return {c.high - 1, 2000000000};
}

}  // namespace

FillMark drawFillMark(engine::Database& local) {
    // The low word first: a draw that rolls over gets the new high word.
    FillMark mark;
    try {
        const int64_t low = replica::integerOf(local, "select C from R$Fill(2)");
        const int64_t high = replica::integerOf(local, "select C from R$Fill(1)");
        mark.code = {high, low};
    } catch (const std::exception& e) {
        // At the end of the range no code is left to draw: no row bears a
        // code past the bound, so the bound itself separates this fill's
        // rows from the next's.
        if (std::string(e.what()).find("R$CODES_USED_UP") == std::string::npos) throw;
        mark.code = replica::LocalSite::read(local).bound;
    }
    // Every transaction that drew a code below the mark has drawn it by now:
    // the open ones among them say their first code in their context.
    engine::Query open(local);
    open.setSql("select MON$Variable_Value from MON$Context_Variables where MON$Variable_Name = '" +
                replica::schema::kFirstCodeVariable + "' and MON$Transaction_ID <> current_transaction");
    open.open();
    for (open.first(); !open.eof(); open.next())
        if (const std::optional<RecordCode> first = parse(open.field(0).asString()))
            mark.code = std::min(mark.code, before(*first));
    open.close();
    if (!seesEveryone(local))
        mark.warning = "This fill runs as a user who sees only its own transactions: a row another user "
                       "commits during the fill may be left out of every later fill. Fill as SYSDBA or as the "
                       "database's owner while others work.";
    return mark;
}

}  // namespace quorvel::synchro

#include "replica/ExchangeLog.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "engine/Query.h"
#include "engine/Transaction.h"
#include "replica/Presence.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

std::string osUser() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

const char* outcomeWord(const Outcome& o, bool collision) {
    switch (o.kind()) {
        case Outcome::Kind::Done: return "done";
        case Outcome::Kind::Refused: return "refused";
        case Outcome::Kind::Cancelled: return "cancelled";
        case Outcome::Kind::Failed: return collision ? "collision" : "failed";
    }
    return "failed";
}

// The column's width in the catalogue: longer texts are cut, never refused.
std::string cut(const std::string& text, std::size_t width) { return text.substr(0, width); }

std::string orNull(const std::string& text, std::size_t width) {
    return text.empty() ? "null" : quoted(cut(text, width));
}

}  // namespace

void logOutcome(engine::Database& db, const LogEntry& entry, const Outcome& outcome) {
    try {
        if (!db.connected() || db.inTransaction() || !TablePresent(db, "R$EXCHANGELOG")) return;
        engine::Transaction tx(db);
        run(db, "insert into R$EXCHANGELOG (MOMENT, ACTION, OSUSER, DBUSER, PEER, FILLNUMBER, OUTCOME, COUNTS, "
                "MESSAGE) values (current_timestamp, " +
                    quoted(cut(entry.action, 31)) + ", " + orNull(osUser(), 63) + ", current_user, " +
                    orNull(entry.peer, 31) + ", " +
                    (entry.fillNumber ? std::to_string(*entry.fillNumber) : std::string("null")) + ", " +
                    quoted(outcomeWord(outcome, entry.collision)) + ", " + orNull(entry.counts, 2000) + ", " +
                    orNull(outcome.message(), 2000) + ")");
        // Pruned by age only, when an age is set.
        run(db, "delete from R$EXCHANGELOG where MOMENT < current_timestamp - "
                "(select LOGDAYS from R$SCHEMA where LOGDAYS is not null)");
        tx.commit();
    } catch (const std::exception&) {
        // The operation's own outcome stands; a log that cannot be written
        // (a read-only file, a user without the right) is no failure of it.
    }
}

std::vector<LoggedEvent> readLog(engine::Database& db, const std::string& since) {
    engine::Transaction tx(db);
    engine::Query q(db);
    q.setSql("select MOMENT, ACTION, OSUSER, DBUSER, PEER, FILLNUMBER, OUTCOME, COUNTS, MESSAGE "
             "from R$EXCHANGELOG" +
             (since.empty() ? std::string() : " where MOMENT >= cast(" + quoted(since) + " as timestamp)") +
             " order by MOMENT, ACTION");
    q.open();
    std::vector<LoggedEvent> out;
    for (q.first(); !q.eof(); q.next()) {
        LoggedEvent e;
        e.moment = q.field(0).asString().substr(0, 19);
        e.action = q.field(1).asString();
        e.osUser = q.field(2).asString();
        e.dbUser = q.field(3).asString();
        e.peer = q.field(4).asString();
        if (!q.field(5).isNull()) e.fillNumber = q.field(5).asInteger();
        e.outcome = q.field(6).asString();
        e.counts = q.field(7).asString();
        e.message = q.field(8).asString();
        out.push_back(std::move(e));
    }
    return out;
}

void setLogDays(engine::Database& db, std::optional<int> days) {
    engine::Transaction tx(db);
    run(db, "update R$SCHEMA set LOGDAYS = " + (days ? std::to_string(*days) : std::string("null")));
    tx.commit();
}

std::optional<int> logDays(engine::Database& db) {
    engine::Transaction tx(db);
    engine::Query q(db);
    q.setSql("select LOGDAYS from R$SCHEMA");
    q.open();
    if (q.eof() || q.field(0).isNull()) return std::nullopt;
    return static_cast<int>(q.field(0).asInteger());
}

}  // namespace quorvel::replica

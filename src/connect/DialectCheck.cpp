#include "connect/DialectCheck.h"

#include <exception>
#include <cctype>
#include <optional>

#include "engine/DatabaseFacts.h"
#include "operation/Refused.h"

namespace quorvel::connect {

namespace {

// "the Master/Clone database" from a display name with or without its article.
std::string named(const engine::Database& db) {
    const std::string& name = db.displayName();
    return name.rfind("the ", 0) == 0 ? name : "the " + name;
}

}  // namespace

std::string otherDialectMessage(const std::string& alias, int dialect) {
    return alias + " is a dialect " + std::to_string(dialect) +
           " database; Quorvel works with dialect 1 and dialect 3 databases";
}

void refuseOtherDialect(engine::Database& db, const std::string& alias) {
    std::optional<std::string> refusal;
    try {
        const int dialect = engine::readDatabaseFacts(db).sqlDialect;
        if (dialect != 1 && dialect != 3) refusal = otherDialectMessage(alias, dialect);
    } catch (const std::exception& e) {
        // Unasked is not the same as a dialect the tool speaks.
        refusal = e.what();
    }
    if (!refusal) return;
    db.disconnect();
    throw Refused(*refusal);
}

std::string mixedDialectsMessage(const engine::Database& a, const engine::Database& b) {
    const int da = a.sqlDialect(), db = b.sqlDialect();
    if (da == db) return {};
    std::string text = named(a) + " is a dialect " + std::to_string(da) + " database and " + named(b) +
                       " a dialect " + std::to_string(db) +
                       " one: all databases of one replication set have the same dialect. A database moved to"
                       " another dialect with gfix takes its clones and synchro databases with it (make them"
                       " again from it); nothing was changed.";
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

void refuseMixedDialects(const engine::Database& a, const engine::Database& b) {
    if (std::string why = mixedDialectsMessage(a, b); !why.empty()) throw Refused(why);
}

}  // namespace quorvel::connect

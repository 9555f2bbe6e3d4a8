#include "connect/DialectCheck.h"

#include <exception>
#include <optional>

#include "engine/DatabaseFacts.h"
#include "operation/Refused.h"

namespace quorvel::connect {

std::string otherDialectMessage(const std::string& alias, int dialect) {
    return alias + " is a dialect " + std::to_string(dialect) +
           " database; Quorvel works with dialect 1 databases";
}

void refuseOtherDialect(engine::Database& db, const std::string& alias) {
    std::optional<std::string> refusal;
    try {
        const int dialect = engine::readDatabaseFacts(db).sqlDialect;
        if (dialect != 1) refusal = otherDialectMessage(alias, dialect);
    } catch (const std::exception& e) {
        // Unasked is not the same as dialect 1.
        refusal = e.what();
    }
    if (!refusal) return;
    db.disconnect();
    throw Refused(*refusal);
}

}  // namespace quorvel::connect

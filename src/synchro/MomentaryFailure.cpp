#include "synchro/MomentaryFailure.h"

#include "engine/Error.h"

namespace quorvel::synchro {

std::optional<std::string> momentaryReadFailure(const std::exception& e, const std::string& table) {
    std::string why;
    switch (engine::failureOf(e)) {
        case engine::Failure::LockConflict:
            why = "Another user is changing a row of " + (table.empty() ? std::string("this database") : table) +
                  " and has not committed it yet, or changed it while the read ran";
            break;
        case engine::Failure::ConnectionLost:
            why = "The connection was lost during the read" + (table.empty() ? std::string() : " of " + table);
            break;
        default: return std::nullopt;
    }
    return why + ". Nothing was applied: read again later.\n" + e.what();
}

}  // namespace quorvel::synchro

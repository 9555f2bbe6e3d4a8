#pragma once
// One way to end an operation: the body runs; a refusal becomes a refused
// outcome and a database error a failed one that keeps what the server said
// it was (a lock conflict, a lost connection), and either message is shown
// once, through the reporter. The body's transactions are RAII guards, so by
// the time the outcome is made they are rolled back.
#include <exception>
#include <functional>

#include "engine/Error.h"
#include "operation/Outcome.h"
#include "operation/Refused.h"
#include "operation/Reporter.h"

namespace quorvel {

inline Outcome runOperation(Reporter& reporter, const std::function<Outcome()>& body) {
    try {
        return body();
    } catch (const Refused& r) {
        reporter.error(r.what());
        return Outcome::refused(r.what());
    } catch (const std::exception& e) {
        reporter.error(e.what());
        return Outcome::failed(e.what(), engine::failureOf(e));
    }
}

}  // namespace quorvel

#pragma once
// The mark a fill leaves in the history: the next fill sends the rows coded
// from it on. Drawn before the fill selects anything, then lowered to the
// first code any transaction still open holds: a row whose code was drawn
// before the fill but whose transaction commits after the fill read its table
// is then sent by the next fill, never passed over.
//
// Must be called in a transaction of its own that has not read the
// monitoring tables yet (the server freezes what they show at the first
// look), committed before the fill's snapshot begins.
#include <optional>
#include <string>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

struct FillMark {
    replica::RecordCode code;
    // Said to the operator when the open transactions of other users cannot
    // be seen (the fill runs as a user who may see only its own).
    std::optional<std::string> warning;
};

FillMark drawFillMark(engine::Database& local);

}  // namespace quorvel::synchro

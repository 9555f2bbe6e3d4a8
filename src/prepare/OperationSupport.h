#pragma once
// What the operations of this folder share around their transactions on
// UserDB.
#include <exception>
#include <string>

#include "db/DM.h"
#include "engine/Query.h"
#include "operation/Frontend.h"
#include "operation/Outcome.h"

namespace quorvel::prepare {

// The usual reaction to a database error: roll back, error status, and the
// server's message text alone in a message box. The window is usable again;
// the outcome carries the same text.
Outcome failWithMessage(DM& dm, Frontend& ui, const std::exception& e);

// "List is empty!": the button's grid has no row to act on.
Outcome listIsEmpty(Frontend& ui);

// Opens `q` unless it is open already (the command-line tool and the tests
// may call an operation before the lists were opened by a connection).
void ensureOpen(engine::Query& q);

// The meta-structure page's step caption (LAction) and progress (PBar),
// painted as soon as they change.
void showAction(Frontend& ui, const std::string& caption);
void showProgress(Frontend& ui, int position);

// Places `text` into `q` line by line and executes it.
void execLines(engine::Query& q, const std::string& text);

}  // namespace quorvel::prepare

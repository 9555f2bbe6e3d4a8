#pragma once
// Private to the engine: the attachments a signal cancels, and taking the
// signals back from the client library after it attached a database.
#include "Fb.h"

namespace quorvel::engine {

// Registered from attach to detach; the watcher never cancels on a detached
// attachment.
void watchAttachment(fb::IAttachment* att);
void unwatchAttachment(fb::IAttachment* att);

// Installs the handlers again when installInterruptHandlers() was called:
// every attach lets the client library put its own ones back.
void reclaimSignals();

// Throws DbError("operation was cancelled") once a signal has come, or once
// after the window's Cancel was pressed.
void throwIfInterrupted();
// Throws it once after the window's Cancel only: a signal stops fetches, the
// statements that clean up after it still run.
void throwIfCancelled();

}  // namespace quorvel::engine

#pragma once
// Long operations off the window's thread. The operation runs on a thread of
// its own while the window's thread goes on painting the window and
// answering its Cancel; each of its reports (steps, progress, rows,
// questions, messages) is handed to the window's reporter on the window's
// thread, the operation waiting until it is taken. So the engine is used by
// one thread at a time, and no event is processed inside an operation.
#include <functional>

#include "operation/Outcome.h"
#include "operation/Reporter.h"

namespace quorvel::app {

// Runs `operation` on a worker thread with a reporter that passes every
// report on to `reporter`, and returns its outcome (an exception it let
// escape is thrown again here). Also when the application is told to quit (a
// signal), it waits for the operation to end, which the signal cancels.
Outcome runOnWorker(Reporter& reporter, const std::function<Outcome(Reporter&)>& operation);

// True while an operation runs on the worker: the window's grids then fetch
// nothing and read no BLOB, for the databases are the operation's.
bool workerRunning();

}  // namespace quorvel::app

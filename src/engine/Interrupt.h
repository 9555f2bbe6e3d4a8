#pragma once
// Ctrl+C and `kill` for a program that attaches databases.
//
// The Firebird client library installs its own handlers for SIGINT and
// SIGTERM when it first attaches a database, after which neither signal stops
// the program. A program that calls install() gets them back: on a signal,
// the statements running on every attached database are cancelled (their
// transactions roll back through the usual error paths), the rows still to
// be fetched are refused, and the program is told through interrupted() so
// that it can detach and end with 128 + the signal's number. A second signal
// ends the program at once.
#include <functional>

namespace quorvel::engine {

// Installs the handlers and starts the thread that acts on a signal. Call
// once, at start. `onSignal` runs on that thread after the cancellation (the
// window uses it to close itself); it may be empty.
void installInterruptHandlers(std::function<void(int signal)> onSignal = {});

// The signal that interrupted the program (SIGINT or SIGTERM), 0 when none.
int interruptSignal();
inline bool interrupted() { return interruptSignal() != 0; }

// The exit status of a program that was interrupted: 128 + the signal.
inline int interruptedExitStatus() { return 128 + interruptSignal(); }

// The window's Cancel: as a signal does, cancels the statements running on
// every attached database; when none runs (the window's thread runs them, so
// a click comes between two), the next statement or fetch fails instead. Either
// way the operation fails with "operation was cancelled" and its transactions
// roll back through its usual error path, whose own cleanup statements then
// run as after Ctrl+C. endCancel() drops a request nothing took up, once the
// operation has ended.
void cancelOperation();
void endCancel();

}  // namespace quorvel::engine

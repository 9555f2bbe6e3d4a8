#pragma once
// The window's message loop as the program runs it.
#include <QApplication>

namespace quorvel::app {

class TfmBrowser;

// Keeps SIGINT and SIGTERM from every thread the program starts from now on
// (Qt's, the Firebird engine's): a signal landing in an engine thread breaks
// off what that thread waits for, and the engine then spins when it detaches.
// runWindow takes them on a thread of its own. Call first in main, before
// anything starts a thread. (A program the window started would inherit the
// held signals: it would have to be given them back.)
void holdSignalsForTheWindow();

// Runs the message loop until the window closes, or until SIGINT or SIGTERM
// end it without asking ("Exit now?" is the operator's question, not a
// signal's): the running statement is cancelled, open dialogs close, and
// every database of the window is let go before the status is returned (the
// loop's, or 128 + the signal's number).
int runWindow(QApplication& application, TfmBrowser& window);

}  // namespace quorvel::app

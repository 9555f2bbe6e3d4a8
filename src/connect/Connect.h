#pragma once
// The four connect routines and the checks that follow a connection.
#include "db/DM.h"
#include "operation/Frontend.h"
#include "operation/Outcome.h"

namespace quorvel::connect {

// The alias and the login come from the front end's two dialogs; cancelling
// either is a cancelled outcome, a refused login a failed one.
//
// "Connect to Master/Clone": UserDB, then AfterMasterConnect.
Outcome ConnectMaster(DM& dm, Frontend& ui);
// "Connect to Clone": CloneDB, then enables SBUpdateCloneGens.
Outcome ConnectClone(DM& dm, Frontend& ui);
// "Connect to Out Synchro" / "Connect to In Synchro": SynchroDB.
Outcome ConnectOutSynchro(DM& dm, Frontend& ui);
Outcome ConnectInSynchro(DM& dm, Frontend& ui);

// The checks that follow a connection. A list that cannot be opened is shown
// and the check goes on; anything else is passed on.
void AfterMasterConnect(DM& dm, Frontend& ui);
void AfterOutSynchroConnect(DM& dm, Frontend& ui);
void AfterInSynchroConnect(DM& dm, Frontend& ui);

// Enables the exchange's buttons for what is connected now: the fill (and
// "Success", which only a fill enables) with an out-synchro connection, the
// read with an in-synchro one while the local triggers are inactive, and the
// trigger buttons as the local triggers stand.
void ShowExchangeButtons(DM& dm, Frontend& ui);

// Disconnects `db` and connects it again with the alias and parameter lines
// it holds (used after creating or erasing the meta structures).
void Reconnect(engine::Database& db);

}  // namespace quorvel::connect

#pragma once
// The four connect routines and the checks that follow a connection.
#include "operation/Frontend.h"
#include "db/DM.h"

namespace quorvel::connect {

// "Connect to Master/Clone": UserDB, then AfterMasterConnect.
void ConnectMaster(DM& dm, Frontend& ui);
// "Connect to Clone": CloneDB, then enables SBUpdateCloneGens.
void ConnectClone(DM& dm, Frontend& ui);
// "Connect to Out Synchro" / "Connect to In Synchro": SynchroDB.
void ConnectOutSynchro(DM& dm, Frontend& ui);
void ConnectInSynchro(DM& dm, Frontend& ui);

// The checks, also used on their own by the command-line tool.
void AfterMasterConnect(DM& dm, Frontend& ui);
void AfterOutSynchroConnect(DM& dm, Frontend& ui);
void AfterInSynchroConnect(DM& dm, Frontend& ui);

// Disconnects `db` and connects it again with the alias and parameter lines
// it holds (used after creating or erasing the meta structures).
void Reconnect(engine::Database& db);

}  // namespace quorvel::connect

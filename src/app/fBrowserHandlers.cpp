// The main window's button handlers: each runs one operation with the data
// module and the window as its front end.
#include <QApplication>
#include <exception>

#include "app/fBrowser.h"
#include "clone/Operations.h"
#include "connect/Connect.h"
#include "prepare/Operations.h"

namespace quorvel::app {

void TfmBrowser::runOperation(const Operation& operation) {
    try {
        operation(dm_, *this);
    } catch (const std::exception& e) {
        recoverFromEscapedError(e.what());
    } catch (...) {
        recoverFromEscapedError("Unexpected error");
    }
    // An operation that ended without reporting its end would leave the
    // window disabled for good; the window is usable again whatever happened.
    if (!QMainWindow::isEnabled()) QMainWindow::setEnabled(true);
}

void TfmBrowser::recoverFromEscapedError(const std::string& message) {
    // Nothing half done may stay open: roll back whatever transaction the
    // operation left behind.
    for (engine::Database* db : {&dm_.UserDB(), &dm_.CloneDB(), &dm_.SynchroDB()}) db->rollbackQuietly();
    setError();
    showMessage(message);
}

void TfmBrowser::SBConnectClick() { runOperation(&connect::ConnectMaster); }
void TfmBrowser::SBConnectToCloneClick() { runOperation(&connect::ConnectClone); }
void TfmBrowser::SBConnectToSynchroClick() { runOperation(&connect::ConnectOutSynchro); }
void TfmBrowser::SBConnectForSynchroClick() { runOperation(&connect::ConnectInSynchro); }

void TfmBrowser::SBCreateMetaClick() { runOperation(&prepare::CreateMeta); }
void TfmBrowser::SBEraseMetaClick() { runOperation(&prepare::EraseMeta); }
void TfmBrowser::SBAddGenClick() { runOperation(&prepare::AddGen); }
void TfmBrowser::SBRemoveGenClick() { runOperation(&prepare::RemoveGen); }
void TfmBrowser::SBAddTableClick() { runOperation(&prepare::AddTable); }
void TfmBrowser::SBRemoveTableClick() { runOperation(&prepare::RemoveTable); }
void TfmBrowser::SBAddAltttablesClick() { runOperation(&prepare::AddAllTables); }
void TfmBrowser::SBRemoveAllTablesClick() { runOperation(&prepare::RemoveAllTables); }
void TfmBrowser::SBCreateTriggersClick() { runOperation(&prepare::CreateTriggers); }
void TfmBrowser::SBInactiveTriggersClick() { runOperation(&prepare::InactiveTriggers); }
void TfmBrowser::SBActiveTriggersClick() { runOperation(&prepare::ActiveTriggers); }

void TfmBrowser::SBNewCloneClick() { runOperation(&clone::NewClone); }
void TfmBrowser::SBDelCloneClick() { runOperation(&clone::DelClone); }
void TfmBrowser::SBUpdateCloneGensClick() { runOperation(&clone::UpdateCloneGens); }

}  // namespace quorvel::app

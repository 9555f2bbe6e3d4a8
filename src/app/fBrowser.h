#pragma once
// The main window: top bar with the status faces and the master connection,
// the workflow pages, and the status bar. It is the Qt front end of every
// operation: each button handler runs one operation with the data module and
// the window itself.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <string>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "clone/Operations.h"
#include "connect/Connect.h"
#include "app/Frontend.h"
#include "operation/Outcome.h"
#include "app/StatusState.h"
#include "db/DM.h"

class QLabel;
class QTableWidget;
class QTabWidget;

namespace quorvel::app {

class CancelButton;
class CloneRowWatch;
class DataGrid;
class TfmAliases;
class TfmLoginPrompt;
class TfmClone;
class TAboutBox;

class TfmBrowser : public QMainWindow, public Frontend {
    Q_OBJECT
public:
    explicit TfmBrowser(DM& dm, QWidget* parent = nullptr);
    ~TfmBrowser() override;

    DM& dm() const { return dm_; }
    // The pages and menus, which take no input while an operation works
    // (the status bar's Cancel does).
    bool workAreaEnabled() const;
    void setWorkAreaEnabled(bool enabled);
    const StatusState& status() const { return status_; }

    // The dialogs created at start-up beside the window. Any not given is
    // made by the window when first needed.
    void setDialogs(TfmAliases* aliases, TfmLoginPrompt* login,
                    TAboutBox* about, TfmClone* newClone);
    TfmAliases& aliasDialog();
    TfmLoginPrompt& loginDialog();
    TAboutBox& aboutBox();
    TfmClone& cloneDialogWindow();

    // The splash window, destroyed when this window is first shown.
    void setSplash(QWidget* splash);

    // Frontend
    void setWorking() override;
    void setOK() override;
    void setError() override;
    void showMessage(const std::string& text) override;
    bool confirm(const std::string& question) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
    void setText(ctl::Control control, const std::string& text) override;
    std::string text(ctl::Control control) const override;
    void setEnabled(ctl::Control control, bool enabled) override;
    bool isEnabled(ctl::Control control) const override;
    void setVisible(ctl::Control control, bool visible) override;
    bool isVisible(ctl::Control control) const override;
    void setProgress(ctl::Control control, int position) override;
    int progress(ctl::Control control) const override;
    using Frontend::progress;
    void setProgressMax(ctl::Control control, int maximum) override;
    void focusAndSelectAll(ctl::Control control) override;
    void setStatusPanel(int panel, const std::string& text) override;
    std::string statusPanel(int panel) const;
    void processEvents() override;
    void showPage(ctl::Control page) override;
    void rowsProgress(const std::string& table, long long rows) override;
    bool cancelRequested() const override;

    // The window's dialogs. The file dialogs (OpenDialog1, SaveDialog1), the
    // alias dialog "Connect to DataBase" and the login "Login" for `alias`
    // answer nullopt or false on Cancel. The new-clone dialog runs `onOk`
    // with the typed entry on OK: "" closes it with OK, the name of one of
    // its edits keeps it open with that edit focused; true when it closed
    // with OK.
    std::optional<std::string> chooseOpenFile(const std::string& filter);
    std::optional<std::string> chooseSaveFile(const std::string& defaultName, const std::string& filter);
    std::optional<std::string> chooseAlias();
    bool login(const std::string& alias, std::string& user, std::string& password);
    bool cloneDialog(const std::function<std::string(const clone::CloneEntry&)>& onOk);

    // The four connections of the window, each with its button.
    enum class Connection { Local, Clone, OutSynchro, InSynchro };
    // What a connect button does once its dialogs have answered: forgets the
    // database's previous connection, connects, and shows the outcome (the
    // alias in its labels, the lists, the buttons the connection enables).
    Outcome connectWith(Connection which, const connect::Login& login);
    // The running operation's steps and progress, on the label and bar its
    // handler chose (see runReported), shown from the first report on;
    // nowhere when it chose none.
    void step(const std::string& what) override;
    void progress(long long done, long long total) override;
    // An operation's notice or error, told while the window shows it working:
    // the box is shown by a window that takes input.
    void notice(const std::string& text) override;
    void error(const std::string& text) override;

    using QMainWindow::isEnabled;
    using QMainWindow::isVisible;
    using QMainWindow::setEnabled;
    using QMainWindow::setVisible;

    // The window's own named widget, or null.
    QWidget* control(const std::string& name) const;
    DataGrid* grid(const std::string& name) const;

    // Asks "Exit now?"; true lets the window close.
    bool FormCloseQuery();

public slots:
    void SBConnectClick();
    void SBConnectToCloneClick();
    void SBConnectToSynchroClick();
    void SBConnectForSynchroClick();
    void SBCreateMetaClick();
    void SBEraseMetaClick();
    void SBAddGenClick();
    void SBRemoveGenClick();
    void SBAddTableClick();
    void SBRemoveTableClick();
    void SBAddAltttablesClick();
    void SBRemoveAllTablesClick();
    void SBCreateTriggersClick();
    void SBInactiveTriggersClick();
    void SBActiveTriggersClick();
    void SBGuardTriggersClick();
    void SBExchangePackagesClick();
    void SBNewCloneClick();
    void SBDelCloneClick();
    void SBUpdateCloneGensClick();
    void SBFillSynchroClick();
    void SBReadFromSynchroClick();
    void SBDelSynchroClick();
    void SBSuccessClick();
    void SBCopyNaturalKeyClick();
    void SBDropDeleteEntryClick();
    void SBPassOverSynchroRowClick();
    void SBReadddlClick();
    void SBConvertddlClick();
    void About1Click();
    // Database > Disconnect all: every database of the window is let go.
    void disconnectAll();
    // Database > Aliases: the configured aliases and where they are kept.
    void showAliases();

public:
    // Runs one operation and returns how it ended; whatever escapes it is
    // reported and the window is left usable.
    Outcome runOperation(const std::function<Outcome()>& operation);
    // The same for work that reports no outcome of its own (the tests' stand-ins).
    using Operation = std::function<void(DM&, Frontend&)>;
    void runOperation(const Operation& operation);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Building the window (fBrowserLayout.cpp).
    void buildMenu();
    QWidget* buildTopBar();
    void buildStatusBar();
    QWidget* buildHelpPage();
    QWidget* buildPreparePage();
    QWidget* buildPrepareMetaPage();
    QWidget* buildPickGensPage();
    QWidget* buildTableSelectionPage();
    QWidget* buildCreateSynchroPage();
    QWidget* buildClonePage();
    QWidget* buildFillSynchroPage();
    QTableWidget* buildPeersGrid(QWidget* parent);
    QWidget* buildSynchronizePage();
    QWidget* buildReadSynchroPage();
    QWidget* buildCollisionPage();
    QWidget* buildCollisionDescriptionPage();
    QWidget* buildLogPage();
    DataGrid* addGrid(const char* name, engine::DataSet& dataSet, bool titles, bool editable,
                      QWidget* parent);
    void addPage(QTabWidget* pages, QWidget* page, const char* name, const QString& caption);

    void showStatus();
    // An edit can only take the focus once the window is enabled again.
    void applyPendingFocus();
    QWidget* messageOwner();
    void recoverFromEscapedError(const std::string& message);
    // Connecting (fBrowserConnect.cpp).
    void askAndConnect(Connection which);
    void forgetConnection(Connection which);
    void showLocalFacts(const connect::LocalFacts& facts);
    void showExchangeButtons();
    // Who has read what, read afresh from the local database (fBrowserPeers.cpp).
    void showPeers();
    // "Delete clone" enabled only on a clone's row (fBrowserCloneHandlers.cpp).
    void watchCloneRows();
    // The clone list after a change (fBrowserCloneHandlers.cpp).
    Outcome showRegisteredClone(const std::string& name, Outcome registered);
    // Runs an operation that reports its steps to `label` and its progress
    // to `bar`, in the working state, and shows OK or error from its outcome.
    // The operation runs on the worker (app/Worker.h) with the reporter it is given.
    Outcome runReported(std::optional<ctl::Control> label, std::optional<ctl::Control> bar,
                        const std::function<Outcome(Reporter&)>& operation);
    // The preparation's lists, opened again after an operation changed or
    // reconnected the master (fBrowserPrepareHandlers.cpp).
    void reopenPrepareLists();
    // Page widget and the page control holding it, or nulls.
    std::pair<QTabWidget*, QWidget*> page(const std::string& name) const;
    void showPageNamed(const std::string& name);

    DM& dm_;
    StatusState status_;
    std::map<std::string, std::pair<QTabWidget*, QWidget*>> pages_;
    std::map<std::string, DataGrid*> grids_;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    CancelButton* cancel_ = nullptr;  // shown while an operation works
    std::unique_ptr<CloneRowWatch> cloneRowWatch_;
    QPointer<QWidget> splash_;
    bool shownOnce_ = false;
    std::string pendingFocus_;
    // The second status panel shows a running copy's row count.
    bool progressShown_ = false;
    // Where runReported sends the running operation's steps and progress.
    std::optional<ctl::Control> stepLabel_, progressBar_;
    // The icon of the next message box (a QMessageBox::Icon): information,
    // a warning for an operation's error.
    int boxIcon_ = 1;
    // The operation's own dialog while it is open (owner of message boxes).
    QPointer<QWidget> operationDialog_;

    TfmAliases* aliases_ = nullptr;
    TfmLoginPrompt* login_ = nullptr;
    TAboutBox* about_ = nullptr;
    TfmClone* clone_ = nullptr;
    std::vector<std::unique_ptr<QWidget>> ownDialogs_;
};

}  // namespace quorvel::app

#include "app/fBrowser.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/CancelButton.h"
#include "app/CloneRowWatch.h"
#include "app/DataGrid.h"
#include "app/FocusStyle.h"
#include "app/WidgetKit.h"
#include "app/about_un.h"
#include "app/fClone.h"
#include "app/fAliases.h"
#include "app/fLoginPrompt.h"

namespace quorvel::app {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The words of StatusState, which knows no Qt, marked here for translation.
[[maybe_unused]] const char* const kStatusWords[] = {
    QT_TRANSLATE_NOOP("quorvel::app::TfmBrowser", "   Status: No events"),
    QT_TRANSLATE_NOOP("quorvel::app::TfmBrowser", "   Status: Error!"),
    QT_TRANSLATE_NOOP("quorvel::app::TfmBrowser", "   Status: OK."),
    QT_TRANSLATE_NOOP("quorvel::app::TfmBrowser", "   Status: Working..."),
};

}  // namespace

TfmBrowser::TfmBrowser(DM& dm, QWidget* parent) : QMainWindow(parent), dm_(dm) {
    setObjectName("fmBrowser");
    setWindowTitle(" Quorvel V 1.0");
    FocusStyle::install();
    buildMenu();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTopBar());

    auto* PCMain = new QTabWidget(central);
    PCMain->setObjectName("PCMain");
    addPage(PCMain, buildHelpPage(), "TSHelp", tr("Replication overview"));
    addPage(PCMain, buildPreparePage(), "TSPrepare", tr("Prepare for cloning"));
    addPage(PCMain, buildClonePage(), "TSClone", tr("Cloning"));
    addPage(PCMain, buildFillSynchroPage(), "TSFillSynchro", tr("Fill SYNCHRO"));
    addPage(PCMain, buildSynchronizePage(), "TSSynchronize", tr("Synchronize"));
    addPage(PCMain, buildLogPage(), "TSLog", tr("Exchange log"));
    // The log as it stands whenever its page is shown: every operation adds to it.
    connect(PCMain, &QTabWidget::currentChanged, this, [this, PCMain](int index) {
        if (PCMain->widget(index)->objectName() == "TSLog" && dm_.QLog.active()) dm_.ReopenLog();
    });
    PCMain->setCurrentIndex(0);
    column->addWidget(PCMain, 1);
    setCentralWidget(central);

    buildStatusBar();
    showStatus();
    watchCloneRows();

    resize(646, 448);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

TfmBrowser::~TfmBrowser() = default;

void TfmBrowser::setDialogs(TfmAliases* aliases, TfmLoginPrompt* login,
                            TAboutBox* about, TfmClone* newClone) {
    aliases_ = aliases;
    login_ = login;
    about_ = about;
    clone_ = newClone;
}

namespace {

template <class Dialog>
Dialog& dialogOrOwn(Dialog*& slot, std::vector<std::unique_ptr<QWidget>>& own) {
    if (!slot) {
        auto d = std::make_unique<Dialog>();
        slot = d.get();
        own.push_back(std::move(d));
    }
    return *slot;
}

}  // namespace

TfmAliases& TfmBrowser::aliasDialog() { return dialogOrOwn(aliases_, ownDialogs_); }
TfmLoginPrompt& TfmBrowser::loginDialog() { return dialogOrOwn(login_, ownDialogs_); }
TAboutBox& TfmBrowser::aboutBox() { return dialogOrOwn(about_, ownDialogs_); }
TfmClone& TfmBrowser::cloneDialogWindow() { return dialogOrOwn(clone_, ownDialogs_); }

void TfmBrowser::setSplash(QWidget* splash) { splash_ = splash; }

void TfmBrowser::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // FormShow: the splash window has done its job.
        if (splash_) {
            splash_->hide();
            delete splash_.data();
        }
    }
}

bool TfmBrowser::FormCloseQuery() { return confirm(tr("Exit now?").toStdString()); }

void TfmBrowser::closeEvent(QCloseEvent* event) {
    // While an operation runs the window stays; it is the operation's.
    if (!status_.finished() && !workAreaEnabled()) {
        event->ignore();
        return;
    }
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

// Status ------------------------------------------------------------------

void TfmBrowser::showStatus() {
    const StatusFace shown = status_.face();
    QWidget* shownFace = nullptr;
    for (StatusFace f : {StatusFace::Ooh, StatusFace::Sad, StatusFace::Shades, StatusFace::Indif}) {
        QWidget* w = control(StatusState::faceName(f));
        if (!w) continue;
        w->setVisible(f == shown);
        if (f == shown) shownFace = w;
    }
    statusPanels_[0]->setText(tr(status_.text().c_str()));
    // The work that follows runs on this thread: paint now, not later.
    if (shownFace) shownFace->repaint();
    statusBar()->repaint();
}

void TfmBrowser::setWorking() {
    status_.setWorking();
    // The previous operation's result is not this one's.
    setStatusPanel(1, "  ");
    showStatus();
    setWorkAreaEnabled(false);
    cancel_->operationStarted();
}

void TfmBrowser::setOK() {
    status_.setOK();
    cancel_->operationEnded();
    showStatus();
    setWorkAreaEnabled(true);
    applyPendingFocus();
}

void TfmBrowser::setError() {
    status_.setError();
    cancel_->operationEnded();
    showStatus();
    setWorkAreaEnabled(true);
    applyPendingFocus();
}

bool TfmBrowser::cancelRequested() const { return cancel_ && cancel_->pressed(); }

// Dialogs -----------------------------------------------------------------

namespace {

// An operation may ask or tell while the window shows it working (its pages
// and menus disabled): a box of a disabled window would take no answer, so
// the window is usable while the box is open and working again afterwards.
class UsableWhileOpen {
public:
    explicit UsableWhileOpen(TfmBrowser& window) : window_(window), working_(!window.workAreaEnabled()) {
        if (working_) window_.setWorkAreaEnabled(true);
    }
    ~UsableWhileOpen() {
        if (working_) window_.setWorkAreaEnabled(false);
    }

private:
    TfmBrowser& window_;
    bool working_;
};

}  // namespace

bool TfmBrowser::workAreaEnabled() const {
    return centralWidget()->isEnabled() && menuBar()->isEnabled();
}

void TfmBrowser::setWorkAreaEnabled(bool enabled) {
    centralWidget()->setEnabled(enabled);
    menuBar()->setEnabled(enabled);
}

QWidget* TfmBrowser::messageOwner() {
    // A box shown while an operation's dialog is open belongs to that dialog:
    // owned by the window, it would open behind the dialog or push the dialog
    // behind the window.
    if (operationDialog_) return operationDialog_;
    return this;
}

void TfmBrowser::notice(const std::string& text) {
    UsableWhileOpen usable(*this);
    showMessage(text);
}

void TfmBrowser::error(const std::string& text) {
    UsableWhileOpen usable(*this);
    // An operation's refusal or failure is shown as a warning.
    boxIcon_ = QMessageBox::Warning;
    struct Reset {
        int& icon;
        ~Reset() { icon = QMessageBox::Information; }
    } reset{boxIcon_};
    showMessage(text);
}

void TfmBrowser::showMessage(const std::string& text) {
    QMessageBox box(static_cast<QMessageBox::Icon>(boxIcon_), QApplication::applicationName(), qs(text),
                    QMessageBox::Ok, messageOwner());
    box.setObjectName("MessageBox");
    box.exec();
}


bool TfmBrowser::confirm(const std::string& question) {
    UsableWhileOpen usable(*this);
    QMessageBox box(QMessageBox::Question, tr("Confirm"), qs(question), QMessageBox::Yes | QMessageBox::No,
                    messageOwner());
    box.setObjectName("ConfirmBox");
    // Enter or a hasty key press never deletes, replaces or switches off:
    // Yes must be chosen.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> TfmBrowser::inputBox(const std::string& caption, const std::string& prompt,
                                                const std::string& defaultText) {
    bool ok = false;
    const QString answer = QInputDialog::getText(this, qs(caption), qs(prompt),
                                                 QLineEdit::Normal, qs(defaultText), &ok);
    if (!ok) return std::nullopt;
    return answer.toStdString();
}

std::optional<std::string> TfmBrowser::chooseOpenFile(const std::string& filter) {
    QFileDialog dialog(this);
    dialog.setObjectName("OpenDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(qtFileFilter(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> TfmBrowser::chooseSaveFile(const std::string& defaultName,
                                                      const std::string& filter) {
    QFileDialog dialog(this);
    dialog.setObjectName("SaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(qtFileFilter(filter));
    dialog.selectFile(qs(defaultName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> TfmBrowser::chooseAlias() {
    auto& d = aliasDialog();
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.chosenAlias();
}

bool TfmBrowser::login(const std::string& alias, std::string& user, std::string& password) {
    auto& d = loginDialog();
    d.setAlias(alias);
    if (d.exec() != QDialog::Accepted) return false;
    user = d.userName();
    password = d.password();
    return true;
}

bool TfmBrowser::cloneDialog(const std::function<std::string(const clone::CloneEntry&)>& onOk) {
    TfmClone& dialog = cloneDialogWindow();
    operationDialog_ = &dialog;
    struct Closed {
        QPointer<QWidget>& owner;
        ~Closed() { owner = nullptr; }
    } closed{operationDialog_};
    return dialog.execute(onOk);
}

void TfmBrowser::About1Click() { aboutBox().exec(); }

}  // namespace quorvel::app

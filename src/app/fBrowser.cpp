#include "app/fBrowser.h"

#include <QAbstractButton>
#include <algorithm>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/DataGrid.h"
#include "app/WidgetKit.h"
#include "app/about_un.h"
#include "clone/fClone.h"
#include "connect/fAliases.h"
#include "connect/fLoginPrompt.h"

namespace quorvel::app {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TfmBrowser::TfmBrowser(DM& dm, QWidget* parent) : QMainWindow(parent), dm_(dm) {
    setObjectName("fmBrowser");
    setWindowTitle(" Quorvel V 1.0");
    buildMenu();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTopBar());

    auto* PCMain = new QTabWidget(central);
    PCMain->setObjectName("PCMain");
    addPage(PCMain, buildHelpPage(), "TSHelp", "Replication overview");
    addPage(PCMain, buildPreparePage(), "TSPrepare", "Prepare for cloning");
    addPage(PCMain, buildClonePage(), "TSClone", "Cloning");
    addPage(PCMain, buildFillSynchroPage(), "TSFillSynchro", "Fill SYNCHRO");
    addPage(PCMain, buildSynchronizePage(), "TSSynchronize", "Synchronize");
    PCMain->setCurrentIndex(0);
    column->addWidget(PCMain, 1);
    setCentralWidget(central);

    buildStatusBar();
    showStatus();

    resize(646, 448);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

TfmBrowser::~TfmBrowser() = default;

void TfmBrowser::setDialogs(connect::TfmAliases* aliases, connect::TfmLoginPrompt* login,
                            TAboutBox* about, clone::TfmClone* newClone) {
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

connect::TfmAliases& TfmBrowser::aliasDialog() { return dialogOrOwn(aliases_, ownDialogs_); }
connect::TfmLoginPrompt& TfmBrowser::loginDialog() { return dialogOrOwn(login_, ownDialogs_); }
TAboutBox& TfmBrowser::aboutBox() { return dialogOrOwn(about_, ownDialogs_); }
clone::TfmClone& TfmBrowser::cloneDialogWindow() { return dialogOrOwn(clone_, ownDialogs_); }

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

bool TfmBrowser::FormCloseQuery() { return confirm("Exit now?"); }

void TfmBrowser::closeEvent(QCloseEvent* event) {
    // While an operation runs the window stays; it is the operation's.
    if (!status_.finished() && !QMainWindow::isEnabled()) {
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
    statusPanels_[0]->setText(qs(status_.text()));
    // The work that follows runs on this thread: paint now, not later.
    if (shownFace) shownFace->repaint();
    statusBar()->repaint();
}

void TfmBrowser::setWorking() {
    status_.setWorking();
    showStatus();
    QMainWindow::setEnabled(false);
}

void TfmBrowser::setOK() {
    status_.setOK();
    showStatus();
    QMainWindow::setEnabled(true);
}

void TfmBrowser::setError() {
    status_.setError();
    showStatus();
    QMainWindow::setEnabled(true);
}

// Dialogs -----------------------------------------------------------------

void TfmBrowser::showMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), qs(text), QMessageBox::Ok,
                    this);
    box.setObjectName("MessageBox");
    box.exec();
}

bool TfmBrowser::confirm(const std::string& question) {
    QMessageBox box(QMessageBox::Question, "Confirm", qs(question), QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setObjectName("ConfirmBox");
    box.setDefaultButton(QMessageBox::Yes);
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

bool TfmBrowser::cloneDialog(const std::function<std::string(const CloneEntry&)>& onOk) {
    return cloneDialogWindow().execute(onOk);
}

void TfmBrowser::About1Click() { aboutBox().exec(); }

// Named controls ------------------------------------------------------------

QWidget* TfmBrowser::control(const std::string& name) const {
    return findChild<QWidget*>(qs(name));
}

DataGrid* TfmBrowser::grid(const std::string& name) const {
    auto it = grids_.find(name);
    return it == grids_.end() ? nullptr : it->second;
}

std::pair<QTabWidget*, QWidget*> TfmBrowser::page(const std::string& name) const {
    auto it = pages_.find(name);
    return it == pages_.end() ? std::pair<QTabWidget*, QWidget*>{nullptr, nullptr} : it->second;
}

void TfmBrowser::setText(const std::string& name, const std::string& text) {
    if (auto [pages, p] = page(name); pages) {
        pages->setTabText(pages->indexOf(p), qs(text));
        return;
    }
    QWidget* w = control(name);
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(qs(text));
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(qs(text));
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(qs(text));
    else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        m->setPlainText(qs(text));
    else
        return;
    // Captions that report the step of a running operation must show now.
    w->repaint();
}

std::string TfmBrowser::text(const std::string& name) const {
    if (auto [pages, p] = page(name); pages) return pages->tabText(pages->indexOf(p)).toStdString();
    QWidget* w = control(name);
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().toStdString();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->toPlainText().toStdString();
    return {};
}

void TfmBrowser::setEnabled(const std::string& name, bool enabled) {
    if (QWidget* w = control(name)) w->setEnabled(enabled);
}

bool TfmBrowser::isEnabled(const std::string& name) const {
    QWidget* w = control(name);
    // The control's own state: while an operation runs the whole window is
    // disabled, which must not read as the button being disabled.
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

void TfmBrowser::setVisible(const std::string& name, bool visible) {
    if (auto [pages, p] = page(name); pages) {
        pages->setTabVisible(pages->indexOf(p), visible);
        return;
    }
    if (QWidget* w = control(name)) w->setVisible(visible);
}

bool TfmBrowser::isVisible(const std::string& name) const {
    if (auto [pages, p] = page(name); pages) return pages->isTabVisible(pages->indexOf(p));
    QWidget* w = control(name);
    return w && !w->isHidden();
}

void TfmBrowser::setProgress(const std::string& name, int position) {
    auto* bar = qobject_cast<QProgressBar*>(control(name));
    if (!bar) return;
    // A bar never refuses a position: one beyond the range widens it.
    if (position > bar->maximum()) bar->setMaximum(position);
    bar->setValue(position);
    bar->repaint();
}

int TfmBrowser::progress(const std::string& name) const {
    auto* bar = qobject_cast<QProgressBar*>(control(name));
    return bar ? bar->value() : 0;
}

void TfmBrowser::setProgressMax(const std::string& name, int maximum) {
    if (auto* bar = qobject_cast<QProgressBar*>(control(name))) bar->setMaximum(std::max(maximum, 1));
}

void TfmBrowser::focusAndSelectAll(const std::string& name) {
    if (auto* e = qobject_cast<QLineEdit*>(control(name))) {
        e->setFocus();
        e->selectAll();
    }
}

void TfmBrowser::setStatusPanel(int panel, const std::string& text) {
    if (panel < 0 || panel > 1) return;
    statusPanels_[panel]->setText(qs(text));
    statusPanels_[panel]->repaint();
}

std::string TfmBrowser::statusPanel(int panel) const {
    if (panel < 0 || panel > 1) return {};
    return statusPanels_[panel]->text().toStdString();
}

void TfmBrowser::processEvents() { QApplication::processEvents(); }

void TfmBrowser::showPage(const std::string& name) {
    auto [pages, p] = page(name);
    if (!pages) return;
    pages->setTabVisible(pages->indexOf(p), true);
    pages->setCurrentWidget(p);
    // An inner page is only seen when its outer page is in front as well.
    for (const auto& [outerName, entry] : pages_)
        if (entry.second->isAncestorOf(pages)) showPage(outerName);
}

}  // namespace quorvel::app

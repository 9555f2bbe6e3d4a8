// The main window's controls by name, as the operations address them.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <algorithm>
#include <utility>

#include "app/DataGrid.h"
#include "app/fBrowser.h"

namespace quorvel::app {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

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

void TfmBrowser::setText(ctl::Control c, const std::string& text) {
    if (auto [pages, p] = page(c.str()); pages) {
        pages->setTabText(pages->indexOf(p), qs(text));
        return;
    }
    QWidget* w = control(c.str());
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

std::string TfmBrowser::text(ctl::Control c) const {
    if (auto [pages, p] = page(c.str()); pages) return pages->tabText(pages->indexOf(p)).toStdString();
    QWidget* w = control(c.str());
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().toStdString();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->toPlainText().toStdString();
    return {};
}

void TfmBrowser::setEnabled(ctl::Control c, bool enabled) {
    if (QWidget* w = control(c.str())) w->setEnabled(enabled);
}

bool TfmBrowser::isEnabled(ctl::Control c) const {
    QWidget* w = control(c.str());
    // The control's own state: while an operation runs the whole window is
    // disabled, which must not read as the button being disabled.
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

void TfmBrowser::setVisible(ctl::Control c, bool visible) {
    if (auto [pages, p] = page(c.str()); pages) {
        // A hidden page is out of reach: the arrow keys on the tab bar pass
        // over a disabled tab, not over a hidden one alone.
        pages->setTabVisible(pages->indexOf(p), visible);
        pages->setTabEnabled(pages->indexOf(p), visible);
        return;
    }
    if (QWidget* w = control(c.str())) w->setVisible(visible);
}

bool TfmBrowser::isVisible(ctl::Control c) const {
    if (auto [pages, p] = page(c.str()); pages) return pages->isTabVisible(pages->indexOf(p));
    QWidget* w = control(c.str());
    return w && !w->isHidden();
}

void TfmBrowser::setProgress(ctl::Control c, int position) {
    auto* bar = qobject_cast<QProgressBar*>(control(c.str()));
    if (!bar) return;
    // A bar never refuses a position: one beyond the range widens it.
    if (position > bar->maximum()) bar->setMaximum(position);
    bar->setValue(position);
    bar->repaint();
}

int TfmBrowser::progress(ctl::Control c) const {
    auto* bar = qobject_cast<QProgressBar*>(control(c.str()));
    return bar ? bar->value() : 0;
}

void TfmBrowser::setProgressMax(ctl::Control c, int maximum) {
    if (auto* bar = qobject_cast<QProgressBar*>(control(c.str()))) bar->setMaximum(std::max(maximum, 1));
}

void TfmBrowser::focusAndSelectAll(ctl::Control c) {
    // While an operation runs the window is disabled, and an edit of a
    // disabled window does not take the focus: it is given once the window
    // is enabled again.
    pendingFocus_ = c.str();
    applyPendingFocus();
}

void TfmBrowser::applyPendingFocus() {
    if (pendingFocus_.empty() || !workAreaEnabled()) return;
    if (auto* e = qobject_cast<QLineEdit*>(control(std::exchange(pendingFocus_, std::string())))) {
        e->setFocus();
        e->selectAll();
    }
}

void TfmBrowser::setStatusPanel(int panel, const std::string& text) {
    if (panel < 0 || panel > 1) return;
    statusPanels_[panel]->setText(qs(text));
    if (panel == 1) statusPanels_[panel]->setToolTip(qs(text).trimmed());
    statusPanels_[panel]->repaint();
}

std::string TfmBrowser::statusPanel(int panel) const {
    if (panel < 0 || panel > 1) return {};
    return statusPanels_[panel]->text().toStdString();
}

void TfmBrowser::processEvents() { QApplication::processEvents(); }

void TfmBrowser::showPage(ctl::Control c) { showPageNamed(c.str()); }

void TfmBrowser::showPageNamed(const std::string& name) {
    auto [pages, p] = page(name);
    if (!pages) return;
    pages->setTabVisible(pages->indexOf(p), true);
    pages->setTabEnabled(pages->indexOf(p), true);
    pages->setCurrentWidget(p);
    // An inner page is only seen when its outer page is in front as well.
    for (const auto& [outerName, entry] : pages_)
        if (entry.second->isAncestorOf(pages)) showPageNamed(outerName);
}

}  // namespace quorvel::app

// Building the main window: menu, top bar, status bar, the overview page,
// and the bookkeeping of pages and grids that the named controls rely on.
#include <QAbstractButton>
#include <QFrame>
#include <QKeySequence>
#include <QMenu>
#include <QStackedWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/CancelButton.h"
#include "app/DataGrid.h"
#include "app/HintTexts.h"
#include "app/StatusFaces.h"
#include "app/WidgetKit.h"
#include "app/fBrowser.h"

namespace quorvel::app {

void TfmBrowser::addPage(QTabWidget* pages, QWidget* page, const char* name, const QString& caption) {
    page->setObjectName(name);
    pages->addTab(page, caption);
    pages_[name] = {pages, page};
}

DataGrid* TfmBrowser::addGrid(const char* name, engine::DataSet& dataSet, bool titles,
                              bool editable, QWidget* parent) {
    auto* g = new DataGrid(dataSet, {titles, editable}, parent);
    g->setObjectName(name);
    connect(g, &DataGrid::failure, this, [this](const QString& m) { showMessage(m.toStdString()); },
            Qt::QueuedConnection);
    grids_[name] = g;
    return g;
}

namespace {

// A menu item that presses a button of the window: enabled as the button is
// (read when the menu opens), and doing nothing the button would not.
QAction* addButtonItem(QMenu* menu, QWidget* window, const QString& caption, const char* button,
                       const QKeySequence& keys = {}) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString("Menu") + button);
    item->setShortcut(keys);
    QObject::connect(item, &QAction::triggered, window, [window, button] {
        auto* b = window->findChild<QAbstractButton*>(button);
        // A button on a page hidden here (a clone's "Cloning") is no choice.
        if (b && b->isEnabled() && !b->isHidden() && b->window() == window) {
            for (QWidget* p = b->parentWidget(); p && p != window; p = p->parentWidget())
                if (auto* pages = qobject_cast<QStackedWidget*>(p->parentWidget()))
                    if (auto* tabs = qobject_cast<QTabWidget*>(pages->parentWidget()))
                        if (!tabs->isTabVisible(tabs->indexOf(p))) return;
            b->click();
        }
    });
    QObject::connect(menu, &QMenu::aboutToShow, item, [item, window, button] {
        auto* b = window->findChild<QAbstractButton*>(button);
        item->setEnabled(b && b->isEnabled());
    });
    return item;
}

}  // namespace

void TfmBrowser::buildMenu() {
    QMenu* database = menuBar()->addMenu(tr("&Database"));
    database->setObjectName("MenuDatabase");
    addButtonItem(database, this, tr("Connect to &Master/Clone..."), "SBConnect", QKeySequence("Ctrl+M"));
    addButtonItem(database, this, tr("Connect to &Clone..."), "SBConnectToClone");
    addButtonItem(database, this, tr("Connect to &Out Synchro..."), "SBConnectToSynchro", QKeySequence("Ctrl+O"));
    addButtonItem(database, this, tr("Connect to &In Synchro..."), "SBConnectForSynchro", QKeySequence("Ctrl+I"));
    database->addSeparator();
    QAction* disconnect = database->addAction(tr("&Disconnect all"));
    disconnect->setObjectName("MenuDisconnect");
    disconnect->setShortcut(QKeySequence("Ctrl+D"));
    connect(disconnect, &QAction::triggered, this, &TfmBrowser::disconnectAll);
    database->addSeparator();
    QAction* aliases = database->addAction(tr("&Aliases..."));
    aliases->setObjectName("MenuAliases");
    connect(aliases, &QAction::triggered, this, &TfmBrowser::showAliases);
    database->addSeparator();
    QAction* quit = database->addAction(tr("E&xit"));
    quit->setObjectName("MenuExit");
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* exchange = menuBar()->addMenu(tr("&Exchange"));
    exchange->setObjectName("MenuExchange");
    addButtonItem(exchange, this, tr("&Fill SYNCHRO gdb"), "SBFillSynchro", QKeySequence("Ctrl+F"));
    addButtonItem(exchange, this, tr("&Read from SYNCHRO"), "SBReadFromSynchro", QKeySequence("Ctrl+R"));
    addButtonItem(exchange, this, tr("&Success"), "SBSuccess");
    addButtonItem(exchange, this, tr("E&xchange by Packages..."), "SBExchangePackages");
    exchange->addSeparator();
    addButtonItem(exchange, this, tr("&Copy current record from Synchro"), "SBCopyNaturalKey");
    addButtonItem(exchange, this, tr("Do &not take the synchro row"), "SBPassOverSynchroRow");
    addButtonItem(exchange, this, tr("Drop the &D entry"), "SBDropDeleteEntry");
    exchange->addSeparator();
    addButtonItem(exchange, this, tr("Make Triggers &Inactive..."), "SBInactiveTriggers");
    addButtonItem(exchange, this, tr("Make Triggers &Active"), "SBActiveTriggers");
    addButtonItem(exchange, this, tr("&Guard Own Triggers..."), "SBGuardTriggers");

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName("Help1");
    QAction* about = help->addAction(tr("&About..."));
    about->setObjectName("About1");
    connect(about, &QAction::triggered, this, &TfmBrowser::About1Click);
}

QWidget* TfmBrowser::buildTopBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName("PanelTop");
    bar->setFixedHeight(kFaceAreaSize);
    auto* r = hbox(bar);
    r->setContentsMargins(0, 0, 6, 0);

    // Four faces stacked at one place; the status shows exactly one.
    auto* faces = new QWidget(bar);
    faces->setFixedSize(kFaceAreaSize, kFaceAreaSize);
    const struct { StatusFace face; const char* hint; } faceHints[] = {
        {StatusFace::Ooh, QT_TR_NOOP("Status")},
        {StatusFace::Sad, QT_TR_NOOP("Status: Error ")},
        {StatusFace::Shades, QT_TR_NOOP("Status: OK")},
        {StatusFace::Indif, QT_TR_NOOP("Status: No events")},
    };
    for (const auto& f : faceHints) {
        auto* img = new QLabel(faces);
        img->setObjectName(StatusState::faceName(f.face));
        img->setPixmap(paintStatusFace(f.face));
        img->setGeometry(0, 0, kFaceAreaSize, kFaceAreaSize);
        img->setToolTip(tr(f.hint));
        img->setVisible(f.face == StatusFace::Indif);
    }
    r->addWidget(faces);

    auto* SBConnect = makeButton(bar, "SBConnect", tr("Connect to Master/Clone"), tr("Connect"), connectGlyph());
    connect(SBConnect, &QPushButton::clicked, this, &TfmBrowser::SBConnectClick);
    r->addWidget(SBConnect);
    r->addSpacing(12);
    r->addWidget(makeLabel(bar, tr("Alias:"), "Label3"));
    auto* LAlias = makeLabel(bar, "?", "LAlias");
    setBold(LAlias);
    LAlias->setMinimumWidth(110);
    r->addWidget(LAlias);
    r->addSpacing(12);
    r->addWidget(makeLabel(bar, tr("Master/Clone:"), "Label20"));
    auto* LMaster = makeLabel(bar, "?", "LMaster");
    setBold(LMaster);
    LMaster->setMinimumWidth(90);
    r->addWidget(LMaster);
    r->addStretch();
    return bar;
}

void TfmBrowser::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    cancel_ = new CancelButton(bar);
    bar->addPermanentWidget(cancel_);
    // Panel 0 holds the status words; panel 1, what the last operation
    // did, takes the rest of the width at any size of the window (a text
    // longer than that is cut, and whole in its tooltip).
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QString("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i == 0)
            panel->setFixedWidth(150);
        else
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        bar->addWidget(panel, i);
        statusPanels_[i] = panel;
    }
    statusPanels_[1]->setText("  ");
}

// Replication overview --------------------------------------------------------

QWidget* TfmBrowser::buildHelpPage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    c->addWidget(makeLabel(page, tr("Read it carefully!")));
    auto* MHelp = makeMemo(page, "MHelp", helpOverviewText());
    MHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c->addWidget(MHelp, 1);
    return page;
}

}  // namespace quorvel::app

// The pages "Cloning", "Fill SYNCHRO" and "Synchronize" with its inner
// pages, with the components' names, captions, hints and initial states.
#include <QFontDatabase>
#include <QFrame>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/DataGrid.h"
#include "app/DataNavigator.h"
#include "app/HintTexts.h"
#include "app/WidgetKit.h"
#include "app/fBrowser.h"
#include "db/PeerTable.h"

namespace quorvel::app {

namespace {

const QColor kRed(Qt::red);
const QColor kBlue(Qt::blue);
const QColor kGreen(0, 128, 0);
const QColor kYellow(Qt::yellow);

}  // namespace

// Cloning ----------------------------------------------------------------------------

QWidget* TfmBrowser::buildClonePage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    auto* top = hbox();
    auto* SBNewClone = makeGlyphButton(page, "SBNewClone", drumGlyph(true),
                                       tr("New clone"));
    auto* SBDelClone = makeGlyphButton(page, "SBDelClone", drumGlyph(false),
                                       tr("Delete clone"));
    auto* SBConnectToClone = makeButton(page, "SBConnectToClone", tr("Connect to Clone"), tr("Connect to CLONE"),
                                        connectGlyph());
    auto* SBUpdateCloneGens = makeButton(page, "SBUpdateCloneGens", tr("Update CLONE's data"),
                                         tr("Update clone's generators"));
    setBoldCaption(SBUpdateCloneGens, kBlue);
    SBUpdateCloneGens->setEnabled(false);
    connect(SBNewClone, &QToolButton::clicked, this, &TfmBrowser::SBNewCloneClick);
    connect(SBDelClone, &QToolButton::clicked, this, &TfmBrowser::SBDelCloneClick);
    connect(SBConnectToClone, &QPushButton::clicked, this, &TfmBrowser::SBConnectToCloneClick);
    connect(SBUpdateCloneGens, &QPushButton::clicked, this, &TfmBrowser::SBUpdateCloneGensClick);
    top->addWidget(SBNewClone);
    top->addWidget(SBDelClone);
    top->addSpacing(8);
    top->addWidget(SBConnectToClone);
    addAliasPair(top, page, "LCloneName");
    top->addStretch();
    top->addWidget(SBUpdateCloneGens);
    c->addLayout(top);

    c->addWidget(makeLabel(page, tr("Clones")));
    c->addWidget(addGrid("DBGClone", dm_.QClone, true, false, page), 1);
    auto* MClone = makeMemo(page, "MClone", cloneHintText());
    MClone->setFixedHeight(MClone->fontMetrics().lineSpacing() * 8 + 14);
    c->addWidget(MClone);
    return page;
}

// Fill SYNCHRO -------------------------------------------------------------------------

QWidget* TfmBrowser::buildFillSynchroPage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    auto* top = hbox();
    auto* SBConnectToSynchro = makeButton(page, "SBConnectToSynchro", tr("Connect to Out Synchro"),
                                          tr("Connect to synchro"), connectGlyph());
    connect(SBConnectToSynchro, &QPushButton::clicked, this, &TfmBrowser::SBConnectToSynchroClick);
    top->addWidget(SBConnectToSynchro);
    addAliasPair(top, page, "LSynchro1");
    top->addStretch();
    c->addLayout(top);

    auto* body = hbox();
    auto* history = vbox();
    history->addWidget(makeLabel(page, tr("Synchronization history")));
    history->addWidget(addGrid("DBGSynchroHistory", dm_.QSynchro, true, false, page), 1);
    auto* buttons = hbox();
    auto* SBDelSynchro = makeGlyphButton(page, "SBDelSynchro", drumGlyph(false),
                                         tr("Delete synchro gdb"));
    auto* SBFillSynchro = makeButton(page, "SBFillSynchro", tr("Fill SYNCHRO gdb"), tr("Fill SYNCHRO gdb"));
    setBoldCaption(SBFillSynchro, kBlue);
    SBFillSynchro->setEnabled(false);
    auto* SBSuccess = makeButton(page, "SBSuccess", tr("Success"), successHint());
    setBoldCaption(SBSuccess, kGreen);
    SBSuccess->setEnabled(false);
    connect(SBDelSynchro, &QToolButton::clicked, this, &TfmBrowser::SBDelSynchroClick);
    connect(SBFillSynchro, &QPushButton::clicked, this, &TfmBrowser::SBFillSynchroClick);
    connect(SBSuccess, &QPushButton::clicked, this, &TfmBrowser::SBSuccessClick);
    // Receive the packages waiting in one folder, then send this site's into
    // another: no synchro database to prepare or carry.
    auto* SBExchangePackages = makeButton(page, "SBExchangePackages", tr("Exchange by Packages"),
                                          tr("Read the packages waiting in the inbox folder, then send this "
                                             "site's own into the outbox folder"));
    SBExchangePackages->setEnabled(false);
    connect(SBExchangePackages, &QPushButton::clicked, this, &TfmBrowser::SBExchangePackagesClick);
    buttons->addWidget(SBDelSynchro);
    buttons->addWidget(SBExchangePackages);
    buttons->addStretch();
    buttons->addWidget(SBFillSynchro);
    buttons->addWidget(SBSuccess);
    history->addLayout(buttons);
    history->addWidget(makeLabel(page, tr("Sites"), "LPeers"));
    history->addWidget(buildPeersGrid(page));
    body->addLayout(history, 3);

    auto* process = new QFrame(page);
    process->setObjectName("PanelFillProcess");
    process->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* pc = vbox(process);
    auto* action = hbox();
    action->addWidget(makeLabel(process, tr("Action:")));
    auto* LFillAction = makeLabel(process, "?", "LFillAction");
    action->addWidget(LFillAction, 1);
    pc->addLayout(action);
    pc->addWidget(makeLabel(process, tr("Tables")));
    pc->addWidget(addGrid("DBGFillProcess", dm_.QTableOrder, false, false, process), 1);
    body->addWidget(process, 2);
    c->addLayout(body, 1);
    return page;
}

// Who has read what: one line per peer, filled by showPeers. Read-only; a
// few lines high, for a site has few peers.
QTableWidget* TfmBrowser::buildPeersGrid(QWidget* parent) {
    auto* GPeers = new QTableWidget(0, 3, parent);
    GPeers->setObjectName("GPeers");
    GPeers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GPeers->setSelectionBehavior(QAbstractItemView::SelectRows);
    GPeers->setSelectionMode(QAbstractItemView::SingleSelection);
    GPeers->setWordWrap(false);
    GPeers->verticalHeader()->setVisible(false);
    GPeers->verticalHeader()->setDefaultSectionSize(GPeers->fontMetrics().height() + 4);
    GPeers->horizontalHeader()->setHighlightSections(false);
    QStringList titles;
    for (const std::string& t : peerColumnTitles()) titles << QString::fromStdString(t);
    GPeers->setHorizontalHeaderLabels(titles);
    GPeers->resizeColumnsToContents();
    GPeers->horizontalHeader()->setStretchLastSection(true);
    const int line = GPeers->verticalHeader()->defaultSectionSize();
    GPeers->setFixedHeight(GPeers->horizontalHeader()->sizeHint().height() + line * 4 + 4);
    return GPeers;
}

// Synchronize ------------------------------------------------------------------------------

QWidget* TfmBrowser::buildSynchronizePage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    auto* top = hbox();
    auto* SBConnectForSynchro = makeButton(page, "SBConnectForSynchro", tr("Connect to In Synchro"),
                                           tr("Connect to synchro"), connectGlyph());
    connect(SBConnectForSynchro, &QPushButton::clicked, this, &TfmBrowser::SBConnectForSynchroClick);
    top->addWidget(SBConnectForSynchro);
    addAliasPair(top, page, "LSynchro2");
    top->addStretch();
    c->addLayout(top);

    auto* PCSynchronize = new QTabWidget(page);
    PCSynchronize->setObjectName("PCSynchronize");
    addPage(PCSynchronize, buildReadSynchroPage(), "TSReadSynchro", tr("Read from SYNCHRO"));
    addPage(PCSynchronize, buildCollisionPage(), "TSCollision", tr("Collision resolving"));
    addPage(PCSynchronize, buildCollisionDescriptionPage(), "TabSheet1", tr("Collision description"));
    c->addWidget(PCSynchronize, 1);
    return page;
}

QWidget* TfmBrowser::buildReadSynchroPage() {
    auto* page = new QWidget(this);
    auto* r = hbox(page);

    auto* process = new QFrame(page);
    process->setObjectName("PanelReadProcess");
    process->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* pc = vbox(process);
    auto* action = hbox();
    action->addWidget(makeLabel(process, tr("Action:")));
    auto* LSAction = makeLabel(process, "?", "LSAction");
    action->addWidget(LSAction, 1);
    pc->addLayout(action);
    pc->addWidget(makeLabel(process, tr("Tables")));
    pc->addWidget(addGrid("DBGReadProcess", dm_.QTableOrder, false, false, process), 1);
    r->addWidget(process, 1);

    auto* buttons = vbox();
    auto* SBInactiveTriggers = makeButton(page, "SBInactiveTriggers", tr("Make Triggers Inactive"));
    setBoldCaption(SBInactiveTriggers, kRed);
    auto* SBReadFromSynchro = makeButton(page, "SBReadFromSynchro", tr("Read from SYNCHRO"), tr("Read from SYNCHRO"));
    setBoldCaption(SBReadFromSynchro, kYellow);
    auto* SBActiveTriggers = makeButton(page, "SBActiveTriggers", tr("Make Triggers Active"));
    setBoldCaption(SBActiveTriggers, kGreen);
    // The application's own triggers made to skip the rows a read applies.
    auto* SBGuardTriggers = makeButton(page, "SBGuardTriggers", tr("Guard Own Triggers"),
                                       tr("Make your own triggers on the working tables skip the rows a read applies"));
    for (auto* b : {SBInactiveTriggers, SBReadFromSynchro, SBActiveTriggers, SBGuardTriggers}) {
        b->setEnabled(false);
        b->setMinimumHeight(30);
        buttons->addWidget(b);
    }
    connect(SBInactiveTriggers, &QPushButton::clicked, this, &TfmBrowser::SBInactiveTriggersClick);
    connect(SBReadFromSynchro, &QPushButton::clicked, this, &TfmBrowser::SBReadFromSynchroClick);
    connect(SBActiveTriggers, &QPushButton::clicked, this, &TfmBrowser::SBActiveTriggersClick);
    connect(SBGuardTriggers, &QPushButton::clicked, this, &TfmBrowser::SBGuardTriggersClick);
    buttons->addStretch();
    auto* PBTrigger = new QProgressBar(page);
    PBTrigger->setObjectName("PBTrigger");
    PBTrigger->setRange(0, 100);
    PBTrigger->setValue(0);
    PBTrigger->setVisible(false);
    buttons->addWidget(PBTrigger);
    r->addLayout(buttons, 1);
    return page;
}

QWidget* TfmBrowser::buildCollisionPage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    // Names the table where the read stopped and what settles it.
    auto* LCollisionTable = makeLabel(page, "", "LCollisionTable");
    LCollisionTable->setWordWrap(true);
    c->addWidget(LCollisionTable);
    auto* sides = hbox();

    auto* master = vbox();
    master->addWidget(makeLabel(page, tr("Master/Clone")));
    auto* DBNCollisionMaster = new DataNavigator(dm_.TMaster, *this, page);
    DBNCollisionMaster->setObjectName("DBNCollisionMaster");
    master->addWidget(DBNCollisionMaster);
    master->addWidget(addGrid("DBGCollisionMaster", dm_.TMaster, true, true, page), 1);
    sides->addLayout(master, 1);

    auto* synchro = vbox();
    synchro->addWidget(makeLabel(page, tr("Synchro")));
    auto* DBNCollisionSynchro = new DataNavigator(dm_.QSynchro6, *this, page);
    DBNCollisionSynchro->setObjectName("DBNCollisionSynchro");
    // The synchro file is another site's, read by other sites too: shown,
    // never edited. A decision is recorded here by the buttons below.
    for (DataNavigator::Button b : {DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit,
                                    DataNavigator::Post, DataNavigator::Cancel})
        DBNCollisionSynchro->button(b)->hide();
    synchro->addWidget(DBNCollisionSynchro);
    synchro->addWidget(addGrid("DBGCollisionSynchro", dm_.QSynchro6, true, false, page), 1);
    sides->addLayout(synchro, 1);
    c->addLayout(sides, 1);

    auto* SBCopyNaturalKey = makeButton(page, "SBCopyNaturalKey", tr("Copy current record from Synchro"),
                                        copyNaturalKeyHint());
    connect(SBCopyNaturalKey, &QPushButton::clicked, this, &TfmBrowser::SBCopyNaturalKeyClick);
    // Settles a read that stopped deleting: the sender's "D" entry goes.
    auto* SBDropDeleteEntry = makeButton(page, "SBDropDeleteEntry", tr("Drop the D entry"),
                                         tr("Keep the row here: reads pass over the selected \"D\" entry, and the row "
                                            "goes back to the other sites"));
    SBDropDeleteEntry->setEnabled(false);
    connect(SBDropDeleteEntry, &QPushButton::clicked, this, &TfmBrowser::SBDropDeleteEntryClick);
    auto* SBPassOverSynchroRow = makeButton(page, "SBPassOverSynchroRow", tr("Do not take the synchro row"),
                                            tr("Keep the local row of its key, or delete it everywhere if there is "
                                            "none here; the synchro database is not edited"));
    SBPassOverSynchroRow->setEnabled(false);
    connect(SBPassOverSynchroRow, &QPushButton::clicked, this, &TfmBrowser::SBPassOverSynchroRowClick);
    auto* bottom = hbox();
    bottom->addStretch();
    bottom->addWidget(SBDropDeleteEntry);
    bottom->addWidget(SBPassOverSynchroRow);
    bottom->addWidget(SBCopyNaturalKey);
    c->addLayout(bottom);
    return page;
}

QWidget* TfmBrowser::buildCollisionDescriptionPage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    auto* Memo2 = makeMemo(page, "Memo2", collisionDescription());
    // Fixed pitch asked for explicitly: the system's fixed font alone may
    // resolve to a proportional face where few fonts are installed.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    Memo2->setFont(fixed);
    c->addWidget(Memo2);
    return page;
}

}  // namespace quorvel::app

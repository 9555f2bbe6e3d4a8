// Building the main window: menu, top bar, pages and status bar, with the
// components' names, captions, hints and initial states.
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/DataGrid.h"
#include "app/DataNavigator.h"
#include "app/HintTexts.h"
#include "app/StatusFaces.h"
#include "app/WidgetKit.h"
#include "app/fBrowser.h"

namespace quorvel::app {

namespace {

const QColor kRed(Qt::red);
const QColor kBlue(Qt::blue);
const QColor kGreen(0, 128, 0);
const QColor kYellow(Qt::yellow);

QHBoxLayout* row(QWidget* owner = nullptr) {
    auto* r = owner ? new QHBoxLayout(owner) : new QHBoxLayout;
    r->setSpacing(6);
    return r;
}

QVBoxLayout* column(QWidget* owner = nullptr) {
    auto* c = owner ? new QVBoxLayout(owner) : new QVBoxLayout;
    c->setSpacing(4);
    return c;
}

QWidget* namedPage(QWidget* parent) { return new QWidget(parent); }

// Label "Alias:" followed by a bold value label showing "?".
void addAliasPair(QHBoxLayout* r, QWidget* parent, const char* valueName) {
    r->addWidget(makeLabel(parent, "Alias:"));
    auto* value = makeLabel(parent, "?", valueName);
    setBold(value);
    value->setMinimumWidth(120);
    r->addWidget(value);
}

}  // namespace

void TfmBrowser::addPage(QTabWidget* pages, QWidget* page, const char* name, const char* caption) {
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

void TfmBrowser::buildMenu() {
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    QAction* about = help->addAction("&About...");
    about->setObjectName("About1");
    connect(about, &QAction::triggered, this, &TfmBrowser::About1Click);
}

QWidget* TfmBrowser::buildTopBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName("PanelTop");
    bar->setFixedHeight(kFaceAreaSize);
    auto* r = row(bar);
    r->setContentsMargins(0, 0, 6, 0);

    // Four faces stacked at one place; the status shows exactly one.
    auto* faces = new QWidget(bar);
    faces->setFixedSize(kFaceAreaSize, kFaceAreaSize);
    const struct { StatusFace face; const char* hint; } faceHints[] = {
        {StatusFace::Ooh, "Status"},
        {StatusFace::Sad, "Status: Error "},
        {StatusFace::Shades, "Status: OK"},
        {StatusFace::Indif, "Status: No events"},
    };
    for (const auto& f : faceHints) {
        auto* img = new QLabel(faces);
        img->setObjectName(StatusState::faceName(f.face));
        img->setPixmap(paintStatusFace(f.face));
        img->setGeometry(0, 0, kFaceAreaSize, kFaceAreaSize);
        img->setToolTip(f.hint);
        img->setVisible(f.face == StatusFace::Indif);
    }
    r->addWidget(faces);

    auto* SBConnect = makeButton(bar, "SBConnect", "Connect to Master/Clone", "Connect", connectGlyph());
    connect(SBConnect, &QPushButton::clicked, this, &TfmBrowser::SBConnectClick);
    r->addWidget(SBConnect);
    r->addSpacing(12);
    r->addWidget(makeLabel(bar, "Alias:", "Label3"));
    auto* LAlias = makeLabel(bar, "?", "LAlias");
    setBold(LAlias);
    LAlias->setMinimumWidth(110);
    r->addWidget(LAlias);
    r->addSpacing(12);
    r->addWidget(makeLabel(bar, "Master/Clone:", "Label20"));
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
    bar->setFixedHeight(19);
    const int widths[2] = {150, 500};
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QString("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFixedWidth(widths[i]);
        bar->addWidget(panel);
        statusPanels_[i] = panel;
    }
    statusPanels_[1]->setText("  ");
}

// Replication overview --------------------------------------------------------

QWidget* TfmBrowser::buildHelpPage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    c->addWidget(makeLabel(page, "Read it carefully!"));
    auto* MHelp = makeMemo(page, "MHelp", helpOverviewText());
    MHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c->addWidget(MHelp, 1);
    return page;
}

// Prepare for cloning -----------------------------------------------------------

QWidget* TfmBrowser::buildPreparePage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    c->setContentsMargins(2, 2, 2, 2);
    auto* PCPrepare = new QTabWidget(page);
    PCPrepare->setObjectName("PCPrepare");
    addPage(PCPrepare, buildPrepareMetaPage(), "TSPrepareMeta", "Add meta structures to Master DB");
    addPage(PCPrepare, buildPickGensPage(), "TSPickGens", "Generator selection");
    addPage(PCPrepare, buildTableSelectionPage(), "TSTableSelection", "Table selection");
    addPage(PCPrepare, buildCreateSynchroPage(), "TSCreateSynchro", "Create Synchro DB");
    c->addWidget(PCPrepare);
    return page;
}

QWidget* TfmBrowser::buildPrepareMetaPage() {
    auto* page = namedPage(this);
    auto* c = column(page);

    auto* upper = new QGridLayout;
    upper->setHorizontalSpacing(8);
    auto* SBCreateMeta = makeButton(page, "SBCreateMeta", "Create add. structures", "Create add. structures");
    auto* SBEraseMeta = makeButton(page, "SBEraseMeta", "Erase add. structures", "Erase add. structures");
    connect(SBCreateMeta, &QPushButton::clicked, this, &TfmBrowser::SBCreateMetaClick);
    connect(SBEraseMeta, &QPushButton::clicked, this, &TfmBrowser::SBEraseMetaClick);
    upper->addWidget(SBCreateMeta, 0, 0);
    upper->addWidget(SBEraseMeta, 1, 0);

    auto* LPrepare = makeLabel(page, "Status", "LPrepare");
    setBold(LPrepare);
    upper->addWidget(LPrepare, 0, 1, 1, 4);
    auto* LAction = makeLabel(page, "Action", "LAction");
    LAction->setVisible(false);
    upper->addWidget(LAction, 1, 1, 1, 2);
    auto* PBar = new QProgressBar(page);
    PBar->setObjectName("PBar");
    PBar->setRange(0, 11);
    PBar->setValue(0);
    PBar->setVisible(false);
    upper->addWidget(PBar, 1, 3, 1, 2);

    upper->addWidget(makeLabel(page, "MaxValue1"), 2, 1);
    auto* EditMaxValue1 = new QLineEdit("0", page);
    EditMaxValue1->setObjectName("EditMaxValue1");
    upper->addWidget(EditMaxValue1, 2, 2);
    upper->addWidget(makeLabel(page, "MaxValue2"), 2, 3);
    auto* EditMaxValue2 = new QLineEdit("2000000000", page);
    EditMaxValue2->setObjectName("EditMaxValue2");
    upper->addWidget(EditMaxValue2, 2, 4);
    upper->setColumnStretch(2, 1);
    upper->setColumnStretch(4, 1);
    c->addLayout(upper);

    c->addWidget(makeMemo(page, "MPrepare", prepareHintText()), 1);
    return page;
}

QWidget* TfmBrowser::buildPickGensPage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    auto* lists = row();

    auto* left = column();
    left->addWidget(makeLabel(page, "All generators"));
    left->addWidget(addGrid("DBGGens", dm_.QGenerator, true, false, page));
    lists->addLayout(left, 1);

    auto* middle = column();
    middle->addStretch();
    auto* SBAddGen = makeButton(page, "SBAddGen", ">", "Add generator to list");
    auto* SBRemoveGen = makeButton(page, "SBRemoveGen", "<", "Remove generator from list");
    for (auto* b : {SBAddGen, SBRemoveGen}) {
        b->setFixedWidth(36);
        middle->addWidget(b);
    }
    middle->addStretch();
    connect(SBAddGen, &QPushButton::clicked, this, &TfmBrowser::SBAddGenClick);
    connect(SBRemoveGen, &QPushButton::clicked, this, &TfmBrowser::SBRemoveGenClick);
    lists->addLayout(middle);

    auto* right = column();
    right->addWidget(makeLabel(page, "Used for PK generation"));
    right->addWidget(addGrid("DBGCloneGens", dm_.QPKGens, true, false, page));
    lists->addLayout(right, 1);
    c->addLayout(lists, 1);

    auto* Memo1 = makeMemo(page, "Memo1", generatorHintText());
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 2 + 14);
    c->addWidget(Memo1);
    return page;
}

QWidget* TfmBrowser::buildTableSelectionPage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    auto* lists = row();

    auto* left = column();
    left->addWidget(makeLabel(page, "Tables"));
    left->addWidget(addGrid("DBGTables", dm_.QTables, true, false, page));
    lists->addLayout(left, 1);

    auto* middle = column();
    middle->addStretch();
    auto* SBAddAltttables = makeButton(page, "SBAddAltttables", ">>", "Select all");
    auto* SBAddTable = makeButton(page, "SBAddTable", ">", "Add table to list");
    auto* SBRemoveTable = makeButton(page, "SBRemoveTable", "<", "Remove table from list");
    auto* SBRemoveAllTables = makeButton(page, "SBRemoveAllTables", "<<", "Remove All");
    for (auto* b : {SBAddAltttables, SBAddTable, SBRemoveTable, SBRemoveAllTables}) {
        b->setFixedWidth(36);
        middle->addWidget(b);
    }
    middle->addStretch();
    connect(SBAddAltttables, &QPushButton::clicked, this, &TfmBrowser::SBAddAltttablesClick);
    connect(SBAddTable, &QPushButton::clicked, this, &TfmBrowser::SBAddTableClick);
    connect(SBRemoveTable, &QPushButton::clicked, this, &TfmBrowser::SBRemoveTableClick);
    connect(SBRemoveAllTables, &QPushButton::clicked, this, &TfmBrowser::SBRemoveAllTablesClick);
    lists->addLayout(middle);

    auto* right = column();
    right->addWidget(makeLabel(page, "Tables for replication"));
    right->addWidget(addGrid("DBGWorkingTables", dm_.QWorkingTables, true, false, page));
    lists->addLayout(right, 1);
    c->addLayout(lists, 1);

    auto* bottom = row();
    auto* Memo3 = makeMemo(page, "Memo3", tableHintText());
    Memo3->setFixedHeight(Memo3->fontMetrics().lineSpacing() * 3 + 14);
    bottom->addWidget(Memo3, 1);
    auto* SBCreateTriggers = makeButton(page, "SBCreateTriggers", "Recreate triggers");
    setBoldCaption(SBCreateTriggers, kRed);
    connect(SBCreateTriggers, &QPushButton::clicked, this, &TfmBrowser::SBCreateTriggersClick);
    bottom->addWidget(SBCreateTriggers, 0, Qt::AlignVCenter);
    c->addLayout(bottom);
    return page;
}

QWidget* TfmBrowser::buildCreateSynchroPage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    auto* strip = row();
    auto fileEdit = [page](const char* name) {
        // Looks like a caption: no frame, the button face's colour, no tab stop.
        auto* e = new QLineEdit("?", page);
        e->setObjectName(name);
        e->setReadOnly(true);
        e->setFrame(false);
        e->setFocusPolicy(Qt::NoFocus);
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Button));
        e->setPalette(pal);
        return e;
    };
    auto* SBReadddl = makeGlyphButton(page, "SBReadddl", style()->standardIcon(QStyle::SP_DialogOpenButton),
                                      "Read Master ddl");
    auto* SBConvertddl = makeGlyphButton(page, "SBConvertddl",
                                         style()->standardIcon(QStyle::SP_DialogSaveButton),
                                         "Convert to SYNCHRO ddl");
    connect(SBReadddl, &QToolButton::clicked, this, &TfmBrowser::SBReadddlClick);
    connect(SBConvertddl, &QToolButton::clicked, this, &TfmBrowser::SBConvertddlClick);
    strip->addWidget(SBReadddl);
    strip->addWidget(fileEdit("EditSource"), 1);
    strip->addWidget(SBConvertddl);
    strip->addWidget(fileEdit("EditTarget"), 1);
    c->addLayout(strip);

    auto* MCreateClone = makeMemo(page, "MCreateClone", QString());
    MCreateClone->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c->addWidget(MCreateClone, 1);
    return page;
}

// Cloning ----------------------------------------------------------------------------

QWidget* TfmBrowser::buildClonePage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    auto* top = row();
    auto* SBNewClone = makeGlyphButton(page, "SBNewClone", drumGlyph(true),
                                       "New clone");
    auto* SBDelClone = makeGlyphButton(page, "SBDelClone", drumGlyph(false),
                                       "Delete clone");
    auto* SBConnectToClone = makeButton(page, "SBConnectToClone", "Connect to Clone", "Connect to CLONE",
                                        connectGlyph());
    auto* SBUpdateCloneGens = makeButton(page, "SBUpdateCloneGens", "Update CLONE's data",
                                         "Update clone's generators");
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

    c->addWidget(makeLabel(page, "Clones"));
    c->addWidget(addGrid("DBGClone", dm_.QClone, true, false, page), 1);
    auto* MClone = makeMemo(page, "MClone", cloneHintText());
    MClone->setFixedHeight(MClone->fontMetrics().lineSpacing() * 8 + 14);
    c->addWidget(MClone);
    return page;
}

// Fill SYNCHRO -------------------------------------------------------------------------

QWidget* TfmBrowser::buildFillSynchroPage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    auto* top = row();
    auto* SBConnectToSynchro = makeButton(page, "SBConnectToSynchro", "Connect to Out Synchro",
                                          "Connect to synchro", connectGlyph());
    connect(SBConnectToSynchro, &QPushButton::clicked, this, &TfmBrowser::SBConnectToSynchroClick);
    top->addWidget(SBConnectToSynchro);
    addAliasPair(top, page, "LSynchro1");
    top->addStretch();
    c->addLayout(top);

    auto* body = row();
    auto* history = column();
    history->addWidget(makeLabel(page, "Synchronization history"));
    history->addWidget(addGrid("DBGSynchroHistory", dm_.QSynchro, true, false, page), 1);
    auto* buttons = row();
    auto* SBDelSynchro = makeGlyphButton(page, "SBDelSynchro", drumGlyph(false),
                                         "Delete synchro gdb");
    auto* SBFillSynchro = makeButton(page, "SBFillSynchro", "Fill SYNCHRO gdb", "Fill SYNCHRO gdb");
    setBoldCaption(SBFillSynchro, kBlue);
    SBFillSynchro->setEnabled(false);
    auto* SBSuccess = makeButton(page, "SBSuccess", "Success");
    setBoldCaption(SBSuccess, kGreen);
    SBSuccess->setEnabled(false);
    connect(SBDelSynchro, &QToolButton::clicked, this, &TfmBrowser::SBDelSynchroClick);
    connect(SBFillSynchro, &QPushButton::clicked, this, &TfmBrowser::SBFillSynchroClick);
    connect(SBSuccess, &QPushButton::clicked, this, &TfmBrowser::SBSuccessClick);
    buttons->addWidget(SBDelSynchro);
    buttons->addStretch();
    buttons->addWidget(SBFillSynchro);
    buttons->addWidget(SBSuccess);
    history->addLayout(buttons);
    body->addLayout(history, 3);

    auto* process = new QFrame(page);
    process->setObjectName("PanelFillProcess");
    process->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* pc = column(process);
    auto* action = row();
    action->addWidget(makeLabel(process, "Action:"));
    auto* LFillAction = makeLabel(process, "?", "LFillAction");
    setBold(LFillAction);
    action->addWidget(LFillAction, 1);
    pc->addLayout(action);
    pc->addWidget(makeLabel(process, "Tables"));
    pc->addWidget(addGrid("DBGFillProcess", dm_.QTableOrder, false, false, process), 1);
    body->addWidget(process, 2);
    c->addLayout(body, 1);
    return page;
}

// Synchronize ------------------------------------------------------------------------------

QWidget* TfmBrowser::buildSynchronizePage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    auto* top = row();
    auto* SBConnectForSynchro = makeButton(page, "SBConnectForSynchro", "Connect to In Synchro",
                                           "Connect to synchro", connectGlyph());
    connect(SBConnectForSynchro, &QPushButton::clicked, this, &TfmBrowser::SBConnectForSynchroClick);
    top->addWidget(SBConnectForSynchro);
    addAliasPair(top, page, "LSynchro2");
    top->addStretch();
    c->addLayout(top);

    auto* PCSynchronize = new QTabWidget(page);
    PCSynchronize->setObjectName("PCSynchronize");
    addPage(PCSynchronize, buildReadSynchroPage(), "TSReadSynchro", "Read from SYNCHRO");
    addPage(PCSynchronize, buildCollisionPage(), "TSCollision", "Collision resolving");
    addPage(PCSynchronize, buildCollisionDescriptionPage(), "TabSheet1", "Collision description");
    c->addWidget(PCSynchronize, 1);
    return page;
}

QWidget* TfmBrowser::buildReadSynchroPage() {
    auto* page = namedPage(this);
    auto* r = row(page);

    auto* process = new QFrame(page);
    process->setObjectName("PanelReadProcess");
    process->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* pc = column(process);
    auto* action = row();
    action->addWidget(makeLabel(process, "Action:"));
    auto* LSAction = makeLabel(process, "?", "LSAction");
    setBold(LSAction);
    action->addWidget(LSAction, 1);
    pc->addLayout(action);
    pc->addWidget(makeLabel(process, "Tables"));
    pc->addWidget(addGrid("DBGReadProcess", dm_.QTableOrder, false, false, process), 1);
    r->addWidget(process, 1);

    auto* buttons = column();
    auto* SBInactiveTriggers = makeButton(page, "SBInactiveTriggers", "Make Triggers Inactive");
    setBoldCaption(SBInactiveTriggers, kRed);
    auto* SBReadFromSynchro = makeButton(page, "SBReadFromSynchro", "Read from SYNCHRO", "Read from SYNCHRO");
    setBoldCaption(SBReadFromSynchro, kYellow);
    auto* SBActiveTriggers = makeButton(page, "SBActiveTriggers", "Make Triggers Active");
    setBoldCaption(SBActiveTriggers, kGreen);
    for (auto* b : {SBInactiveTriggers, SBReadFromSynchro, SBActiveTriggers}) {
        b->setEnabled(false);
        b->setMinimumHeight(30);
        buttons->addWidget(b);
    }
    connect(SBInactiveTriggers, &QPushButton::clicked, this, &TfmBrowser::SBInactiveTriggersClick);
    connect(SBReadFromSynchro, &QPushButton::clicked, this, &TfmBrowser::SBReadFromSynchroClick);
    connect(SBActiveTriggers, &QPushButton::clicked, this, &TfmBrowser::SBActiveTriggersClick);
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
    auto* page = namedPage(this);
    auto* c = column(page);
    auto* sides = row();

    auto* master = column();
    master->addWidget(makeLabel(page, "Master/Clone"));
    auto* DBNCollisionMaster = new DataNavigator(dm_.TMaster, *this, page);
    DBNCollisionMaster->setObjectName("DBNCollisionMaster");
    master->addWidget(DBNCollisionMaster);
    master->addWidget(addGrid("DBGCollisionMaster", dm_.TMaster, true, true, page), 1);
    sides->addLayout(master, 1);

    auto* synchro = column();
    synchro->addWidget(makeLabel(page, "Synchro"));
    auto* DBNCollisionSynchro = new DataNavigator(dm_.QSynchro6, *this, page);
    DBNCollisionSynchro->setObjectName("DBNCollisionSynchro");
    synchro->addWidget(DBNCollisionSynchro);
    synchro->addWidget(addGrid("DBGCollisionSynchro", dm_.QSynchro6, true, true, page), 1);
    sides->addLayout(synchro, 1);
    c->addLayout(sides, 1);

    auto* SBCopyNaturalKey = makeButton(page, "SBCopyNaturalKey", "Copy current record from Synchro",
                                        copyNaturalKeyHint());
    connect(SBCopyNaturalKey, &QPushButton::clicked, this, &TfmBrowser::SBCopyNaturalKeyClick);
    auto* bottom = row();
    bottom->addStretch();
    bottom->addWidget(SBCopyNaturalKey);
    c->addLayout(bottom);
    return page;
}

QWidget* TfmBrowser::buildCollisionDescriptionPage() {
    auto* page = namedPage(this);
    auto* c = column(page);
    auto* Memo2 = makeMemo(page, "Memo2", collisionDescription());
    Memo2->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    c->addWidget(Memo2);
    return page;
}

}  // namespace quorvel::app

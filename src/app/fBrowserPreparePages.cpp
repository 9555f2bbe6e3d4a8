// The page "Prepare for cloning" and its four inner pages, with the
// components' names, captions, hints and initial states.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/DataGrid.h"
#include "app/HintTexts.h"
#include "app/WidgetKit.h"
#include "app/fBrowser.h"

namespace quorvel::app {

namespace {

const QColor kRed(Qt::red);

}  // namespace

// Prepare for cloning -----------------------------------------------------------

QWidget* TfmBrowser::buildPreparePage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    c->setContentsMargins(2, 2, 2, 2);
    auto* PCPrepare = new QTabWidget(page);
    PCPrepare->setObjectName("PCPrepare");
    addPage(PCPrepare, buildPrepareMetaPage(), "TSPrepareMeta", tr("Add meta structures to Master DB"));
    addPage(PCPrepare, buildPickGensPage(), "TSPickGens", tr("Generator selection"));
    addPage(PCPrepare, buildTableSelectionPage(), "TSTableSelection", tr("Table selection"));
    addPage(PCPrepare, buildCreateSynchroPage(), "TSCreateSynchro", tr("Create Synchro DB"));
    c->addWidget(PCPrepare);
    return page;
}

QWidget* TfmBrowser::buildPrepareMetaPage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);

    auto* upper = new QGridLayout;
    upper->setHorizontalSpacing(8);
    auto* SBCreateMeta = makeButton(page, "SBCreateMeta", tr("Create add. structures"), tr("Create add. structures"));
    auto* SBEraseMeta = makeButton(page, "SBEraseMeta", tr("Erase add. structures"), tr("Erase add. structures"));
    connect(SBCreateMeta, &QPushButton::clicked, this, &TfmBrowser::SBCreateMetaClick);
    connect(SBEraseMeta, &QPushButton::clicked, this, &TfmBrowser::SBEraseMetaClick);
    upper->addWidget(SBCreateMeta, 0, 0);
    upper->addWidget(SBEraseMeta, 1, 0);

    auto* LPrepare = makeLabel(page, tr("Status"), "LPrepare");
    upper->addWidget(LPrepare, 0, 1, 1, 4);
    auto* LAction = makeLabel(page, tr("Action"), "LAction");
    LAction->setVisible(false);
    upper->addWidget(LAction, 1, 1, 1, 2);
    auto* PBar = new QProgressBar(page);
    PBar->setObjectName("PBar");
    PBar->setRange(0, 11);
    PBar->setValue(0);
    PBar->setVisible(false);
    upper->addWidget(PBar, 1, 3, 1, 2);

    upper->addWidget(makeLabel(page, tr("MaxValue1")), 2, 1);
    auto* EditMaxValue1 = new QLineEdit("0", page);
    EditMaxValue1->setObjectName("EditMaxValue1");
    upper->addWidget(EditMaxValue1, 2, 2);
    upper->addWidget(makeLabel(page, tr("MaxValue2")), 2, 3);
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
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    auto* lists = hbox();

    auto* left = vbox();
    left->addWidget(makeLabel(page, tr("All generators")));
    left->addWidget(addGrid("DBGGens", dm_.QGenerator, true, false, page));
    lists->addLayout(left, 1);

    auto* middle = vbox();
    middle->addStretch();
    auto* SBAddGen = makeButton(page, "SBAddGen", ">", tr("Add generator to list"));
    auto* SBRemoveGen = makeButton(page, "SBRemoveGen", "<", tr("Remove generator from list"));
    for (auto* b : {SBAddGen, SBRemoveGen}) {
        b->setFixedWidth(36);
        middle->addWidget(b);
    }
    middle->addStretch();
    connect(SBAddGen, &QPushButton::clicked, this, &TfmBrowser::SBAddGenClick);
    connect(SBRemoveGen, &QPushButton::clicked, this, &TfmBrowser::SBRemoveGenClick);
    lists->addLayout(middle);

    auto* right = vbox();
    right->addWidget(makeLabel(page, tr("Used for PK generation")));
    right->addWidget(addGrid("DBGCloneGens", dm_.QPKGens, true, false, page));
    lists->addLayout(right, 1);
    c->addLayout(lists, 1);

    auto* Memo1 = makeMemo(page, "Memo1", generatorHintText());
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 2 + 14);
    c->addWidget(Memo1);
    return page;
}

QWidget* TfmBrowser::buildTableSelectionPage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    auto* lists = hbox();

    auto* left = vbox();
    left->addWidget(makeLabel(page, tr("Tables")));
    left->addWidget(addGrid("DBGTables", dm_.QTables, true, false, page));
    lists->addLayout(left, 1);

    auto* middle = vbox();
    middle->addStretch();
    auto* SBAddAltttables = makeButton(page, "SBAddAltttables", ">>", tr("Select all"));
    auto* SBAddTable = makeButton(page, "SBAddTable", ">", tr("Add table to list"));
    auto* SBRemoveTable = makeButton(page, "SBRemoveTable", "<", tr("Remove table from list"));
    auto* SBRemoveAllTables = makeButton(page, "SBRemoveAllTables", "<<", tr("Remove All"));
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

    auto* right = vbox();
    right->addWidget(makeLabel(page, tr("Tables for replication")));
    right->addWidget(addGrid("DBGWorkingTables", dm_.QWorkingTables, true, false, page));
    lists->addLayout(right, 1);
    c->addLayout(lists, 1);

    auto* bottom = hbox();
    auto* Memo3 = makeMemo(page, "Memo3", tableHintText());
    Memo3->setFixedHeight(Memo3->fontMetrics().lineSpacing() * 3 + 14);
    bottom->addWidget(Memo3, 1);
    auto* SBCreateTriggers = makeButton(page, "SBCreateTriggers", tr("Recreate triggers"));
    setBoldCaption(SBCreateTriggers, kRed);
    connect(SBCreateTriggers, &QPushButton::clicked, this, &TfmBrowser::SBCreateTriggersClick);
    bottom->addWidget(SBCreateTriggers, 0, Qt::AlignVCenter);
    c->addLayout(bottom);
    return page;
}

QWidget* TfmBrowser::buildCreateSynchroPage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    auto* strip = hbox();
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
                                      tr("Read Master ddl"));
    auto* SBConvertddl = makeGlyphButton(page, "SBConvertddl",
                                         style()->standardIcon(QStyle::SP_DialogSaveButton),
                                         tr("Convert to SYNCHRO ddl"));
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

}  // namespace quorvel::app

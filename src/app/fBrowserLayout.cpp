// Building the main window: menu, top bar, status bar, the overview page,
// and the bookkeeping of pages and grids that the named controls rely on.
#include <QFrame>
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
    auto* r = hbox(bar);
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
    cancel_ = new CancelButton(this);
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
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    c->addWidget(makeLabel(page, "Read it carefully!"));
    auto* MHelp = makeMemo(page, "MHelp", helpOverviewText());
    MHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c->addWidget(MHelp, 1);
    return page;
}

}  // namespace quorvel::app

// The page "Exchange log": what was exchanged here when, by whom, and how it
// ended, newest first, as `quorvel-cli log` lists it.
#include <QLabel>
#include <QVBoxLayout>

#include "app/DataGrid.h"
#include "app/WidgetKit.h"
#include "app/fBrowser.h"

namespace quorvel::app {

QWidget* TfmBrowser::buildLogPage() {
    auto* page = new QWidget(this);
    auto* c = vbox(page);
    c->addWidget(makeLabel(page, tr("Every fill, read, success, history deletion, settling and trigger switch made "
                                    "here, newest first")));
    c->addWidget(addGrid("DBGLog", dm_.QLog, true, false, page), 1);
    return page;
}

}  // namespace quorvel::app

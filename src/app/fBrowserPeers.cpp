// The list of sites on the page "Fill SYNCHRO": who has read what, as the
// local database records it. Read afresh after every step that changes it
// (connecting, a fill, a read, "Success", a clone registered or deleted).
#include <QTableWidget>

#include <exception>

#include "app/fBrowser.h"
#include "db/PeerTable.h"

namespace quorvel::app {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void TfmBrowser::showPeers() {
    auto* grid = findChild<QTableWidget*>("GPeers");
    if (!grid) return;
    grid->setRowCount(0);
    if (!dm_.UserDB().connected()) {
        setText(ctl::LPeers, tr("Sites").toStdString());
        return;
    }
    try {
        const PeerTable table = ReadPeerTable(dm_.UserDB());
        if (!table.recorded) {
            setText(ctl::LPeers, tr("Sites: not yet recorded").toStdString());
            return;
        }
        setText(ctl::LPeers, tr("Sites (this site's last fill: %1)")
                                 .arg(table.lastFill ? QString::number(table.lastFill) : tr("none"))
                                 .toStdString());
        grid->setRowCount(static_cast<int>(table.peers.size()));
        for (int row = 0; row < grid->rowCount(); ++row) {
            const std::vector<std::string> line = peerLine(table.peers[static_cast<size_t>(row)]);
            for (int column = 0; column < static_cast<int>(line.size()); ++column)
                grid->setItem(row, column, new QTableWidgetItem(qs(line[static_cast<size_t>(column)])));
        }
        grid->resizeColumnsToContents();
    } catch (const std::exception& e) {
        // A database half prepared: the list says so, the window goes on.
        setText(ctl::LPeers, tr("Sites: unknown (%1)").arg(QString::fromStdString(e.what())).toStdString());
    }
}

}  // namespace quorvel::app

#include "app/DataNavigator.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <exception>

#include "engine/Database.h"

namespace quorvel::app {

using engine::DataSetState;

namespace {

constexpr int kGlyph = 14;

QPolygonF triangle(bool right, qreal x, qreal top, qreal bottom) {
    const qreal mid = (top + bottom) / 2, w = (bottom - top) / 2 + 1;
    if (right) return QPolygonF({QPointF(x, top), QPointF(x + w, mid), QPointF(x, bottom)});
    return QPolygonF({QPointF(x + w, top), QPointF(x, mid), QPointF(x + w, bottom)});
}

// Small glyphs drawn here so the bar looks the same under every style.
QIcon glyph(DataNavigator::Button b) {
    QPixmap pix(kGlyph, kGlyph);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0, 0, 128);
    p.setPen(QPen(ink, 1.5));
    p.setBrush(ink);
    switch (b) {
        case DataNavigator::First:
            p.drawLine(QPointF(3, 3), QPointF(3, 11));
            p.drawPolygon(triangle(false, 5, 3, 11));
            break;
        case DataNavigator::Prior: p.drawPolygon(triangle(false, 4.5, 3, 11)); break;
        case DataNavigator::Next: p.drawPolygon(triangle(true, 5, 3, 11)); break;
        case DataNavigator::Last:
            p.drawPolygon(triangle(true, 4, 3, 11));
            p.drawLine(QPointF(11, 3), QPointF(11, 11));
            break;
        case DataNavigator::Insert:
            p.setPen(QPen(ink, 2));
            p.drawLine(QPointF(7, 2.5), QPointF(7, 11.5));
            p.drawLine(QPointF(2.5, 7), QPointF(11.5, 7));
            break;
        case DataNavigator::Delete:
            p.setPen(QPen(ink, 2));
            p.drawLine(QPointF(2.5, 7), QPointF(11.5, 7));
            break;
        case DataNavigator::Edit:
            p.drawPolygon(QPolygonF({QPointF(2.5, 10.5), QPointF(7, 3.5), QPointF(11.5, 10.5)}));
            break;
        case DataNavigator::Post: {
            p.setPen(QPen(QColor(0, 128, 0), 2));
            p.setBrush(Qt::NoBrush);
            QPainterPath tick;
            tick.moveTo(2.5, 7.5);
            tick.lineTo(5.5, 10.5);
            tick.lineTo(11.5, 3.5);
            p.drawPath(tick);
            break;
        }
        case DataNavigator::Cancel:
            p.setPen(QPen(QColor(176, 0, 0), 2));
            p.drawLine(QPointF(3, 3), QPointF(11, 11));
            p.drawLine(QPointF(11, 3), QPointF(3, 11));
            break;
        case DataNavigator::Refresh: {
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(2.5, 2.5, 9, 9), 60 * 16, 280 * 16);
            p.setBrush(ink);
            p.setPen(Qt::NoPen);
            p.drawPolygon(QPolygonF({QPointF(8, 1), QPointF(12, 3.5), QPointF(8, 6)}));
            break;
        }
        case DataNavigator::Count: break;
    }
    return QIcon(pix);
}

const char* hint(DataNavigator::Button b) {
    static const char* hints[] = {
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "First record"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Prior record"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Next record"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Last record"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Insert record"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Delete record"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Edit record"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Post edit"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Cancel edit"),
        QT_TRANSLATE_NOOP("quorvel::app::DataNavigator", "Refresh data"),
    };
    return hints[b];
}

}  // namespace

DataNavigator::DataNavigator(engine::DataSet& dataSet, Frontend& ui, QWidget* parent)
    : QWidget(parent), ds_(dataSet), ui_(ui) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < Count; ++i) {
        auto b = static_cast<Button>(i);
        auto* tb = new QToolButton(this);
        tb->setIcon(glyph(b));
        tb->setToolTip(tr(hint(b)));
        tb->setAutoRaise(false);
        tb->setFixedSize(22, 20);
        tb->setFocusPolicy(Qt::NoFocus);
        connect(tb, &QToolButton::clicked, this, [this, b] { press(b); });
        row->addWidget(tb);
        buttons_[i] = tb;
    }
    row->addStretch();
    ds_.addListener(this);
    updateButtons();
}

DataNavigator::~DataNavigator() { ds_.removeListener(this); }

void DataNavigator::updateButtons() {
    const bool active = ds_.active();
    const auto state = active ? ds_.state() : DataSetState::Inactive;
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    const bool browse = state == DataSetState::Browse;
    const bool modify = active && ds_.canModify();
    const bool rows = active && !ds_.isEmpty();
    for (Button b : {First, Prior, Next, Last}) buttons_[b]->setEnabled(active);
    buttons_[Insert]->setEnabled(modify && browse);
    buttons_[Delete]->setEnabled(modify && browse && rows);
    buttons_[Edit]->setEnabled(modify && browse && rows);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
    buttons_[Refresh]->setEnabled(active && !editing);
}

std::string DataNavigator::rowText() const {
    // The current row as the question names it: its first few columns,
    // the tool's own and BLOBs left out, long values cut.
    std::string text;
    int shown = 0;
    for (int i = 0; i < ds_.fieldCount() && shown < 4; ++i) {
        const engine::Field& f = ds_.field(i);
        if (f.isBlob() || f.name().starts_with("R$")) continue;
        std::string value = f.isNull() ? "null" : f.asString();
        if (value.size() > 30) value = value.substr(0, 30) + "...";
        text += (text.empty() ? "" : ", ") + f.name() + " = " + value;
        ++shown;
    }
    return "(" + text + ")";
}

void DataNavigator::press(Button b) {
    try {
        act(b);
    } catch (const std::exception& e) {
        ui_.showMessage(e.what());
    }
    updateButtons();
}

void DataNavigator::act(Button b) {
    if (!ds_.active()) return;
    const bool editing = ds_.state() == DataSetState::Edit || ds_.state() == DataSetState::Insert;
    // Moving off a record being edited posts it, as in the grid.
    if (editing && b <= Last) ds_.post();
    switch (b) {
        case First: ds_.first(); break;
        case Prior: ds_.prior(); break;
        case Next: ds_.next(); break;
        case Last: ds_.last(); break;
        case Insert: ds_.append(); break;
        case Delete:
            if (ui_.confirm(tr("Delete the row %1 from the %2?\n\nDelete record?")
                                .arg(QString::fromStdString(rowText()),
                                     QString::fromStdString(ds_.database().displayName()))
                                .toStdString())) {
                ds_.remove();
                // Settling a collision by hand: say that it worked, and drop
                // the failed read's "Error!".
                ui_.setOK();
                ui_.showMessage(tr("The record was deleted from the %1.")
                                    .arg(QString::fromStdString(ds_.database().displayName()))
                                    .toStdString());
            }
            break;
        case Edit: ds_.edit(); break;
        case Post: ds_.post(); break;
        case Cancel: ds_.cancel(); break;
        case Refresh: {
            const int row = ds_.currentRow();
            ds_.close();
            ds_.open();
            if (row > 0) ds_.moveTo(row);
            break;
        }
        case Count: break;
    }
}

}  // namespace quorvel::app


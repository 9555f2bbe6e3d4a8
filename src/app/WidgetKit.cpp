#include "app/WidgetKit.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace quorvel::app {

OkCancel layOutFormDialog(QDialog* dialog, QFormLayout* form) {
    QStyle* style = dialog->style();
    auto* ok = new QPushButton(style->standardIcon(QStyle::SP_DialogOkButton),
                               QCoreApplication::translate("WidgetKit", "OK"), dialog);
    ok->setObjectName("BitBtn1");
    ok->setDefault(true);
    auto* cancel = new QPushButton(style->standardIcon(QStyle::SP_DialogCancelButton),
                                   QCoreApplication::translate("WidgetKit", "Cancel"), dialog);
    cancel->setObjectName("BitBtn2");
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* all = new QVBoxLayout(dialog);
    all->addLayout(form);
    all->addStretch();
    all->addLayout(buttons);
    return {ok, cancel};
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, const QIcon& glyph) {
    auto* b = new QPushButton(glyph, caption, parent);
    b->setObjectName(name);
    if (!hint.isEmpty()) b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QToolButton* makeGlyphButton(QWidget* parent, const char* name, const QIcon& glyph,
                             const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(glyph);
    b->setIconSize(QSize(20, 20));
    b->setToolTip(hint);
    b->setFixedSize(30, 28);
    return b;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const char* name) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(name);
    return l;
}

QPlainTextEdit* makeMemo(QWidget* parent, const char* name, const QString& text) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setPlainText(text);
    return m;
}

QHBoxLayout* hbox(QWidget* owner) {
    auto* r = owner ? new QHBoxLayout(owner) : new QHBoxLayout;
    r->setSpacing(6);
    return r;
}

QVBoxLayout* vbox(QWidget* owner) {
    auto* c = owner ? new QVBoxLayout(owner) : new QVBoxLayout;
    c->setSpacing(4);
    return c;
}

void addAliasPair(QHBoxLayout* row, QWidget* parent, const char* valueName) {
    row->addWidget(makeLabel(parent, QCoreApplication::translate("WidgetKit", "Alias:")));
    auto* value = makeLabel(parent, "?", valueName);
    setBold(value);
    value->setMinimumWidth(120);
    row->addWidget(value);
}

void setBold(QWidget* w) {
    QFont f = w->font();
    f.setBold(true);
    w->setFont(f);
}

void setBoldCaption(QWidget* w, const QColor& colour) {
    setBold(w);
    if (!colour.isValid()) return;
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::ButtonText, colour);
        pal.setColor(group, QPalette::WindowText, colour);
    }
    w->setPalette(pal);
}

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QString("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return out.join(";;");
}

namespace {

// A database drum, the picture the glyphs share.
void drawDrum(QPainter& p, qreal x, qreal y, qreal w, qreal h) {
    const qreal lid = w / 2.2;
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(255, 210, 0));
    p.drawRect(QRectF(x, y + lid / 2, w, h - lid));
    p.drawEllipse(QRectF(x, y + h - lid, w, lid));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(x + 0.5, y + h - lid - 1, w - 1, lid / 2 + 1));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawEllipse(QRectF(x, y, w, lid));
}

QPixmap canvas(int size) {
    QPixmap pix(size, size);
    pix.fill(Qt::transparent);
    return pix;
}

}  // namespace

QIcon connectGlyph() {
    // A drum with a plug lead.
    QPixmap pix = canvas(18);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    drawDrum(p, 2.5, 2.5, 9, 13);
    p.setPen(QPen(QColor(0, 96, 0), 1.6));
    p.drawLine(QPointF(11.5, 9), QPointF(16, 9));
    p.drawLine(QPointF(14.5, 6.5), QPointF(14.5, 11.5));
    return QIcon(pix);
}

QIcon drumGlyph(bool add) {
    // A drum with a green plus (new) or a red cross (delete).
    QPixmap pix = canvas(20);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    drawDrum(p, 1.5, 2.5, 11, 15);
    if (add) {
        p.setPen(QPen(QColor(0, 150, 0), 2.4));
        p.drawLine(QPointF(15.5, 9), QPointF(15.5, 17));
        p.drawLine(QPointF(11.5, 13), QPointF(19.5, 13));
    } else {
        p.setPen(QPen(QColor(200, 0, 0), 2.4));
        p.drawLine(QPointF(12, 9.5), QPointF(19, 16.5));
        p.drawLine(QPointF(19, 9.5), QPointF(12, 16.5));
    }
    return QIcon(pix);
}

}  // namespace quorvel::app

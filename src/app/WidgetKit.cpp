#include "app/WidgetKit.h"

#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace quorvel::app {

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

QIcon connectGlyph() {
    // A database drum with a plug lead.
    QPixmap pix(18, 18);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(255, 210, 0));
    p.drawRect(QRectF(2.5, 4.5, 9, 9));
    p.drawEllipse(QRectF(2.5, 11, 9, 4.5));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(3, 9, 8, 4.5));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawEllipse(QRectF(2.5, 2.5, 9, 4));
    p.setPen(QPen(QColor(0, 96, 0), 1.6));
    p.drawLine(QPointF(11.5, 9), QPointF(16, 9));
    p.drawLine(QPointF(14.5, 6.5), QPointF(14.5, 11.5));
    return QIcon(pix);
}

}  // namespace quorvel::app

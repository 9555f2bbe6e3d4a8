#include "app/StatusFaces.h"

#include <QPainter>
#include <QPainterPath>

namespace quorvel::app {

namespace {

const QColor kGrey(192, 192, 192);
const QColor kYellow(255, 230, 0);
const QColor kInk(40, 30, 0);

void dotEyes(QPainter& p, const QPointF& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(c.x() - 4.5, c.y() - 3.5), 1.8, 2.2);
    p.drawEllipse(QPointF(c.x() + 4.5, c.y() - 3.5), 1.8, 2.2);
}

void drawOoh(QPainter& p, const QPointF& c) {
    dotEyes(p, c);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(c.x(), c.y() + 5.5), 3.0, 3.6);
}

void drawSad(QPainter& p, const QPointF& c) {
    dotEyes(p, c);
    QPen pen(kInk, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    // Brows slanting down towards the nose: an angry look.
    p.drawLine(QPointF(c.x() - 7.5, c.y() - 8.5), QPointF(c.x() - 2.0, c.y() - 6.0));
    p.drawLine(QPointF(c.x() + 7.5, c.y() - 8.5), QPointF(c.x() + 2.0, c.y() - 6.0));
    QPainterPath frown;
    frown.moveTo(c.x() - 6, c.y() + 8);
    frown.quadTo(c.x(), c.y() + 1.5, c.x() + 6, c.y() + 8);
    p.drawPath(frown);
}

void drawShades(QPainter& p, const QPointF& c) {
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(QColor(200, 0, 0));
    p.drawRoundedRect(QRectF(c.x() - 9.0, c.y() - 6.5, 7.5, 5.0), 1.5, 1.5);
    p.drawRoundedRect(QRectF(c.x() + 1.5, c.y() - 6.5, 7.5, 5.0), 1.5, 1.5);
    p.drawLine(QPointF(c.x() - 1.5, c.y() - 5.0), QPointF(c.x() + 1.5, c.y() - 5.0));
    QPen pen(kInk, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath smile;
    smile.moveTo(c.x() - 6.5, c.y() + 3.5);
    smile.quadTo(c.x(), c.y() + 10.5, c.x() + 6.5, c.y() + 3.5);
    p.drawPath(smile);
}

void drawIndif(QPainter& p, const QPointF& c) {
    dotEyes(p, c);
    QPen pen(kInk, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(c.x() - 5.5, c.y() + 5.5), QPointF(c.x() + 5.5, c.y() + 5.5));
}

}  // namespace

QPixmap paintStatusFace(StatusFace face) {
    QPixmap pix(kFaceAreaSize, kFaceAreaSize);
    pix.fill(kGrey);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal margin = (kFaceAreaSize - kFaceSize) / 2.0;
    const QRectF head(margin, margin, kFaceSize, kFaceSize);
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kYellow);
    p.drawEllipse(head.adjusted(0.5, 0.5, -0.5, -0.5));
    const QPointF c = head.center();
    switch (face) {
        case StatusFace::Ooh: drawOoh(p, c); break;
        case StatusFace::Sad: drawSad(p, c); break;
        case StatusFace::Shades: drawShades(p, c); break;
        case StatusFace::Indif: drawIndif(p, c); break;
    }
    return pix;
}

}  // namespace quorvel::app

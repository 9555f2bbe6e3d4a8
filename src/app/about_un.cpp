#include "app/about_un.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "operation/Version.h"

namespace quorvel::app {

namespace {

// Two databases with the arrows of an exchange between them.
QPixmap aboutPicture() {
    QPixmap pix(105, 105);
    pix.fill(QColor(0, 0, 128));
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    auto cylinder = [&p](qreal x, qreal y, const QColor& c) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(c);
        p.drawRect(QRectF(x, y + 5, 34, 34));
        p.drawEllipse(QRectF(x, y + 34, 34, 10));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(x + 0.5, y + 30, 33, 9));
        p.setPen(QPen(Qt::black, 1));
        p.drawEllipse(QRectF(x, y, 34, 10));
    };
    cylinder(8, 10, QColor(255, 220, 0));
    cylinder(63, 51, QColor(0, 200, 255));
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(46, 30), QPointF(78, 30));
    p.drawLine(QPointF(78, 30), QPointF(72, 24));
    p.drawLine(QPointF(78, 30), QPointF(72, 36));
    p.drawLine(QPointF(59, 75), QPointF(27, 75));
    p.drawLine(QPointF(27, 75), QPointF(33, 69));
    p.drawLine(QPointF(27, 75), QPointF(33, 81));
    return pix;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("AboutBox");
    setWindowTitle(tr("About"));
    setFixedSize(403, 293);
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName("ProgramIcon");
    picture->setPixmap(aboutPicture());
    picture->setGeometry(16, 16, 105, 105);

    auto* product = new QLabel("Quorvel", this);
    product->setObjectName("ProductName");
    QFont f = product->font();
    f.setBold(true);
    f.setItalic(true);
    f.setPointSize(f.pointSize() + 10);
    product->setFont(f);
    QPalette pal = product->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    product->setPalette(pal);
    product->setGeometry(150, 30, 230, 44);

    auto* version = new QLabel(tr("Version %1").arg(QString::fromUtf8(quorvel::version())), this);
    version->setObjectName("Version");
    version->setGeometry(150, 80, 230, 20);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    ok->setGeometry(163, 248, 77, 27);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

}  // namespace quorvel::app

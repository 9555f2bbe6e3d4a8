#include "app/logo.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>

namespace quorvel::app {

TQuorvelLogo::TQuorvelLogo(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("QuorvelLogo");
    setFixedSize(366, 70);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 225));
    setPalette(pal);

    auto* title = new QLabel("Quorvel V 1.0", this);
    title->setGeometry(0, 4, 366, 22);
    title->setAlignment(Qt::AlignCenter);
    QFont f = title->font();
    f.setBold(true);
    f.setItalic(true);
    f.setPointSize(f.pointSize() + 3);
    title->setFont(f);
    title->setStyleSheet("color: navy;");

    // The lower part: a borderless, read-only, centred text in the window's colour.
    auto* text = new QLabel(tr("Replication of Firebird databases\nLoading, please wait..."), this);
    text->setObjectName("LogoText");
    text->setGeometry(0, 10, 366, 60);
    text->setContentsMargins(0, 18, 0, 0);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

void TQuorvelLogo::showNow() {
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    show();
    repaint();
    QApplication::processEvents();
}

}  // namespace quorvel::app

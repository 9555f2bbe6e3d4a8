#include "app/CancelButton.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "engine/Interrupt.h"

namespace quorvel::app {

CancelButton::CancelButton(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("CancelWindow");
    setWindowTitle("Working");
    auto* layout = new QHBoxLayout(this);
    button_ = new QPushButton("Cancel", this);
    button_->setObjectName("SBCancel");
    layout->addWidget(button_);
    connect(button_, &QPushButton::clicked, this, [this] {
        // Pressed once: the operation is on its way out.
        button_->setEnabled(false);
        engine::cancelOperation();
    });
}

void CancelButton::operationStarted() {
    // A window is enabled on its own even when its owner is disabled.
    setEnabled(true);
    button_->setEnabled(true);
    if (QWidget* owner = parentWidget()) {
        const QRect area = owner->frameGeometry();
        adjustSize();
        move(area.right() - width() - 24, area.bottom() - height() - 40);
    }
    show();
    // The work that follows runs on this thread: paint now, not later.
    repaint();
}

void CancelButton::operationEnded() {
    hide();
    engine::endCancel();
}

}  // namespace quorvel::app

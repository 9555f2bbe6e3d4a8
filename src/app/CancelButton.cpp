#include "app/CancelButton.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "engine/Interrupt.h"

namespace quorvel::app {

CancelButton::CancelButton(QWidget* parent) : QWidget(parent) {
    setObjectName("PanelCancel");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    button_ = new QPushButton(tr("Cancel"), this);
    button_->setObjectName("SBCancel");
    button_->setShortcut(QKeySequence(Qt::Key_Escape));
    button_->setToolTip(tr("Stop the running operation: nothing of it is kept (Esc)"));
    layout->addWidget(button_);
    connect(button_, &QPushButton::clicked, this, [this] {
        // Pressed once: the operation is on its way out.
        button_->setEnabled(false);
        pressed_ = true;
        engine::cancelOperation();
    });
    hide();
}

void CancelButton::operationStarted() {
    button_->setEnabled(true);
    pressed_ = false;
    show();
    // An operation on the window's thread paints nothing until it ends.
    repaint();
}

void CancelButton::operationEnded() {
    hide();
    pressed_ = false;
    engine::endCancel();
}

}  // namespace quorvel::app

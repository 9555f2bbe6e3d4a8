#pragma once
// The window's Cancel while an operation runs. The main window is disabled
// while it works, and with it every widget inside it; so Cancel lives in a
// small window of its own beside it, shown and enabled only while an
// operation runs. Pressing it cancels the operation the way Ctrl+C does in
// quorvel-cli: the statement stops, the operation fails with "operation was
// cancelled" and its transactions roll back.
#include <QWidget>

class QPushButton;

namespace quorvel::app {

class CancelButton : public QWidget {
    Q_OBJECT
public:
    explicit CancelButton(QWidget* owner);

    // Shown beside the owner when an operation starts working.
    void operationStarted();
    // Hidden again, and a cancel nothing took up is dropped.
    void operationEnded();

private:
    QPushButton* button_;
};

}  // namespace quorvel::app

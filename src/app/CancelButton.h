#pragma once
// The window's Cancel while an operation runs, at the right end of the
// status bar. While an operation works, the window's pages and menus take no
// input; Cancel is shown and usable then, and only then. Pressing it (or
// Escape) cancels the operation the way Ctrl+C does in quorvel-cli: the
// statement stops, the operation fails as cancelled and its transactions
// roll back.
#include <QWidget>

class QPushButton;

namespace quorvel::app {

class CancelButton : public QWidget {
    Q_OBJECT
public:
    explicit CancelButton(QWidget* parent);

    // Shown when an operation starts working.
    void operationStarted();
    // Hidden again, and a cancel nothing took up is dropped.
    void operationEnded();
    // Pressed since the operation started.
    bool pressed() const { return pressed_; }

private:
    QPushButton* button_;
    bool pressed_ = false;
};

}  // namespace quorvel::app

#pragma once
// The splash window shown while the application starts; the main window
// destroys it when it is first shown.
#include <QWidget>

namespace quorvel::app {

class TQuorvelLogo : public QWidget {
    Q_OBJECT
public:
    explicit TQuorvelLogo(QWidget* parent = nullptr);
    // Shows the window centred and paints it at once (the event loop is not
    // running yet while the other windows are created).
    void showNow();
};

}  // namespace quorvel::app

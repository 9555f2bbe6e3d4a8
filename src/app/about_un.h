#pragma once
// The About box: picture, product name, version and an OK button.
#include <QDialog>

namespace quorvel::app {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace quorvel::app

#pragma once
// The login dialog "Login": the alias being logged into, the user name (kept
// between showings) and the password (emptied on every showing).
#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel::app {

class TfmLoginPrompt : public QDialog {
    Q_OBJECT
public:
    explicit TfmLoginPrompt(QWidget* parent = nullptr);

    void setAlias(const std::string& alias);
    std::string userName() const;
    std::string password() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* LAlias;
    QLineEdit* EditUserName;
    QLineEdit* EditPassword;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};

}  // namespace quorvel::app

#pragma once
// The alias dialog "Connect to DataBase": the engine's aliases, the
// parameters of the selected one, and the alias chosen last (kept between
// showings).
#include <QDialog>
#include <functional>
#include <string>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace quorvel::app {

class TfmAliases : public QDialog {
    Q_OBJECT
public:
    explicit TfmAliases(QWidget* parent = nullptr);

    // Empty until an alias was chosen with "Connect".
    const std::string& chosenAlias() const { return chosen_; }

    // What the dialog says when no alias is configured.
    static QString noAliasMessage();

    // Where the dialog shows its messages; replaceable so the dialog can be
    // driven without a person at the screen.
    std::function<void(const QString&)> showMessage;

    void showEvent(QShowEvent* event) override;

    void fillAliases();
    void showParameters();
    void BtnOKClick();

private:
    QListWidget* LBAliases;
    QPlainTextEdit* MParams;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
    std::string chosen_;
};

}  // namespace quorvel::app

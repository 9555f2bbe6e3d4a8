#pragma once
// The new-clone dialog "New CLONE ": name and the two bounds of the new
// clone's record codes. Created once and reused, so the edits keep what was
// typed the last time.
#include <QDialog>
#include <exception>
#include <functional>
#include <string>

#include "clone/Operations.h"

class QLineEdit;
class QPushButton;

namespace quorvel::app {

class TfmClone : public QDialog {
    Q_OBJECT
public:
    using OkHandler = std::function<std::string(const clone::CloneEntry&)>;

    explicit TfmClone(QWidget* parent = nullptr);

    // Shows the dialog modally. OK runs `onOk` with the three texts: an empty
    // answer closes the dialog with OK, the name of one of the edits keeps it
    // open with that edit focused and its text selected. An exception thrown
    // by `onOk` closes the dialog and is passed on to the caller.
    bool execute(const OkHandler& onOk);

    clone::CloneEntry entry() const;
    void BitBtn1Click();

private:
    QLineEdit* EditName;
    QLineEdit* EditMaxValue1;
    QLineEdit* EditMaxValue2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    OkHandler onOk_;
    std::exception_ptr failure_;
};

}  // namespace quorvel::app

#include "app/fClone.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <utility>

#include "app/WidgetKit.h"

namespace quorvel::app {

TfmClone::TfmClone(QWidget* parent) : QDialog(parent) {
    setObjectName("fmClone");
    setWindowTitle(tr("New CLONE "));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    EditName = new QLineEdit(this);
    EditName->setObjectName("EditName");
    EditMaxValue1 = new QLineEdit(this);
    EditMaxValue1->setObjectName("EditMaxValue1");
    EditMaxValue2 = new QLineEdit(this);
    EditMaxValue2->setObjectName("EditMaxValue2");

    auto* form = new QFormLayout;
    form->addRow(tr("Name"), EditName);
    form->addRow(tr("Max value1"), EditMaxValue1);
    form->addRow(tr("Max value2"), EditMaxValue2);
    const OkCancel buttons = layOutFormDialog(this, form);
    BitBtn1 = buttons.ok;
    BitBtn2 = buttons.cancel;
    connect(BitBtn1, &QPushButton::clicked, this, &TfmClone::BitBtn1Click);
    setFixedSize(300, 150);
}

clone::CloneEntry TfmClone::entry() const {
    return {EditName->text().toStdString(), EditMaxValue1->text().toStdString(),
            EditMaxValue2->text().toStdString()};
}

bool TfmClone::execute(const OkHandler& onOk) {
    onOk_ = onOk;
    failure_ = nullptr;
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    EditName->setFocus();
    const int result = exec();
    onOk_ = nullptr;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return result == QDialog::Accepted;
}

void TfmClone::BitBtn1Click() {
    std::string refusedEdit;
    try {
        if (onOk_) refusedEdit = onOk_(entry());
    } catch (...) {
        // Never let an exception run through the dialog's event loop; the
        // caller of execute() gets it once the dialog is closed.
        failure_ = std::current_exception();
        reject();
        return;
    }
    if (refusedEdit.empty()) {
        accept();
        return;
    }
    if (auto* edit = findChild<QLineEdit*>(QString::fromStdString(refusedEdit))) {
        edit->setFocus();
        edit->selectAll();
    }
}

}  // namespace quorvel::app

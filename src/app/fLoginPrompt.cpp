#include "app/fLoginPrompt.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "app/WidgetKit.h"

namespace quorvel::app {

TfmLoginPrompt::TfmLoginPrompt(QWidget* parent) : QDialog(parent) {
    setObjectName("fmLoginPrompt");
    setWindowTitle(tr("Login"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(268, 164);
    setModal(true);

    LAlias = new QLabel(tr("None"), this);
    LAlias->setObjectName("LAlias");
    QFont bold = LAlias->font();
    bold.setBold(true);
    LAlias->setFont(bold);

    EditUserName = new QLineEdit("SYSDBA", this);
    EditUserName->setObjectName("EditUserName");
    EditPassword = new QLineEdit(this);
    EditPassword->setObjectName("EditPassword");
    EditPassword->setEchoMode(QLineEdit::Password);
    // Every typed character shows as "*", whatever the style's own choice.
    EditPassword->setStyleSheet("lineedit-password-character: 42;");

    auto* form = new QFormLayout;
    form->addRow(new QLabel(tr("Alias:"), this), LAlias);
    form->addRow(new QLabel(tr("User Name:"), this), EditUserName);
    form->addRow(new QLabel(tr("Password:"), this), EditPassword);
    const OkCancel buttons = layOutFormDialog(this, form);
    BitBtn1 = buttons.ok;
    BitBtn2 = buttons.cancel;
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TfmLoginPrompt::setAlias(const std::string& alias) {
    LAlias->setText(QString::fromStdString(alias));
}

std::string TfmLoginPrompt::userName() const { return EditUserName->text().toStdString(); }
std::string TfmLoginPrompt::password() const { return EditPassword->text().toStdString(); }

void TfmLoginPrompt::showEvent(QShowEvent* event) {
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    EditPassword->clear();
    QDialog::showEvent(event);
    EditPassword->setFocus();
}

}  // namespace quorvel::app

#include "connect/fLoginPrompt.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace quorvel::connect {

TfmLoginPrompt::TfmLoginPrompt(QWidget* parent) : QDialog(parent) {
    setObjectName("fmLoginPrompt");
    setWindowTitle("Login");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(268, 164);
    setModal(true);

    LAlias = new QLabel("None", this);
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

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    BitBtn2->setObjectName("BitBtn2");
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(new QLabel("Alias:", this), LAlias);
    form->addRow(new QLabel("User Name:", this), EditUserName);
    form->addRow(new QLabel("Password:", this), EditPassword);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addStretch();
    all->addLayout(buttons);
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

}  // namespace quorvel::connect

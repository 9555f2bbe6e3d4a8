#include "app/fAliases.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <exception>

#include "engine/Aliases.h"

namespace quorvel::app {

namespace {

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

void navyText(QWidget* w) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Text, QColor(0, 0, 128));
    w->setPalette(pal);
}

}  // namespace

TfmAliases::TfmAliases(QWidget* parent) : QDialog(parent) {
    setObjectName("fmAliases");
    setWindowTitle(tr("Connect to DataBase"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(556, 361);
    setModal(true);

    LBAliases = new QListWidget(this);
    LBAliases->setObjectName("LBAliases");
    QFont bold = LBAliases->font();
    bold.setBold(true);
    LBAliases->setFont(bold);
    navyText(LBAliases);

    MParams = new QPlainTextEdit(this);
    MParams->setObjectName("MParams");
    MParams->setReadOnly(true);
    MParams->setLineWrapMode(QPlainTextEdit::NoWrap);
    MParams->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MParams->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    navyText(MParams);

    BtnOK = new QPushButton(tr("Connect"), this);
    BtnOK->setObjectName("BtnOK");
    BtnOK->setFont(bold);
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(tr("Cancel"), this);
    BtnCancel->setObjectName("BtnCancel");

    auto* grid = new QGridLayout(this);
    grid->addWidget(boldLabel(tr("Aliases:"), this), 0, 0);
    grid->addWidget(boldLabel(tr("Parameters:"), this), 0, 1);
    grid->addWidget(LBAliases, 1, 0);
    grid->addWidget(MParams, 1, 1);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);

    showMessage = [this](const QString& text) {
        QMessageBox::information(this, windowTitle(), text);
    };
    connect(LBAliases, &QListWidget::currentRowChanged, this, [this] { showParameters(); });
    connect(BtnOK, &QPushButton::clicked, this, [this] {
        BtnOKClick();
        accept();  // closes with OK whatever the handler found
    });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // A double click on an alias is the same as choosing it and "Connect".
    connect(LBAliases, &QListWidget::itemDoubleClicked, BtnOK, &QPushButton::click);
}

QString TfmAliases::noAliasMessage() {
    return tr("No database alias is configured.\n"
              "Add one with:\n"
              "    quorvel-cli aliases add NAME DATABASE\n"
              "(aliases file: %1)")
        .arg(QString::fromStdString(engine::Aliases::configPath()));
}

void TfmAliases::showEvent(QShowEvent* event) {
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    fillAliases();
}

void TfmAliases::fillAliases() {
    LBAliases->blockSignals(true);
    LBAliases->clear();
    try {
        for (const auto& name : engine::Aliases::names())
            LBAliases->addItem(QString::fromStdString(name));
    } catch (const std::exception& e) {
        LBAliases->blockSignals(false);
        showMessage(QString::fromStdString(e.what()));
        return;
    }
    LBAliases->sortItems();
    LBAliases->blockSignals(false);
    if (LBAliases->count() == 0) {
        MParams->clear();
        showMessage(noAliasMessage());
        return;
    }
    LBAliases->setCurrentRow(0);
    showParameters();
}

void TfmAliases::showParameters() {
    MParams->clear();
    auto* item = LBAliases->currentItem();
    if (!item) return;
    try {
        QStringList lines;
        for (const auto& l : engine::Aliases::parameters(item->text().toStdString()))
            lines << QString::fromStdString(l);
        MParams->setPlainText(lines.join('\n'));
    } catch (const std::exception& e) {
        showMessage(QString::fromStdString(e.what()));
    }
}

void TfmAliases::BtnOKClick() {
    auto* item = LBAliases->currentItem();
    if (!item) {
        // Nothing to choose: say so; the alias chosen last time stays.
        showMessage(noAliasMessage());
        return;
    }
    chosen_ = item->text().toStdString();
}

}  // namespace quorvel::app

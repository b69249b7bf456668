#include "mainwindow/BreakDialog.h"

#include "engine/state/NumberReader.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

BreakDialog::BreakDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName("BreakDialog");
    setWindowTitle(QStringLiteral("Data Sample Break Count"));
    setModal(true);

    auto *label = new QLabel(QStringLiteral("Break Count:"), this);
    label->setObjectName("breakCountLabel");
    breakCountEdit = new QLineEdit(QStringLiteral("0"), this);
    breakCountEdit->setObjectName("BreakCountEdit");
    breakCountEdit->setToolTip(
        QStringLiteral("Sets the cycle interval before the tester breaks and updates the result data"));
    label->setBuddy(breakCountEdit);
    saveToDatabaseCheck = new QCheckBox(QStringLiteral("Save To Database"), this);
    saveToDatabaseCheck->setObjectName("SaveToDatabase");
    saveToDatabaseCheck->setToolTip(QStringLiteral("If checked, will save the data downloaded when the tester breaks"));
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName("OKButton");
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName("CancelButton");

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(breakCountEdit, 0, 1);
    grid->addWidget(saveToDatabaseCheck, 1, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(okButton, &QPushButton::clicked, this, [this] { acceptIfCountValid(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

int16_t BreakDialog::breakCountFromText(const QString &text)
{
    const double count = roundHalfEven(parseNumber(text));
    if (count >= 1 && count <= 32767)
        return int16_t(count);
    return 0;
}

void BreakDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!loaded) {
        loaded = true;
        breakCount = 0;
        saveToDatabaseCheck->setChecked(saveToDatabase);
        breakCountEdit->setText(QStringLiteral("0"));
    }
    breakCountEdit->setFocus();
    breakCountEdit->selectAll();
}

void BreakDialog::acceptIfCountValid()
{
    const int16_t count = breakCountFromText(breakCountEdit->text());
    if (count < 1)
        return;   // stays open until a usable count is entered or the operator cancels
    breakCount = count;
    saveToDatabase = saveToDatabaseCheck->isChecked();
    accept();
}

void BreakDialog::cancel()
{
    breakCount = 0;
    reject();
}

#include "mainwindow/BreakDialog.h"

#include "engine/state/NumberReader.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

BreakDialog::BreakDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("BreakDialog");
    setWindowTitle(QStringLiteral("Data Sample Break Count"));
    setModal(true);

    auto *label = new QLabel(QStringLiteral("Break Count:"), this);
    label->setObjectName("breakCountLabel");
    BreakCountEdit = new QLineEdit(QStringLiteral("0"), this);
    BreakCountEdit->setObjectName("BreakCountEdit");
    BreakCountEdit->setToolTip(
        QStringLiteral("Sets the cycle interval before the tester breaks and updates the result data"));
    label->setBuddy(BreakCountEdit);
    SaveToDatabase = new QCheckBox(QStringLiteral("Save To Database"), this);
    SaveToDatabase->setObjectName("SaveToDatabase");
    SaveToDatabase->setToolTip(
        QStringLiteral("If checked, will save the data downloaded when the tester breaks"));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName("CancelButton");

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(BreakCountEdit, 0, 1);
    grid->addWidget(SaveToDatabase, 1, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(OKButton, &QPushButton::clicked, this, [this] { acceptIfCountValid(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

int16_t BreakDialog::breakCountFromText(const QString &text)
{
    const double count = RoundHalfEven(ReadNumber(text));
    if (count >= 1 && count <= 32767)
        return int16_t(count);
    return 0;
}

void BreakDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!loaded) {
        loaded = true;
        BreakCount = 0;
        SaveToDatabase->setChecked(checked);
        BreakCountEdit->setText(QStringLiteral("0"));
    }
    BreakCountEdit->setFocus();
    BreakCountEdit->selectAll();
}

void BreakDialog::acceptIfCountValid()
{
    const int16_t count = breakCountFromText(BreakCountEdit->text());
    if (count < 1)
        return;   // stays open until a usable count is entered or the operator cancels
    BreakCount = count;
    checked = SaveToDatabase->isChecked();
    accept();
}

void BreakDialog::cancel()
{
    BreakCount = 0;
    reject();
}

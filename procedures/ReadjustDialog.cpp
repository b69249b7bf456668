#include "procedures/ReadjustDialog.h"

#include "procedures/DialogIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ReadjustDialog::ReadjustDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("ReadjustDialog");
    setWindowTitle(QStringLiteral("Values Modified"));
    setModal(true);

    QLabel *Picture1 = DialogIcon(QStyle::SP_MessageBoxWarning, this);
    auto *Label1 = new QLabel(QStringLiteral("Some parameters were readjusted.  Do you wish to review these "
                                             "values before sending to unit?"),
                              this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(300);

    auto *YesButton = new QPushButton(QStringLiteral("Yes"), this);
    YesButton->setObjectName("YesButton");
    YesButton->setToolTip(QStringLiteral("Allows inspection and change before sending to tester"));
    auto *NoButton = new QPushButton(QStringLiteral("No"), this);
    NoButton->setObjectName("NoButton");
    NoButton->setToolTip(QStringLiteral("Accept the changes and send immediately to tester"));
    for (QPushButton *button : {YesButton, NoButton})
        button->setAutoDefault(false);
    YesButton->setDefault(true);
    connect(YesButton, &QPushButton::clicked, this, [this] { answer(AnswerYes); });
    connect(NoButton, &QPushButton::clicked, this, [this] { answer(AnswerNo); });

    auto *top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addWidget(Label1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(YesButton);
    buttons->addWidget(NoButton);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    setTabOrder(YesButton, NoButton);
    YesButton->setFocus();
}

void ReadjustDialog::answer(int16_t selection)
{
    UserSelect = selection;
    done(selection);
}

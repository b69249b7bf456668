#include "ui/ChoiceDialog.h"

#include "ui/ControlNames.h"
#include "ui/DialogIcon.h"

#include <QLabel>
#include <QPushButton>

namespace {
constexpr int NarrowestMessage = 360;
}

ChoiceDialog::ChoiceDialog(const QStringList &choices, QWidget *parent)
    : QDialog(parent), choice(int(choices.size()) - 1)
{
    setObjectName("ChoiceDialog");
    setModal(true);
    QLabel *icon = dialogIcon(QStyle::SP_MessageBoxQuestion, this);
    messageText = new QLabel(this);
    messageText->setObjectName("messageText");
    messageText->setWordWrap(true);

    QList<QPushButton *> buttons;
    for (int i = 0; i < choices.size(); ++i) {
        auto *button = captionedControl<QPushButton>("", choices[i], QString(), this);
        button->setObjectName(QStringLiteral("ChoiceButton%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] {
            choice = i;
            done(i);
        });
        buttons.append(button);
    }
    if (!buttons.isEmpty()) {
        buttons.last()->setDefault(true);
        buttons.first()->setFocus();
    }
    layOutMessageDialog(this, icon, messageText, buttons);
}

void ChoiceDialog::setMessage(const QString &text)
{
    messageText->setText(text);
    fitMessageText(messageText, NarrowestMessage);
}

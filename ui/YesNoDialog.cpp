#include "ui/YesNoDialog.h"

#include "ui/DialogIcon.h"

#include <QLabel>
#include <QPushButton>

namespace {
constexpr int NarrowestMessage = 300;
}

YesNoDialog::YesNoDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName("YesNoDialog");
    setWindowTitle(QStringLiteral("Save Dialog"));
    setModal(true);

    QLabel *icon = dialogIcon(QStyle::SP_MessageBoxQuestion, this);
    messageText = new QLabel(QStringLiteral("Unknown"), this);
    messageText->setObjectName("messageText");
    messageText->setWordWrap(true);
    fitMessageText(messageText, NarrowestMessage);

    auto *YesButton = new QPushButton(QStringLiteral("Yes"), this);
    auto *NoButton = new QPushButton(QStringLiteral("No"), this);
    auto *CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    YesButton->setObjectName("YesButton");
    NoButton->setObjectName("NoButton");
    CancelButton->setObjectName("CancelButton");
    // Only Cancel answers Enter, whichever button has the focus.
    for (QPushButton *button : {YesButton, NoButton, CancelButton})
        button->setAutoDefault(false);
    CancelButton->setDefault(true);
    connect(YesButton, &QPushButton::clicked, this, [this] { answer(AnswerYes); });
    connect(NoButton, &QPushButton::clicked, this, [this] { answer(AnswerNo); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { answer(AnswerCancel); });

    layOutMessageDialog(this, icon, messageText, {YesButton, NoButton, CancelButton});

    setTabOrder(YesButton, CancelButton);
    setTabOrder(CancelButton, NoButton);
    YesButton->setFocus();
}

void YesNoDialog::setMessage(const QString &text)
{
    messageText->setText(text);
    fitMessageText(messageText, NarrowestMessage);
}

QString YesNoDialog::message() const
{
    return messageText->text();
}

void YesNoDialog::answer(int16_t selection)
{
    UserSelection = selection;
    done(selection);
}

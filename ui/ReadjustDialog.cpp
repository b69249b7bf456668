#include "ui/ReadjustDialog.h"

#include "ui/DialogIcon.h"

#include <QLabel>
#include <QPushButton>

ReadjustDialog::ReadjustDialog(const QStringList &changes, QWidget *parent) : QDialog(parent)
{
    setObjectName("ReadjustDialog");
    setWindowTitle(QStringLiteral("Values Modified"));
    setModal(true);

    QLabel *icon = dialogIcon(QStyle::SP_MessageBoxWarning, this);
    QString text = QStringLiteral("Some parameters were readjusted.  Do you wish to review these values before "
                                  "sending to unit?");
    if (!changes.isEmpty())
        text += QStringLiteral("\n\n") + changes.join(QLatin1Char('\n'));
    auto *message = new QLabel(text, this);
    message->setTextFormat(Qt::PlainText);
    message->setObjectName("messageText");
    message->setWordWrap(true);
    fitMessageText(message, 300);

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

    layOutMessageDialog(this, icon, message, {YesButton, NoButton});

    setTabOrder(YesButton, NoButton);
    YesButton->setFocus();
}

void ReadjustDialog::answer(int16_t selection)
{
    UserSelect = selection;
    done(selection);
}

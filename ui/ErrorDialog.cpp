#include "ui/ErrorDialog.h"

#include "ui/DialogIcon.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {
constexpr int NarrowestMessage = 260;
}

ErrorDialog::ErrorDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName("ErrorDialog");
    setWindowTitle(QStringLiteral("Unknown Error"));
    setModal(true);

    QLabel *icon = dialogIcon(QStyle::SP_MessageBoxWarning, this);
    messageText = new QLabel(QStringLiteral("Unknown Error"), this);
    messageText->setObjectName("messageText");
    messageText->setWordWrap(true);
    fitMessageText(messageText, NarrowestMessage);
    auto *OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    layOutMessageDialog(this, icon, messageText, {OKButton});
}

void ErrorDialog::setMessage(const QString &text)
{
    messageText->setText(text);
    fitMessageText(messageText, NarrowestMessage);
}

QString ErrorDialog::message() const
{
    return messageText->text();
}

void ErrorDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!loaded) {
        loaded = true;
        QApplication::beep();   // the exclamation sound that goes with a notice
    }
}

#include "ui/ErrorDialog.h"

#include "ui/DialogIcon.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

ErrorDialog::ErrorDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("ErrorDialog");
    setWindowTitle(QStringLiteral("Unknown Error"));
    setModal(true);

    QLabel *Picture1 = DialogIcon(QStyle::SP_MessageBoxWarning, this);
    ErrMsg = new QLabel(QStringLiteral("Unknown Error"), this);
    ErrMsg->setObjectName("ErrMsg");
    ErrMsg->setWordWrap(true);
    ErrMsg->setMinimumWidth(260);
    auto *OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    LayOutMessageDialog(this, Picture1, ErrMsg, {OKButton});
}

void ErrorDialog::setMessage(const QString &text)
{
    ErrMsg->setText(text);
}

QString ErrorDialog::message() const
{
    return ErrMsg->text();
}

void ErrorDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!loaded) {
        loaded = true;
        QApplication::beep();   // the exclamation sound that goes with a notice
    }
}

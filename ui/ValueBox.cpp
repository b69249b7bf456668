#include "ui/ValueBox.h"

#include <QLabel>

QLabel *ValueBox(const QString &name, const QString &toolTip, QWidget *parent, const QString &widestText)
{
    auto *box = new QLabel(QStringLiteral("----"), parent);
    box->setObjectName(name);
    box->setToolTip(toolTip);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setBackgroundRole(QPalette::Base);
    box->setAutoFillBackground(true);
    box->setContentsMargins(3, 1, 3, 1);
    MakeSteady(box, widestText);
    return box;
}

void MakeSteady(QLabel *label, const QString &widestText)
{
    const QString shown = label->text();
    label->setText(widestText);
    const QSize widest = label->sizeHint();
    label->setText(shown);
    label->setFixedSize(widest.expandedTo(label->sizeHint()));
}

void SetSteadyText(QLabel *label, const QString &text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    const QSize wanted = label->sizeHint();
    if (wanted.width() > label->maximumWidth() || wanted.height() > label->maximumHeight())
        label->setFixedSize(wanted.expandedTo(label->maximumSize()));
}

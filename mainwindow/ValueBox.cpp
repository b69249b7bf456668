#include "mainwindow/ValueBox.h"

#include <QLabel>

QLabel *ValueBox(const QString &name, const QString &toolTip, QWidget *parent)
{
    auto *box = new QLabel(QStringLiteral("----"), parent);
    box->setObjectName(name);
    box->setToolTip(toolTip);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setBackgroundRole(QPalette::Base);
    box->setAutoFillBackground(true);
    box->setContentsMargins(3, 1, 3, 1);
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // Wide enough for the longest reading, an open contact over a large pull-up.
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("2044000.00")) + 8);
    return box;
}

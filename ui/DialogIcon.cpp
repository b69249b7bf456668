#include "ui/DialogIcon.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

QLabel *dialogIcon(QStyle::StandardPixmap which, QWidget *dialog)
{
    auto *picture = new QLabel(dialog);
    picture->setObjectName("dialogIcon");
    const int size = dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
    picture->setPixmap(dialog->style()->standardIcon(which, nullptr, dialog).pixmap(size, size));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return picture;
}

void layOutMessageDialog(QDialog *dialog, QLabel *icon, QLabel *text, const QList<QPushButton *> &buttons)
{
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton *button : buttons)
        row->addWidget(button);
    row->addStretch(1);
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(top);
    layout->addLayout(row);
}

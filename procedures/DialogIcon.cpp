#include "procedures/DialogIcon.h"

#include <QLabel>
#include <QWidget>

QLabel *DialogIcon(QStyle::StandardPixmap which, QWidget *dialog)
{
    auto *picture = new QLabel(dialog);
    picture->setObjectName("Picture1");
    const int size = dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
    picture->setPixmap(dialog->style()->standardIcon(which, nullptr, dialog).pixmap(size, size));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return picture;
}

#include "ui/DialogIcon.h"

#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

QLabel *dialogIcon(QStyle::StandardPixmap which, QWidget *dialog)
{
    auto *picture = new QLabel(dialog);
    picture->setObjectName("dialogIcon");
    const int size = dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
    picture->setPixmap(dialog->style()->standardIcon(which, nullptr, dialog).pixmap(size, size));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return picture;
}

void fitMessageText(QLabel *text, int narrowest)
{
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // As wide as its longest paragraph needs, within the limits; then as
    // high as the text wraps at that width.
    const QFontMetrics metrics(text->font());
    int widest = 0;
    for (const QString &paragraph : text->text().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(paragraph));
    const int margins = text->contentsMargins().left() + text->contentsMargins().right() + 2 * text->margin();
    const int width = std::clamp(widest + margins + 1, narrowest, std::max(narrowest, MessageWidthLimit));
    text->setMinimumSize(width, text->heightForWidth(width));
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

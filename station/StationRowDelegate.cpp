#include "station/StationRowDelegate.h"

#include "engine/station/StationTableModel.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionProgressBar>

const QColor StationRowDelegate::LostLink(200, 0, 0);
const QColor StationRowDelegate::NewFailure(255, 226, 150);

namespace {

constexpr int BarSteps = 1000;
constexpr int MarkSize = 10;

// A red dot, the same whether the row is selected or not: the selection's
// colours must not hide a lost link.
QIcon lostMark()
{
    QPixmap dot(MarkSize, MarkSize);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(StationRowDelegate::LostLink);
    painter.drawEllipse(QRectF(0.5, 0.5, MarkSize - 1, MarkSize - 1));
    painter.end();
    QIcon icon;
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Selected, QIcon::Active})
        icon.addPixmap(dot, mode);
    return icon;
}

}   // namespace

int StationRowDelegate::markRoom()
{
    return MarkSize + 8;
}

void StationRowDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(StationTableModel::LinkLostRole).toBool()) {
        // Red text where the row is not selected; a selected row keeps the
        // selection's text readable and shows the loss by its mark.
        option->palette.setColor(QPalette::Text, LostLink);
        if (index.column() == StationTableModel::SerialColumn) {
            if (lostIcon.isNull())
                lostIcon = lostMark();
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->icon = lostIcon;
            option->decorationSize = QSize(MarkSize, MarkSize);
        }
    }
    if (index.data(StationTableModel::NewFailureRole).toBool()) {
        option->font.setBold(true);
        option->backgroundBrush = NewFailure;
    }
}

void StationRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const double share = index.data(StationTableModel::CycleShareRole).toDouble();
    if (index.column() != StationTableModel::CyclesColumn || share < 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    // The cell's ground and selection first, the bar with its text on it.
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

    QStyleOptionProgressBar bar;
    bar.initFrom(cell.widget);
    bar.state |= QStyle::State_Horizontal;
    bar.rect = option.rect.adjusted(2, 2, -2, -2);
    bar.minimum = 0;
    bar.maximum = BarSteps;
    bar.progress = int(share * BarSteps);
    bar.text = index.data(Qt::DisplayRole).toString();
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.palette = cell.palette;
    bar.fontMetrics = QFontMetrics(cell.font);
    painter->save();
    painter->setFont(cell.font);
    style->drawControl(QStyle::CE_ProgressBar, &bar, painter, cell.widget);
    painter->restore();
}

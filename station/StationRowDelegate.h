#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Draws the Station window's rows: a lost link in red, a failure nobody has
// seen yet in bold on a light amber ground, and the cycle count over a bar
// that fills towards the cycle limit.
class StationRowDelegate : public QStyledItemDelegate
{
public:
    static const QColor LostLink;
    static const QColor NewFailure;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

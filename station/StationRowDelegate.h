#pragma once

#include <QColor>
#include <QIcon>
#include <QStyledItemDelegate>

// Draws the Station window's rows: a lost link in red with a red mark in
// its S/N cell (seen on a selected row too), a failure nobody has
// seen yet in bold on a light amber ground, and the cycle count over a bar
// that fills towards the cycle limit.
class StationRowDelegate : public QStyledItemDelegate
{
public:
    static const QColor LostLink;
    static const QColor NewFailure;

    using QStyledItemDelegate::QStyledItemDelegate;
    // The width the lost link's mark adds to the S/N cell.
    static int markRoom();

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    mutable QIcon lostIcon;   // made when first drawn
};

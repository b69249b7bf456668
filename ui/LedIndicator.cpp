#include "ui/LedIndicator.h"

#include <QPainter>

LedIndicator::LedIndicator(QWidget *parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void LedIndicator::draw(int drawing)
{
    const int wanted = drawing == 0 ? 0 : 1;
    if (wanted == currentDrawing)
        return;
    currentDrawing = wanted;
    update();
}

QSize LedIndicator::sizeHint() const
{
    return QSize(18, 18);
}

void LedIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = QRectF(rect()).adjusted(2, 2, -2, -2);
    // A dark LED keeps its rim so the operator still sees where it is.
    painter.setPen(QPen(QColor(120, 0, 0), 1.5));
    painter.setBrush(currentDrawing == 0 ? QBrush(QColor(230, 20, 20)) : QBrush(Qt::NoBrush));
    painter.drawEllipse(circle);
}

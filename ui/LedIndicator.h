#pragma once

#include <QWidget>

// The tester's error LED on screen: a small circle drawn filled (lit) or
// hollow (dark). Blinking is done by the poll cycle toggling the drawing.
class LedIndicator : public QWidget
{
public:
    explicit LedIndicator(QWidget *parent = nullptr);

    int drawing() const { return currentDrawing; }   // 0 filled, 1 hollow
    void draw(int drawing);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int currentDrawing = 1;
};

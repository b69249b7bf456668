#pragma once

#include "engine/trend/TrendReduction.h"
#include "engine/trend/TrendTicks.h"

#include <QPen>
#include <QWidget>
#include <limits>
#include <vector>

struct TrendChartPlan;
class QKeyEvent;
class QPainter;

// One chart of the Trend window, drawn by hand: its readings and limits
// (broken where the recording broke), open, failure and session marks, the
// readout cursor and a rubber band. The window gives every chart the same
// horizontal range and the same left and right plot edges, so one cycle sits
// at the same x in each.
class TrendPlot : public QWidget
{
    Q_OBJECT

public:
    // What the pointer and the keys ask for on a chart; the window does it
    // to all charts at once.
    class Events
    {
    public:
        virtual ~Events() = default;
        virtual void pointed(TrendPlot &plot, double x) = 0;
        virtual void banding(TrendRange band) = 0;   // from > to: the band is gone
        virtual void banded(TrendRange band) = 0;    // let go: zoom to it
        virtual void panned(double by) = 0;
        virtual void wheeled(double x, double factor) = 0;
        virtual bool keyed(TrendPlot &plot, const QKeyEvent &event) = 0;
    };

    TrendPlot(const TrendChartPlan &plan, Events &events, QWidget *parent = nullptr);

    const TrendChartPlan &plan() const { return chart; }

    // This chart's lines and marks from a reduction, its values in unit.
    void setData(const TrendReduction &reduction, const QString &unit);
    // The horizontal axis: its range and ticks, whether this chart writes the
    // tick labels, and the range in words for screen readers.
    void setAxis(TrendRange range, const QList<TrendTick> &ticks, bool labelled, const QString &title,
                 const QString &rangeText);
    // The left margin this chart's value labels need, and the one all share.
    int neededLeftMargin() const;
    void setLeftMargin(int pixels);
    void setCursorAt(double x);      // NaN: no cursor
    void setBand(TrendRange band);   // from > to: no band

    QRect plotArea() const { return plotRect; }
    double positionAt(double pixel) const;
    double pixelAt(double x) const;
    double cursorAt() const { return cursorX; }
    QString unitText() const { return unit; }
    const QList<TrendTick> &valueTicks() const { return yTicks; }
    bool failuresAsTicks() const { return failureTicks; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Line
    {
        QList<QPointF> points;
        QPen pen;
        bool reading;
    };
    enum class Drag { None, Band, Pan };

    void placeArea();
    void placeFailureMarks();
    void fitValues();
    QRect valueArea() const;
    double heightOf(double value) const;
    void paintGrid(QPainter &painter) const;
    void paintLines(QPainter &painter) const;
    void paintMarks(QPainter &painter) const;
    void paintLabels(QPainter &painter) const;
    void describe();

    const TrendChartPlan &chart;
    Events &events;
    std::vector<Line> lines;
    QList<double> openAt, failureAt, sessionAt;
    QList<int> failureCount;
    bool failureTicks = false;
    QString unit;
    double low = 0, high = 1, bottom = 0, top = 1, openY = 1;
    QList<TrendTick> yTicks, xTicks;
    TrendRange range{0, 1};
    bool labelled = false;
    QString axisTitle, rangeText;
    int leftMargin = 60;
    QRect plotRect;
    double cursorX = std::numeric_limits<double>::quiet_NaN();
    TrendRange band{1, 0};
    Drag drag = Drag::None;
    double dragStart = 0, dragLast = 0;
};

// Every chart's lines from one reduction, each in its own unit or else
// `contactUnit`, their plot areas given one left edge so a cycle sits at
// the same x in each.
void showAligned(const std::vector<TrendPlot *> &plots, const TrendReduction &reduction, const QString &contactUnit);

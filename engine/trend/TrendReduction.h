#pragma once

#include <QList>
#include <QPointF>

class TrendHistory;

// The quantities the Trend window draws, each a line against the cycle count.
enum TrendSeries : int {
    ContactDownSeries, ContactUpSeries, BounceDownSeries, BounceUpSeries, TimeDownSeries, TimeUpSeries,
    FailureSeries, SeriesCount
};

// The limits drawn beside them.
enum TrendLimitSeries : int {
    MinContactDownLimit, MaxContactDownLimit, MinContactUpLimit, MaxContactUpLimit,
    BounceDownLimit, BounceUpLimit, MinTimeDownLimit, MaxTimeDownLimit, MinTimeUpLimit, MaxTimeUpLimit,
    LimitCount
};

// A history reduced to what a chart of a given width can show: for each pixel
// column the smallest and the largest value of every series (so that a single
// spike among a million samples is still drawn), in the order they occurred.
struct TrendReduction
{
    double firstCycle = 0, lastCycle = 0;
    QList<QPointF> series[SeriesCount];
    QList<QPointF> limits[LimitCount];
    QList<double> openCycles[2];   // columns holding an open contact reading, down and up stroke
    QList<double> failureCycles;   // columns holding a sample with a new failure
};

TrendReduction ReduceTrend(const TrendHistory &history, int columns);

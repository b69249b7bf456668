#pragma once

#include "engine/trend/TrendHistory.h"

#include <QList>
#include <QPointF>
#include <algorithm>
#include <cmath>

// The quantities the Trend window draws, each a line along the axis.
enum TrendSeries : int {
    ContactDownSeries,
    ContactUpSeries,
    BounceDownSeries,
    BounceUpSeries,
    TimeDownSeries,
    TimeUpSeries,
    FailureSeries,
    SeriesCount
};

// The limits drawn beside them.
enum TrendLimitSeries : int {
    MinContactDownLimit,
    MaxContactDownLimit,
    MinContactUpLimit,
    MaxContactUpLimit,
    BounceDownLimit,
    BounceUpLimit,
    MinTimeDownLimit,
    MaxTimeDownLimit,
    MinTimeUpLimit,
    MaxTimeUpLimit,
    LimitCount
};

// What a sample shows in a series (NaN unknown, +inf an open contact), and a limit.
float seriesValue(const TrendSample &sample, TrendSeries series);
float limitValue(const TrendLimits &limits, TrendLimitSeries which);

// A stretch of an axis: cycles, or wall-clock milliseconds.
struct TrendRange
{
    double from = 0, to = 0;

    double span() const { return to - from; }
    bool contains(double x) const { return x >= from && x <= to; }
    bool operator==(const TrendRange &other) const { return from == other.from && to == other.to; }
    bool operator!=(const TrendRange &other) const { return !(*this == other); }
};

// Where a position falls among the pixel columns of a range. Every index is
// held within the columns on both sides: a position beyond the range, or a
// run whose cycle count went below its start, lands in an edge column.
class TrendColumnScale
{
public:
    TrendColumnScale(TrendRange range, int columns)
        : first(range.from), lastColumn(std::max(1, columns) - 1),
          perUnit(range.span() > 0 ? columns / range.span() : 0)
    {
    }

    int column(double x) const
    {
        // Truncation rounds down here: what reaches it is not negative.
        const double c = (x - first) * perUnit;
        if (!(c > 0))
            return 0;
        return int(std::min(c, double(lastColumn)));
    }

private:
    double first;
    int lastColumn;
    double perUnit;
};

// A history reduced to what a chart of a given width can show of a range of
// an axis: for each pixel column the smallest and the largest value of every
// series (so that a single spike among a million samples is still drawn), in
// the order they occurred. A line that runs on beyond the range reaches its
// edge; a line that breaks (a gap, a new session, a counter reset) has a
// point with NaN coordinates there.
struct TrendReduction
{
    TrendAxis axis = TrendAxis::Cycles;
    TrendRange range;
    QList<QPointF> series[SeriesCount];
    QList<QPointF> limits[LimitCount];
    QList<double> openAt[2];   // the first open reading of each column holding one, down and up stroke
    QList<double> failureAt;   // the first new failure of each column holding any ...
    QList<int> failureCount;   // ... and how many new failures that column holds
    QList<double> sessionAt;   // the first session start of each column holding one
};

inline bool isLineBreak(const QPointF &point)
{
    return std::isnan(point.x());
}

TrendReduction reduceTrend(const TrendHistory &history, TrendAxis axis, TrendRange range, int columns);
// The whole run along the cycle count.
TrendReduction reduceTrend(const TrendHistory &history, int columns);

#include "engine/trend/TrendReduction.h"

#include "engine/trend/TrendHistory.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The extremes of one series within one pixel column.
struct Extremes
{
    double minX, minY, maxX, maxY;
    bool any = false;

    // Unknown (NaN) and open (infinite) values are not drawn as numbers.
    void add(double x, float y)
    {
        if (!std::isfinite(y))
            return;
        if (!any) {
            minX = maxX = x;
            minY = maxY = y;
            any = true;
        } else if (y < minY) {
            minX = x;
            minY = y;
        } else if (y > maxY) {
            maxX = x;
            maxY = y;
        }
    }

    void merge(const Extremes &other)
    {
        if (!other.any)
            return;
        if (!any) {
            *this = other;
            return;
        }
        if (other.minY < minY) {
            minX = other.minX;
            minY = other.minY;
        }
        if (other.maxY > maxY) {
            maxX = other.maxX;
            maxY = other.maxY;
        }
    }
};

// Columns of extremes for one series, turned into at most two points each.
class ColumnSeries
{
public:
    explicit ColumnSeries(int columns) : cells(size_t(columns)) {}

    void add(int column, double x, float y)
    {
        cells[size_t(column)].add(x, y);
    }

    void merge(int column, const Extremes &extremes)
    {
        cells[size_t(column)].merge(extremes);
    }

    QList<QPointF> points() const
    {
        QList<QPointF> out;
        out.reserve(qsizetype(cells.size()) * 2);
        for (const Extremes &c : cells) {
            if (!c.any)
                continue;
            const QPointF low(c.minX, c.minY), high(c.maxX, c.maxY);
            if (c.minX == c.maxX && c.minY == c.maxY) {
                out.append(low);
            } else if (c.minX <= c.maxX) {
                out.append(low);
                out.append(high);
            } else {
                out.append(high);
                out.append(low);
            }
        }
        return out;
    }

private:
    std::vector<Extremes> cells;
};

// Where a cycle falls among the pixel columns.
class ColumnScale
{
public:
    ColumnScale(double first, double last, int columns)
        : first(first), lastColumn(columns - 1),
          perCycle(last > first ? columns / (last - first) : 0)
    {
    }

    // A count below the first sample's (a tester that sent a negative one)
    // falls into the first column, never before it.
    int column(double cycle) const
    {
        return int(std::clamp((cycle - first) * perCycle, 0.0, double(lastColumn)));
    }

private:
    double first;
    int lastColumn;
    double perCycle;
};

float limitValue(const TrendLimits &l, int which)
{
    switch (which) {
    case MinContactDownLimit: return l.minContact[TrendDown];
    case MaxContactDownLimit: return l.maxContact[TrendDown];
    case MinContactUpLimit: return l.minContact[TrendUp];
    case MaxContactUpLimit: return l.maxContact[TrendUp];
    case BounceDownLimit: return l.maxBounce[TrendDown];
    case BounceUpLimit: return l.maxBounce[TrendUp];
    case MinTimeDownLimit: return l.minTime[TrendDown];
    case MaxTimeDownLimit: return l.maxTime[TrendDown];
    case MinTimeUpLimit: return l.minTime[TrendUp];
    case MaxTimeUpLimit: return l.maxTime[TrendUp];
    default: return NAN;
    }
}

} // namespace

TrendReduction ReduceTrend(const TrendHistory &history, int columns)
{
    TrendReduction out;
    if (history.empty())
        return out;
    columns = std::max(1, columns);
    out.firstCycle = double(history.at(0).cycle);
    out.lastCycle = double(history.at(history.size() - 1).cycle);
    const ColumnScale scale(out.firstCycle, out.lastCycle, columns);

    std::vector<ColumnSeries> series(SeriesCount, ColumnSeries(columns));
    // The first open reading and the first new failure of each column.
    const std::vector<double> none(size_t(columns), NAN);
    std::vector<double> open[2] = {none, none};
    std::vector<double> failures = none;

    // Samples come in cycle order: one column is gathered in local extremes
    // and merged into its cells when the next column begins.
    Extremes local[SeriesCount];
    double openAt[2] = {NAN, NAN}, failureAt = NAN;
    int current = -1;
    const auto flush = [&] {
        if (current < 0)
            return;
        const size_t c = size_t(current);
        for (int k = 0; k < SeriesCount; ++k) {
            series[size_t(k)].merge(current, local[k]);
            local[k] = Extremes();
        }
        for (int stroke = 0; stroke < 2; ++stroke) {
            if (std::isnan(open[stroke][c]))
                open[stroke][c] = openAt[stroke];
            openAt[stroke] = NAN;
        }
        if (std::isnan(failures[c]))
            failures[c] = failureAt;
        failureAt = NAN;
    };
    const size_t n = history.size();
    for (size_t i = 0; i < n; ++i) {
        const TrendSample &s = history.at(i);
        const double x = double(s.cycle);
        const int c = scale.column(x);
        if (c != current) {
            flush();
            current = c;
        }
        for (int stroke = 0; stroke < 2; ++stroke) {
            const float contact = s.contact[stroke];
            if (std::isinf(contact)) {
                if (std::isnan(openAt[stroke]))
                    openAt[stroke] = x;
            } else {
                local[ContactDownSeries + stroke].add(x, contact);
            }
            local[BounceDownSeries + stroke].add(x, s.bounce[stroke]);
            local[TimeDownSeries + stroke].add(x, s.strokeTime[stroke]);
        }
        local[FailureSeries].add(x, float(s.failCount));
        if (s.newFailure && std::isnan(failureAt))
            failureAt = x;
    }
    flush();
    for (int k = 0; k < SeriesCount; ++k)
        out.series[k] = series[size_t(k)].points();

    // Limits hold from a segment's first sample to the next segment's first:
    // drawn as steps, two points a segment, or as column extremes when there
    // are more segments than columns.
    const auto &segments = history.segments();
    const auto segmentStart = [&](size_t k) { return double(history.at(segments[k].first).cycle); };
    const auto segmentEnd = [&](size_t k) {
        return k + 1 < segments.size() ? segmentStart(k + 1) : out.lastCycle;
    };
    for (int which = 0; which < LimitCount; ++which) {
        QList<QPointF> &line = out.limits[which];
        if (segments.size() <= size_t(columns)) {
            for (size_t k = 0; k < segments.size(); ++k) {
                const float y = limitValue(segments[k].limits, which);
                if (!std::isfinite(y))
                    continue;
                line.append(QPointF(segmentStart(k), y));
                line.append(QPointF(segmentEnd(k), y));
            }
        } else {
            ColumnSeries steps(columns);
            for (size_t k = 0; k < segments.size(); ++k) {
                const float y = limitValue(segments[k].limits, which);
                steps.add(scale.column(segmentStart(k)), segmentStart(k), y);
                steps.add(scale.column(segmentEnd(k)), segmentEnd(k), y);
            }
            line = steps.points();
        }
    }

    for (size_t c = 0; c < size_t(columns); ++c) {
        for (int stroke = 0; stroke < 2; ++stroke) {
            if (!std::isnan(open[stroke][c]))
                out.openCycles[stroke].append(open[stroke][c]);
        }
        if (!std::isnan(failures[c]))
            out.failureCycles.append(failures[c]);
    }
    return out;
}

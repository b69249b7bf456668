#include "engine/trend/TrendReduction.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

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

// A column's extremes as at most two points, in the order they occurred.
void appendExtremes(QList<QPointF> &line, const Extremes &c)
{
    if (!c.any)
        return;
    const QPointF low(c.minX, c.minY), high(c.maxX, c.maxY);
    if (c.minX == c.maxX && c.minY == c.maxY) {
        line.append(low);
    } else if (c.minX <= c.maxX) {
        line.append(low);
        line.append(high);
    } else {
        line.append(high);
        line.append(low);
    }
}

void appendBreak(QList<QPointF> &line)
{
    if (!line.isEmpty() && !isLineBreak(line.last()))
        line.append(QPointF(NaN, NaN));
}

void trimBreak(QList<QPointF> &line)
{
    if (!line.isEmpty() && isLineBreak(line.last()))
        line.removeLast();
}

using SeriesValues = std::array<float, SeriesCount>;

// A sample's values in series order; an open contact (+inf) is a mark, and
// Extremes::add leaves it out of the line.
SeriesValues valuesOf(const TrendSample &s)
{
    static_assert(SeriesCount == 7, "one value for each series");
    return {s.contact[TrendDown],    s.contact[TrendUp],    s.bounce[TrendDown], s.bounce[TrendUp],
            s.strokeTime[TrendDown], s.strokeTime[TrendUp], float(s.failCount)};
}

bool breaksLine(TrendJoin join)
{
    return join != TrendJoin::Joined;
}

bool beginsSession(TrendJoin join)
{
    return join == TrendJoin::Gap || join == TrendJoin::NewSession;
}

// One reduction: the samples of the stretches that reach into the range are
// gathered into pixel columns, then each column gives its points and marks.
class Reducer
{
public:
    Reducer(const TrendHistory &history, TrendAxis axis, TrendRange range, int columns)
        : history(history), axis(axis), range(range), columns(columns), scale(range, columns), gap(history.gapMs()),
          head(size_t(SeriesCount) * size_t(columns)), tail(head.size()), broken(size_t(columns)),
          failureAt(size_t(columns), NaN), sessionAt(size_t(columns), NaN), failures(size_t(columns))
    {
        openAt[0] = openAt[1] = failureAt;
    }

    TrendReduction result()
    {
        const int a = int(axis);
        const auto &spans = history.spans();
        for (size_t k = 0; k < spans.size(); ++k) {
            if (spans[k].low[a] <= range.to && spans[k].high[a] >= range.from)
                scan(k * TrendHistory::SpanSize, std::min(history.size(), (k + 1) * TrendHistory::SpanSize));
        }
        flush();
        TrendReduction out;
        out.axis = axis;
        out.range = range;
        collectSeries(out);
        collectLimits(out);
        collectMarks(out);
        return out;
    }

private:
    // The samples of one stretch, which all lie in one block, and the first
    // of the next stretch, which ends the line from this one.
    void scan(size_t begin, size_t end)
    {
        const TrendSample *samples = &history.at(begin);
        const TrendSample *before = begin > 0 ? &history.at(begin - 1) : nullptr;
        double beforeX = NaN;
        bool beforeInside = false;
        const size_t last = std::min(end, history.size() - 1);
        for (size_t i = begin; i <= last; ++i) {
            const TrendSample &sample = i < end ? samples[i - begin] : history.at(i);
            const double x = sample.position(axis);
            const bool inside = range.contains(x);
            const TrendJoin join = before ? trendJoinBetween(*before, sample, gap) : TrendJoin::Joined;
            if (!(inside && beforeInside) && !std::isnan(x) && !std::isnan(beforeX) && !breaksLine(join))
                crossEdges(*before, beforeX, sample, x);
            if (inside && i < end)
                take(sample, x, join);
            before = &sample;
            beforeX = x;
            beforeInside = inside;
        }
    }

    void take(const TrendSample &sample, double x, TrendJoin join)
    {
        const size_t c = size_t(scale.column(x));
        if (breaksLine(join))
            broken[c] = true;
        if (beginsSession(join) && std::isnan(sessionAt[c]))
            sessionAt[c] = x;
        if (sample.newFailure() && failures[c]++ == 0)
            failureAt[c] = x;
        for (int stroke = 0; stroke < 2; ++stroke) {
            if (std::isinf(sample.contact[stroke]) && std::isnan(openAt[stroke][c]))
                openAt[stroke][c] = x;
        }
        place(int(c), x, valuesOf(sample));
    }

    // The line from one sample to the next, where it crosses an edge of the
    // range: a point on the edge, in the order the line crosses them.
    void crossEdges(const TrendSample &a, double xa, const TrendSample &b, double xb)
    {
        const SeriesValues from = valuesOf(a), to = valuesOf(b);
        const auto cross = [&](double edge) {
            const double t = (edge - xa) / (xb - xa);
            SeriesValues values;
            // An unknown or open end gives no number, which the line leaves out.
            for (size_t k = 0; k < values.size(); ++k)
                values[k] = float(from[k] + t * (to[k] - from[k]));
            place(scale.column(edge), edge, values);
        };
        const bool crossesStart = (xa < range.from) != (xb < range.from);
        const bool crossesEnd = (xa > range.to) != (xb > range.to);
        if (crossesStart && xa < xb)
            cross(range.from);
        if (crossesEnd)
            cross(range.to);
        if (crossesStart && xa > xb)
            cross(range.from);
    }

    // Samples come in order: one column is gathered in local extremes and
    // merged into its cells when the next column (or a break) begins.
    void place(int column, double x, const SeriesValues &values)
    {
        const bool afterBreak = broken[size_t(column)];
        if (column != localColumn || afterBreak != localAfterBreak) {
            flush();
            localColumn = column;
            localAfterBreak = afterBreak;
        }
        for (int k = 0; k < SeriesCount; ++k)
            local[k].add(x, values[size_t(k)]);
    }

    void flush()
    {
        if (localColumn < 0)
            return;
        std::vector<Extremes> &cells = localAfterBreak ? tail : head;
        for (int k = 0; k < SeriesCount; ++k) {
            cells[cell(k, localColumn)].merge(local[k]);
            local[k] = Extremes();
        }
        localColumn = -1;
    }

    size_t cell(int series, int column) const { return size_t(series) * size_t(columns) + size_t(column); }

    void collectSeries(TrendReduction &out) const
    {
        for (int k = 0; k < SeriesCount; ++k) {
            QList<QPointF> &line = out.series[k];
            line.reserve(qsizetype(columns) * 2);
            for (int c = 0; c < columns; ++c) {
                appendExtremes(line, head[cell(k, c)]);
                if (broken[size_t(c)])
                    appendBreak(line);
                appendExtremes(line, tail[cell(k, c)]);
            }
            trimBreak(line);
        }
    }

    // Limits hold from a segment's first sample to the next segment's first:
    // drawn as steps, two points a segment (broken where a stroke is not
    // tested), or as column extremes when there are more segments than columns.
    void collectLimits(TrendReduction &out) const
    {
        const auto &segments = history.segments();
        const bool steps = segments.size() <= size_t(columns);
        for (int which = 0; which < LimitCount; ++which) {
            QList<QPointF> &line = out.limits[which];
            std::vector<Extremes> cells(steps ? 0 : size_t(columns));
            for (size_t k = 0; k < segments.size(); ++k) {
                const size_t end = k + 1 < segments.size() ? segments[k + 1].first : history.size() - 1;
                const double start = history.at(segments[k].first).position(axis),
                             stop = history.at(end).position(axis);
                const float y = limitValue(segments[k].limits, TrendLimitSeries(which));
                if (std::isnan(start) || std::isnan(stop)) {
                    appendBreak(line);
                    continue;
                }
                const double low = std::max(std::min(start, stop), range.from);
                const double high = std::min(std::max(start, stop), range.to);
                if (low > high)
                    continue;
                if (!steps) {
                    cells[size_t(scale.column(low))].add(low, y);
                    cells[size_t(scale.column(high))].add(high, y);
                } else if (std::isfinite(y)) {
                    line.append(QPointF(low, y));
                    line.append(QPointF(high, y));
                } else {
                    appendBreak(line);
                }
            }
            for (const Extremes &c : cells)
                appendExtremes(line, c);
            trimBreak(line);
        }
    }

    void collectMarks(TrendReduction &out) const
    {
        for (size_t c = 0; c < size_t(columns); ++c) {
            for (int stroke = 0; stroke < 2; ++stroke) {
                if (!std::isnan(openAt[stroke][c]))
                    out.openAt[stroke].append(openAt[stroke][c]);
            }
            if (failures[c] > 0) {
                out.failureAt.append(failureAt[c]);
                out.failureCount.append(failures[c]);
            }
            if (!std::isnan(sessionAt[c]))
                out.sessionAt.append(sessionAt[c]);
        }
    }

    const TrendHistory &history;
    const TrendAxis axis;
    const TrendRange range;
    const int columns;
    const TrendColumnScale scale;
    const int64_t gap;

    // Per series and column: the part before a break in the column, the part after it.
    std::vector<Extremes> head, tail;
    std::vector<char> broken;
    std::vector<double> openAt[2], failureAt, sessionAt;
    std::vector<int> failures;

    Extremes local[SeriesCount];
    int localColumn = -1;
    bool localAfterBreak = false;
};

}   // namespace

float seriesValue(const TrendSample &sample, TrendSeries series)
{
    switch (series) {
    case ContactDownSeries: return sample.contact[TrendDown];
    case ContactUpSeries: return sample.contact[TrendUp];
    case BounceDownSeries: return sample.bounce[TrendDown];
    case BounceUpSeries: return sample.bounce[TrendUp];
    case TimeDownSeries: return sample.strokeTime[TrendDown];
    case TimeUpSeries: return sample.strokeTime[TrendUp];
    case FailureSeries: return float(sample.failCount);
    default: return float(NaN);
    }
}

float limitValue(const TrendLimits &l, TrendLimitSeries which)
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
    default: return float(NaN);
    }
}

TrendReduction reduceTrend(const TrendHistory &history, TrendAxis axis, TrendRange range, int columns)
{
    if (history.empty() || !(range.from <= range.to)) {
        TrendReduction none;
        none.axis = axis;
        none.range = range;
        return none;
    }
    return Reducer(history, axis, range, std::max(1, columns)).result();
}

TrendReduction reduceTrend(const TrendHistory &history, int columns)
{
    TrendRange whole;
    history.extent(TrendAxis::Cycles, whole.from, whole.to);
    return reduceTrend(history, TrendAxis::Cycles, whole, columns);
}

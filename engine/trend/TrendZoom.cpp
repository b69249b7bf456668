#include "engine/trend/TrendZoom.h"

#include <algorithm>

namespace {

// The zoom stops where a chart shows a handful of samples.
constexpr double SmallestCycles = 4;
constexpr double SmallestMs = 4000;

}   // namespace

TrendRange wholeRun(const TrendHistory &history, TrendAxis axis)
{
    TrendRange whole;
    if (!history.extent(axis, whole.from, whole.to))
        return {0, 1};
    if (whole.from == whole.to) {
        const double pad = axis == TrendAxis::Cycles ? 1 : 1000;
        whole.from -= pad;
        whole.to += pad;
    }
    return whole;
}

double smallestSpan(TrendAxis axis)
{
    return axis == TrendAxis::Cycles ? SmallestCycles : SmallestMs;
}

TrendRange clampedRange(TrendRange wanted, TrendRange whole, TrendAxis axis)
{
    const double span = std::max(wanted.span(), smallestSpan(axis));
    if (!(span < whole.span()))
        return whole;
    const double middle = (wanted.from + wanted.to) / 2;
    const double from = std::clamp(middle - span / 2, whole.from, whole.to - span);
    return {from, from + span};
}

TrendRange zoomedAround(TrendRange view, double x, double factor)
{
    return {x - (x - view.from) * factor, x + (view.to - x) * factor};
}

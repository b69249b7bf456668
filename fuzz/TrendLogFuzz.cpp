// The data log reader on any bytes, and the Trend window's reduction of what
// it read at several chart widths: every point lies within the run and each
// pixel column holds at most two points of a series.

#include "FuzzSupport.h"

#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLogReader.h"
#include "engine/trend/TrendReduction.h"

namespace {

void CheckPoints(const TrendReduction &r, const QList<QPointF> &points, int columns)
{
    FuzzCheck(points.size() <= 2 * qsizetype(columns), "at most two points a column");
    for (const QPointF &p : points)
        FuzzCheck(p.x() >= r.firstCycle && p.x() <= r.lastCycle, "every point lies within the run");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TrendHistory history;
    const TrendLogResult result = ReadTrendLog(InputFilePath(data, size), history);
    FuzzCheck(result.opened, "the log opens");
    FuzzCheck(size_t(result.samples) == history.size(), "every sample read is kept");
    // A narrow chart, one of odd width, a usual one.
    for (int columns : {1, 7, 600}) {
        const TrendReduction r = ReduceTrend(history, columns);
        for (const QList<QPointF> &series : r.series)
            CheckPoints(r, series, columns);
        for (const QList<QPointF> &limit : r.limits)
            CheckPoints(r, limit, columns);
    }
    return 0;
}

// The data log reader on any bytes, and the Trend window's reduction of what
// it read at several chart widths, along both axes, for the whole run and
// its middle half: every point lies within the range or breaks the line,
// and each pixel column holds at most two points before and two after a
// break.

#include "FuzzSupport.h"

#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLogReader.h"
#include "engine/trend/TrendReduction.h"
#include "engine/trend/TrendZoom.h"

namespace {

void checkPoints(const TrendReduction &r, const QList<QPointF> &points, int columns)
{
    fuzzCheck(points.size() <= 5 * qsizetype(columns), "at most five points a column");
    for (const QPointF &p : points)
        fuzzCheck(isLineBreak(p) || r.range.contains(p.x()), "every point lies within the range");
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TrendHistory history;
    const TrendLogResult result = readTrendLog(inputFilePath(data, size), history);
    fuzzCheck(result.opened, "the log opens");
    fuzzCheck(size_t(result.samples) == history.size(), "every sample read is kept");
    for (TrendAxis axis : {TrendAxis::Cycles, TrendAxis::Time}) {
        const TrendRange whole = wholeRun(history, axis);
        const double quarter = (whole.to - whole.from) / 4;
        for (TrendRange range : {whole, TrendRange{whole.from + quarter, whole.to - quarter}}) {
            // A narrow chart, one of odd width, a usual one.
            for (int columns : {1, 7, 600}) {
                const TrendReduction r = reduceTrend(history, axis, range, columns);
                for (const QList<QPointF> &series : r.series)
                    checkPoints(r, series, columns);
                for (const QList<QPointF> &limit : r.limits)
                    checkPoints(r, limit, columns);
            }
        }
    }
    return 0;
}

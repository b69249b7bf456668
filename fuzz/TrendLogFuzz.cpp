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

void CheckPoints(const TrendReduction &r, const QList<QPointF> &points, int columns)
{
    FuzzCheck(points.size() <= 5 * qsizetype(columns), "at most five points a column");
    for (const QPointF &p : points)
        FuzzCheck(IsLineBreak(p) || r.range.contains(p.x()), "every point lies within the range");
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TrendHistory history;
    const TrendLogResult result = ReadTrendLog(InputFilePath(data, size), history);
    FuzzCheck(result.opened, "the log opens");
    FuzzCheck(size_t(result.samples) == history.size(), "every sample read is kept");
    for (TrendAxis axis : {TrendAxis::Cycles, TrendAxis::Time}) {
        const TrendRange whole = WholeRun(history, axis);
        const double quarter = (whole.to - whole.from) / 4;
        for (TrendRange range : {whole, TrendRange{whole.from + quarter, whole.to - quarter}}) {
            // A narrow chart, one of odd width, a usual one.
            for (int columns : {1, 7, 600}) {
                const TrendReduction r = ReduceTrend(history, axis, range, columns);
                for (const QList<QPointF> &series : r.series)
                    CheckPoints(r, series, columns);
                for (const QList<QPointF> &limit : r.limits)
                    CheckPoints(r, limit, columns);
            }
        }
    }
    return 0;
}

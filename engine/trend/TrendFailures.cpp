#include "engine/trend/TrendFailures.h"

#include <algorithm>
#include <cmath>
#include <limits>

double TrendRangeFailures::perTenThousand() const
{
    if (cycles <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    return double(failures) * 10000.0 / double(cycles);
}

TrendRangeFailures trendRangeFailures(const TrendHistory &history, TrendAxis axis, TrendRange range)
{
    TrendRangeFailures f;
    const int a = int(axis);
    const std::vector<TrendHistory::Span> &spans = history.spans();
    // Only the stretches that reach into the range are read.
    for (size_t k = 0; k < spans.size(); ++k) {
        if (!(spans[k].low[a] <= range.to && spans[k].high[a] >= range.from))
            continue;
        const size_t end = std::min(history.size(), (k + 1) * TrendHistory::SpanSize);
        for (size_t i = k * TrendHistory::SpanSize; i < end; ++i) {
            const TrendSample &sample = history.at(i);
            if (!range.contains(sample.position(axis)))
                continue;
            if (f.first == TrendHistory::NoSample)
                f.first = i;
            f.last = i;
            ++f.samples;
            if (sample.newFailure()) {
                if (f.failures == 0)
                    f.cyclesToFirst = sample.cycle - history.at(f.first).cycle;
                ++f.failures;
            }
        }
    }
    if (f.samples > 0)
        f.cycles = history.at(f.last).cycle - history.at(f.first).cycle;
    return f;
}

QString trendRangeFailuresText(const TrendRangeFailures &f)
{
    if (f.samples == 0)
        return QStringLiteral("No sample");
    const QString first = f.cyclesToFirst < 0    ? QStringLiteral("No new failure")
                          : f.cyclesToFirst == 1 ? QStringLiteral("First failure after 1 cycle")
                                                 : QStringLiteral("First failure after %1 cycles").arg(f.cyclesToFirst);
    const QString count =
        f.failures == 1 ? QStringLiteral("1 new failure") : QStringLiteral("%1 new failures").arg(f.failures);
    const QString cycles = f.cycles == 1 ? QStringLiteral("1 cycle") : QStringLiteral("%1 cycles").arg(f.cycles);
    QString text = QStringLiteral("%1; %2 in %3").arg(first, count, cycles);
    // QString::number writes a full stop whatever the locale.
    const double rate = f.perTenThousand();
    if (!std::isnan(rate))
        text += QStringLiteral(", %1 per 10,000 cycles").arg(QString::number(rate, 'f', 2));
    return text;
}

#include "features/trend/TrendChartPlan.h"

#include "engine/state/StateTexts.h"

#include <QDateTime>
#include <QStringList>
#include <cmath>

namespace {

using TrendColors::Down;
using TrendColors::Failure;
using TrendColors::Up;

QString unitOfMode(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("ohms");
    case 1: return QStringLiteral("mA");
    case 2: return QStringLiteral("volts");
    default: return QStringLiteral("unit unknown");
    }
}

QString valueText(float value, const QString &unit)
{
    if (std::isinf(value))
        return QStringLiteral("open");
    if (std::isnan(value))
        return QStringLiteral("not measured");
    return trendNumber(value) + QLatin1Char(' ') + unit;
}

QString swatch(const QColor &color, const QString &glyph, const QString &text)
{
    return QStringLiteral("<span style=\"color:%1\">%2</span>&nbsp;%3").arg(color.name(), glyph, text);
}

}   // namespace

const std::vector<TrendChartPlan> &trendChartPlans()
{
    using K = TrendLineKind;
    static const std::vector<TrendChartPlan> plans = {
        {"DownContactChart",
         "Down stroke: last contact reading",
         nullptr,
         {{K::Reading, ContactDownSeries, Down, "down contact"},
          {K::Limit, MinContactDownLimit, Down, nullptr},
          {K::Limit, MaxContactDownLimit, Down, nullptr}},
         {TrendDown},
         false,
         3},
        {"UpContactChart",
         "Up stroke: last contact reading",
         nullptr,
         {{K::Reading, ContactUpSeries, Up, "up contact"},
          {K::Limit, MinContactUpLimit, Up, nullptr},
          {K::Limit, MaxContactUpLimit, Up, nullptr}},
         {TrendUp},
         false,
         3},
        {"BounceChart",
         "Last bounce time",
         "seconds",
         {{K::Reading, BounceDownSeries, Down, "down bounce"},
          {K::Reading, BounceUpSeries, Up, "up bounce"},
          {K::Limit, BounceDownLimit, Down, nullptr},
          {K::Limit, BounceUpLimit, Up, nullptr}},
         {},
         false,
         3},
        {"StrokeTimeChart",
         "Last stroke time",
         "seconds",
         {{K::Reading, TimeDownSeries, Down, "down stroke time"},
          {K::Reading, TimeUpSeries, Up, "up stroke time"},
          {K::Limit, MinTimeDownLimit, Down, nullptr},
          {K::Limit, MaxTimeDownLimit, Down, nullptr},
          {K::Limit, MinTimeUpLimit, Up, nullptr},
          {K::Limit, MaxTimeUpLimit, Up, nullptr}},
         {},
         false,
         3},
        {"FailureChart",
         "Failure count",
         "failures",
         {{K::Reading, FailureSeries, Failure, "failure count"}},
         {},
         true,
         2},
    };
    return plans;
}

QString contactUnit(const TrendHistory &history)
{
    QStringList units;
    int lastMode = -100;
    for (const auto &segment : history.segments()) {
        const int mode = segment.limits.mode;
        if (mode == lastMode || mode < 0 || mode > 2)
            continue;
        units.append(unitOfMode(mode));
        lastMode = mode;
    }
    return units.isEmpty() ? unitOfMode(-1) : units.join(QStringLiteral(", then "));
}

QString trendNumber(double value)
{
    if (std::abs(value) >= 1e5)
        return QString::number(value, 'f', 0);
    return QString::number(value, 'g', 5);
}

QString trendReadout(const TrendHistory &history, size_t index, const TrendChartPlan &chart)
{
    if (index >= history.size())
        return QString();
    const TrendSample &sample = history.at(index);
    const QString time = sample.timeMs == TrendUnknownTime ? QStringLiteral("time unknown")
                                                           : formatSampleTime(trendWallClock(sample.timeMs));
    const QString unit =
        chart.unit ? QString::fromLatin1(chart.unit) : unitOfMode(history.segmentOf(index).limits.mode);
    QStringList values;
    // The failure count ends every readout.
    for (const TrendLinePlan &line : chart.lines) {
        if (line.kind == TrendLineKind::Reading && line.index != FailureSeries)
            values.append(QString::fromLatin1(line.name) + QLatin1Char(' ')
                          + valueText(seriesValue(sample, TrendSeries(line.index)), unit));
    }
    QString text = QStringLiteral("Cycle %1, %2: ").arg(sample.cycle).arg(time);
    if (!values.isEmpty())
        text += values.join(QStringLiteral(", ")) + QStringLiteral("; ");
    text += sample.failCount == 1 ? QStringLiteral("1 failure") : QStringLiteral("%1 failures").arg(sample.failCount);
    text +=
        sample.newFailure() ? QStringLiteral(", a new failure with this sample") : QStringLiteral(", no new failure");
    return text;
}

QString trendLegendHtml()
{
    const QString square = QStringLiteral("&#9632;");
    const QStringList entries = {
        swatch(Down, square, QStringLiteral("Down stroke")),
        swatch(Up, square, QStringLiteral("Up stroke")),
        swatch(Failure, square, QStringLiteral("Failures: the count, and a mark at each new failure")),
        swatch(TrendColors::Open, QStringLiteral("&#9650;"), QStringLiteral("Open contact (at the top)")),
        swatch(TrendColors::Session, QStringLiteral("&#9478;"), QStringLiteral("Session start")),
        QStringLiteral("solid line: reading, dashed line: limit"),
    };
    return entries.join(QStringLiteral("&nbsp;&nbsp;&nbsp; "));
}

QString trendLegendText()
{
    return QStringLiteral("Legend: blue, down stroke; orange, up stroke; red, failures: the count, and a mark at "
                          "each new failure; purple triangle, open contact at the top; grey dashed line, session "
                          "start; solid lines are readings, dashed lines limits");
}

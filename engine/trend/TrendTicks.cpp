#include "engine/trend/TrendTicks.h"

#include "engine/trend/TrendHistory.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Closer than this, full-height failure lines turn the chart into a red wall.
constexpr double MinFailureLinePitch = 10;

// The smallest of 1, 2 or 5 times a power of ten that is at least rough.
double roundStep(double rough)
{
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double mantissa = rough / power;
    constexpr double Slack = 1 + 1e-9;
    return power * (mantissa <= Slack ? 1 : mantissa <= 2 * Slack ? 2 : mantissa <= 5 * Slack ? 5 : 10);
}

QString numberLabel(double value, double step)
{
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    // No "-0" where a tick sits on zero.
    if (std::abs(value) < step * 1e-6)
        value = 0;
    return QString::number(value, 'f', decimals);
}

constexpr double Second = 1000, Minute = 60 * Second, Hour = 60 * Minute, Day = 24 * Hour;

double timeStep(double rough)
{
    static const double Steps[] = {100,         200,         500,         Second,  2 * Second, 5 * Second,
                                   10 * Second, 15 * Second, 30 * Second, Minute,  2 * Minute, 5 * Minute,
                                   10 * Minute, 15 * Minute, 30 * Minute, Hour,    2 * Hour,   3 * Hour,
                                   6 * Hour,    12 * Hour,   Day,         2 * Day, 7 * Day,    14 * Day};
    for (const double step : Steps) {
        if (step >= rough)
            return step;
    }
    return Day * roundStep(rough / Day);
}

// A tick's time; the date too where it changes (the year too when the ticks
// are days).
QString timeLabel(const QDateTime &at, double step, const QDateTime &before)
{
    const bool newDay = !before.isValid() || before.date() != at.date();
    if (step >= Day) {
        const bool newYear = !before.isValid() || before.date().year() != at.date().year();
        return QLocale::c().toString(at, newYear ? QStringLiteral("MM/dd/yyyy") : QStringLiteral("MM/dd"));
    }
    const QString time = step < Second   ? QStringLiteral("hh:mm:ss.zzz")
                         : step < Minute ? QStringLiteral("hh:mm:ss")
                                         : QStringLiteral("hh:mm");
    return QLocale::c().toString(at, newDay ? QStringLiteral("MM/dd ") + time : time);
}

// The tick positions: multiples of step from low to high.
template <typename Label>
QList<TrendTick> ticksAt(double low, double high, double step, int maxTicks, Label label)
{
    QList<TrendTick> ticks;
    const double first = std::ceil(low / step - 1e-9) * step;
    for (int k = 0; k <= maxTicks + 1; ++k) {
        const double value = first + k * step;
        if (value > high + step * 1e-9)
            break;
        ticks.append({value, label(value)});
    }
    return ticks;
}

}   // namespace

QList<TrendTick> valueAxisTicks(double low, double high, int maxTicks, bool counting)
{
    if (!(high > low) || !std::isfinite(high - low) || maxTicks < 1)
        return {};
    // A short axis still gets two ticks where a finer step gives them.
    QList<TrendTick> ticks;
    for (int wanted = maxTicks; ticks.size() < 2 && wanted <= 4 * maxTicks; wanted *= 2) {
        const double rough = roundStep((high - low) / wanted);
        const double step = counting ? std::max(1.0, rough) : rough;
        ticks = ticksAt(low, high, step, wanted, [step](double value) { return numberLabel(value, step); });
    }
    return ticks;
}

QList<TrendTick> timeTicks(double fromMs, double toMs, int maxTicks)
{
    if (!(toMs > fromMs) || !std::isfinite(toMs - fromMs) || maxTicks < 1)
        return {};
    const double step = timeStep((toMs - fromMs) / maxTicks);
    QDateTime before;
    return ticksAt(fromMs, toMs, step, maxTicks, [&](double value) {
        const QDateTime at = trendWallClock(int64_t(value));
        const QString label = timeLabel(at, step, before);
        before = at;
        return label;
    });
}

bool failureMarksCrowded(const QList<double> &failureAt, double pixelsPerUnit)
{
    // By the usual spacing: a burst of a few failures side by side draws a
    // thicker line, it does not cover the chart.
    std::vector<double> spacing;
    for (qsizetype i = 1; i < failureAt.size(); ++i)
        spacing.push_back(std::abs(failureAt[i] - failureAt[i - 1]) * pixelsPerUnit);
    if (spacing.empty())
        return false;
    std::nth_element(spacing.begin(), spacing.begin() + qsizetype(spacing.size() / 2), spacing.end());
    return spacing[spacing.size() / 2] < MinFailureLinePitch;
}

#include "engine/config/EditorComputations.h"

#include "engine/state/DataFormat.h"
#include "engine/state/NumberReader.h"

#include <algorithm>

namespace {

// Keeps the division below finite when every time field is empty.
constexpr double LeastCycleSeconds = 3E-6;
constexpr double MostCyclesPerHour = 100000;

QString oneDecimal(double value, const char *unit)
{
    return formatDecimal(value, 1, 1) + QLatin1String(unit);
}

}   // namespace

RateEstimate computeEstimateRate(const QString &maxUpTime, const QString &minUpTime, const QString &maxDownTime,
                                 const QString &minDownTime, bool constantRate, const QString &cycleLimit)
{
    // A stroke lasts as long as the larger of its two times: a minimum time
    // above its maximum is what the tester then waits for.
    auto strokeSeconds = [constantRate](const QString &maxText, const QString &minText) {
        const double longest = parseNumber(maxText);
        const double shortest = constantRate ? longest : parseNumber(minText);
        return std::max(longest, shortest);
    };
    double cycle = LeastCycleSeconds + strokeSeconds(maxUpTime, minUpTime) + strokeSeconds(maxDownTime, minDownTime);
    if (!(cycle > 0))
        cycle = LeastCycleSeconds;

    const double perHour = 3600 / cycle;
    if (perHour < 1 || perHour > MostCyclesPerHour)
        return {QStringLiteral("???"), QStringLiteral("???")};

    RateEstimate estimate;
    estimate.rate = formatDecimal(perHour, 0, 0) + QLatin1String(" / hr");
    const double seconds = parseNumber(cycleLimit) * cycle;
    const double minutes = seconds / 60;
    const double hours = minutes / 60;
    if (seconds < 60)
        estimate.time = oneDecimal(seconds, " secs");
    else if (minutes < 60)
        estimate.time = oneDecimal(minutes, " mins");
    else if (hours <= 24)   // a full day still shows as 24.0 hours
        estimate.time = oneDecimal(hours, " hours");
    else
        estimate.time = oneDecimal(hours / 24, " days");
    return estimate;
}

ThresholdTexts thresholdValues(const TesterState &s, int threshold)
{
    ThresholdTexts texts;
    texts.ohms = formatResistance(s, 4 * threshold, false);
    texts.percent = formatDecimal(threshold * 100.0 / 255, 1, 1) + QLatin1String(" %");
    texts.volts = formatDecimal(threshold * 5.0 / 255, 2, 2);
    return texts;
}

int16_t clampThreshold(int threshold)
{
    return int16_t(std::clamp(threshold, 0, 255));
}

#include "engine/procedures/DefaultConfig.h"

#include "engine/state/DataFormat.h"
#include "engine/state/NumberReader.h"
#include "engine/state/TesterState.h"

namespace {

constexpr int32_t FullScale = FullScaleCount;
// The closed side's upper tolerance is never below this count, so that a
// golden switch that reads a dead short does not leave a tolerance that an
// ordinary good contact fails.
constexpr int32_t ClosedFloor = 15;
// An open normally-open contact that reads full scale on the golden switch
// must still pass a few counts below it.
constexpr int32_t OpenCeiling = 1020;
constexpr int32_t LearnedLimit = 1000000;
constexpr int32_t MaxStrokeTime = 500;

}   // namespace

void setDefaultConfig(TesterState &s)
{
    s.pending.maxUpBounceTol = 62500;
    s.pending.maxDownBounceTol = 62500;
    s.pending.minDownResistTol = 0;
    s.pending.maxDownResistTol = FullScale;
    s.pending.minUpResistTol = 0;
    s.pending.maxUpResistTol = FullScale;
    s.pending.lowerBounce = 125;
    s.pending.upperBounce = 129;
    s.pending.contact = 0;
    s.pending.failLimit = 10;
    s.pending.seqLimit = 10;
    s.pending.cycleLimit = 10;
    s.pending.minUpTime = MaxStrokeTime;
    s.pending.maxUpTime = MaxStrokeTime;
    s.pending.minDownTime = MaxStrokeTime;
    s.pending.maxDownTime = MaxStrokeTime;
    s.pending.rangePullUp = s.reported.rangePullUp;
    s.pending.rangeMode = s.reported.rangeMode;
}

int32_t learnedContactLimit(const TesterState &s, int32_t count, bool upper)
{
    const double factor = upper ? 1.5 : 0.5;
    const double offset = upper ? 1 : -1;
    double x;
    if (s.reported.rangeMode == 0)
        x = countFromResistance(s, resistanceFromCount(s, count) * factor) + offset;
    else
        x = count * factor + offset;
    if (x < 0)
        x = 0;
    if (x > FullScale)
        x = FullScale;
    return int32_t(roundHalfEven(x));
}

int32_t learnedBounceTol(int32_t ticks)
{
    double x = 1.5 * ticks;
    if (x < 1250)
        x = 1250;
    if (x > 62500)
        x = 62500;
    return int32_t(roundHalfEven(x));
}

int32_t learnedStrokeTime(int32_t ms)
{
    double x = 1.5 * ms;
    if (x > MaxStrokeTime)
        x = MaxStrokeTime;
    else if (x < 50)
        x = 50;
    return int32_t(roundHalfEven(x));
}

void setLearnedConfig(TesterState &s)
{
    auto upper = [&s](int32_t count) { return learnedContactLimit(s, count, true); };
    auto lower = [&s](int32_t count) { return learnedContactLimit(s, count, false); };
    auto atLeastClosedFloor = [](int32_t count) { return count < ClosedFloor ? ClosedFloor : count; };

    if ((s.pending.contact & 3) == 1) {
        // Normally open: closed on the down stroke, open on the up stroke.
        s.pending.minDownResistTol = 0;
        s.pending.maxDownResistTol = atLeastClosedFloor(upper(s.counters.maxDownResistance));
        const int32_t openLow = lower(s.counters.minUpResistance);
        s.pending.minUpResistTol = openLow > OpenCeiling ? OpenCeiling : openLow;
        s.pending.maxUpResistTol = upper(s.counters.maxUpResistance);
    } else {
        s.pending.minDownResistTol = lower(s.counters.minDownResistance);
        s.pending.maxDownResistTol = upper(s.counters.maxDownResistance);
        s.pending.minUpResistTol = 0;
        s.pending.maxUpResistTol = atLeastClosedFloor(upper(s.counters.maxUpResistance));
    }
    s.pending.maxUpBounceTol = learnedBounceTol(s.counters.maxUpBounce);
    s.pending.maxDownBounceTol = learnedBounceTol(s.counters.maxDownBounce);
    s.pending.lowerBounce = s.reported.lowerBounce;
    s.pending.upperBounce = s.reported.upperBounce;
    s.pending.failLimit = LearnedLimit;
    s.pending.seqLimit = LearnedLimit;
    s.pending.cycleLimit = LearnedLimit;
    s.pending.minUpTime = learnedStrokeTime(s.counters.lastUpStrokeTime);
    s.pending.maxUpTime = MaxStrokeTime;
    s.pending.minDownTime = learnedStrokeTime(s.counters.lastDownStrokeTime);
    s.pending.maxDownTime = MaxStrokeTime;
}

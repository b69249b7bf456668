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
    s.sMaxUpBounceTol = 62500;
    s.sMaxDownBounceTol = 62500;
    s.sMinDownResistTol = 0;
    s.sMaxDownResistTol = FullScale;
    s.sMinUpResistTol = 0;
    s.sMaxUpResistTol = FullScale;
    s.sLowerBounce = 125;
    s.sUpperBounce = 129;
    s.sContact = 0;
    s.sFailLimit = 10;
    s.sSeqLimit = 10;
    s.sCycleLimit = 10;
    s.sMinUpTime = MaxStrokeTime;
    s.sMaxUpTime = MaxStrokeTime;
    s.sMinDownTime = MaxStrokeTime;
    s.sMaxDownTime = MaxStrokeTime;
    s.sRPullUp = s.vRPullUp;
    s.sRMode = s.vRMode;
}

int32_t learnedContactLimit(const TesterState &s, int32_t count, bool upper)
{
    const double factor = upper ? 1.5 : 0.5;
    const double offset = upper ? 1 : -1;
    double x;
    if (s.vRMode == 0)
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

    if ((s.sContact & 3) == 1) {
        // Normally open: closed on the down stroke, open on the up stroke.
        s.sMinDownResistTol = 0;
        s.sMaxDownResistTol = atLeastClosedFloor(upper(s.vMaxDownResistance));
        const int32_t openLow = lower(s.vMinUpResistance);
        s.sMinUpResistTol = openLow > OpenCeiling ? OpenCeiling : openLow;
        s.sMaxUpResistTol = upper(s.vMaxUpResistance);
    } else {
        s.sMinDownResistTol = lower(s.vMinDownResistance);
        s.sMaxDownResistTol = upper(s.vMaxDownResistance);
        s.sMinUpResistTol = 0;
        s.sMaxUpResistTol = atLeastClosedFloor(upper(s.vMaxUpResistance));
    }
    s.sMaxUpBounceTol = learnedBounceTol(s.vMaxUpBounce);
    s.sMaxDownBounceTol = learnedBounceTol(s.vMaxDownBounce);
    s.sLowerBounce = s.vLowerBounce;
    s.sUpperBounce = s.vUpperBounce;
    s.sFailLimit = LearnedLimit;
    s.sSeqLimit = LearnedLimit;
    s.sCycleLimit = LearnedLimit;
    s.sMinUpTime = learnedStrokeTime(s.vLastUpStrokeTime);
    s.sMaxUpTime = MaxStrokeTime;
    s.sMinDownTime = learnedStrokeTime(s.vLastDownStrokeTime);
    s.sMaxDownTime = MaxStrokeTime;
}

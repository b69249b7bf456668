#include "simulator/CycleMeasurement.h"

#include <algorithm>
#include <vector>

namespace {

int32_t between(std::mt19937 &random, int32_t low, int32_t high)
{
    return std::uniform_int_distribution<int32_t>(low, high)(random);
}

int32_t clampCount(int32_t value)
{
    return std::clamp<int32_t>(value, 0, 1023);
}

// The failure bits that one cycle's measurements earn, as the tester judges
// them: on a stroke whose contact is tested, a reading below or above its
// contact tolerance, and a bounce above its tolerance where bounce is tested.
int judgedBits(const CycleLimits &limits, const CycleMeasurement &m)
{
    int bits = 0;
    if (limits.contact & 16) {
        if (m.downReading < limits.minDownTol)
            bits |= 1;
        if (m.downReading > limits.maxDownTol)
            bits |= 2;
        if ((limits.contact & 64) && m.downBounce > limits.maxDownBounceTol)
            bits |= 64;
    }
    if (limits.contact & 32) {
        if (m.upReading < limits.minUpTol)
            bits |= 4;
        if (m.upReading > limits.maxUpTol)
            bits |= 8;
        if ((limits.contact & 128) && m.upBounce > limits.maxUpBounceTol)
            bits |= 128;
    }
    return bits;
}

}   // namespace

int32_t contactReading(bool closed, int mode, std::mt19937 &random)
{
    switch (mode) {
    case 1:   // current: a closed contact carries nearly the full-scale current
        return closed ? between(random, 900, 960) : between(random, 0, 2);
    case 2:   // voltage across the contact: near zero when closed, the supply when open
        return closed ? between(random, 2, 10) : between(random, 1000, 1015);
    default:   // resistance through the pull-up: an open contact is full scale
        return closed ? between(random, 1, 8) : 1023;
    }
}

CycleMeasurement measureCycle(const CycleLimits &limits, bool failing, int64_t cycleNumber, std::mt19937 &random)
{
    CycleMeasurement m;
    const int type = limits.contact & 15;
    // Which state the contact takes when the piston is down and when it is up.
    bool closedDown = false, closedUp = false;
    switch (type) {
    case 1: closedDown = true; break;   // normally open: closes when pressed
    case 2: closedUp = true; break;     // normally closed: opens when pressed
    case 3:                             // alternate action: latches on every other press
        closedDown = (cycleNumber % 2) == 1;
        closedUp = closedDown;
        break;
    default: break;   // no contact wired
    }
    m.downReading = contactReading(closedDown, limits.mode, random);
    m.upReading = contactReading(closedUp, limits.mode, random);
    m.downStrokeMs = between(random, 35, 50);
    m.upStrokeMs = between(random, 40, 55);
    const bool testDown = limits.contact & 16;
    const bool testUp = limits.contact & 32;
    if (testDown && (limits.contact & 64))
        m.downBounce = between(random, 300, 1500);
    if (testUp && (limits.contact & 128))
        m.upBounce = between(random, 300, 1500);
    if (limits.maxDownBounceTol > 0)
        m.downBounce = std::min(m.downBounce, limits.maxDownBounceTol);
    if (limits.maxUpBounceTol > 0)
        m.upBounce = std::min(m.upBounce, limits.maxUpBounceTol);

    if (failing) {
        // Break one tested item that can be broken (a reading cannot go
        // below 0 or above full scale), or the initial state when nothing
        // is tested.
        std::vector<int> choices;
        if (testDown) {
            if (limits.minDownTol > 0)
                choices.push_back(1);
            if (limits.maxDownTol < 1023)
                choices.push_back(2);
            choices.push_back(16);
            if (limits.contact & 64)
                choices.push_back(64);
        }
        if (testUp) {
            if (limits.minUpTol > 0)
                choices.push_back(4);
            if (limits.maxUpTol < 1023)
                choices.push_back(8);
            choices.push_back(32);
            if (limits.contact & 128)
                choices.push_back(128);
        }
        if (choices.empty())
            choices = {16, 32};
        const int bit = choices[size_t(between(random, 0, int32_t(choices.size()) - 1))];
        switch (bit) {
        case 1: m.downReading = clampCount(limits.minDownTol - between(random, 1, 20)); break;
        case 2: m.downReading = clampCount(limits.maxDownTol + between(random, 1, 100)); break;
        case 4: m.upReading = clampCount(limits.minUpTol - between(random, 1, 20)); break;
        case 8: m.upReading = clampCount(limits.maxUpTol + between(random, 1, 100)); break;
        case 64: m.downBounce = limits.maxDownBounceTol + between(random, 100, 2000); break;
        case 128: m.upBounce = limits.maxUpBounceTol + between(random, 100, 2000); break;
        default: m.errorBits = bit; break;   // initial state wrong: the readings look normal afterwards
        }
    }
    // The bits follow the readings, so the window, the failure boxes and the
    // report agree, also for a good switch that a tight tolerance fails.
    m.errorBits |= judgedBits(limits, m);
    return m;
}

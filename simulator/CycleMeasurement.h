#pragma once

#include <cstdint>
#include <random>

// What the tester measured on one cycle: the contact reading after each
// stroke (counts 0..1023), the bounce on each stroke (ticks of 1.6 us), the
// time from stroke start to contact (ms), and the failure bits of the cycle
// (1 down min, 2 down max, 4 up min, 8 up max, 16 down initial, 32 up
// initial, 64 down bounce, 128 up bounce).
struct CycleMeasurement
{
    int32_t downReading = 0;
    int32_t upReading = 0;
    int32_t downBounce = 0;
    int32_t upBounce = 0;
    int32_t downStrokeMs = 0;
    int32_t upStrokeMs = 0;
    int errorBits = 0;
};

// The settings a cycle is judged against.
struct CycleLimits
{
    int contact = 0;   // type in bits 0-3; 16/32 test down/up, 64/128 bounce down/up
    int mode = 0;      // 0 resistance, 1 current, 2 voltage
    int32_t minDownTol = 0, maxDownTol = 1023;
    int32_t minUpTol = 0, maxUpTol = 1023;
    int32_t maxDownBounceTol = 0, maxUpBounceTol = 0;
};

// Plays one cycle of a switch of the configured type: a good switch gives
// readings inside the usual tolerances; a failing cycle (chosen by the
// caller) breaks one of the tested items. The failure bits are those the
// readings earn against the limits, plus a wrong initial state when that
// was the item broken. cycleNumber counts from 1; an alternate-action
// switch changes state on every other down stroke.
CycleMeasurement measureCycle(const CycleLimits &limits, bool failing, int64_t cycleNumber, std::mt19937 &random);

// The reading of a closed or an open contact in a measurement mode.
int32_t contactReading(bool closed, int mode, std::mt19937 &random);

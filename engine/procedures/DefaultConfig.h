#pragma once

#include <cstdint>

struct TesterState;

// The configuration a learn starts from and the one it ends with.
//
// setDefaultConfig fills the edit copy with permissive settings: limits of
// ten cycles, the widest tolerances and stroke times of half a second, the
// range and mode the tester reports. A learn runs the golden switch for
// those ten cycles; the master reset starts from the same defaults.
void setDefaultConfig(TesterState &s);

// Turns what the tester measured on the golden switch (its extremes, bounce
// and stroke times) into limits and tolerances with a margin around them.
// Expects the edit copy equal to the tester's configuration (the caller
// runs copyCurrentConfigToEdit first).
void setLearnedConfig(TesterState &s);

// A contact tolerance around a measured reading count: the upper one 1.5
// times the measured value plus one count, the lower one half of it less
// one count. In resistance mode the factor applies to the resistance, not
// to the count. Held within 0..1023.
int32_t learnedContactLimit(const TesterState &s, int32_t count, bool upper);
// 1.5 times the measured bounce, within 1250..62500 ticks (2 ms to 0.1 s).
int32_t learnedBounceTol(int32_t ticks);
// 1.5 times the measured stroke time, within 50..500 ms.
int32_t learnedStrokeTime(int32_t ms);

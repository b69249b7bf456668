#pragma once

#include <QString>
#include <cstdint>

struct TesterState;

// Raw tester integers to text and physical values. FormatResistance and
// ResistanceFromCount use the tester's reported range and mode (vRPullUp,
// vRMode); CountFromResistance uses the configuration's (sRPullUp, sRMode).
QString FormatResistance(const TesterState &s, int32_t count, bool openAsNumber);
QString FormatStrokeTime(int32_t ms);       // seconds, "#0.000"
QString FormatBounceTime(int32_t ticks);    // seconds, "0.000000"
double ResistanceFromCount(const TesterState &s, int32_t count);
int32_t CountFromResistance(const TesterState &s, double value);

// A number with a full stop, at least one integer digit, minDecimals to
// maxDecimals decimals (trailing zeros beyond minDecimals dropped), rounded
// to the last shown decimal with exact halves to even.
QString FormatDecimal(double value, int minDecimals, int maxDecimals);

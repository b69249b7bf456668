#pragma once

#include <QString>
#include <cstdint>

struct TesterState;

// A reading count at full scale: the 10-bit converter's top, an open contact
// in resistance mode.
constexpr int32_t FullScaleCount = 1023;
// One bounce tick of the tester's timer, in seconds.
constexpr double SecondsPerBounceTick = 1.6E-6;

// Raw tester integers to text and physical values. formatResistance and
// resistanceFromCount use the tester's reported range and mode (reported.rangePullUp,
// reported.rangeMode); countFromResistance uses the configuration's (pending.rangePullUp, pending.rangeMode).
QString formatResistance(const TesterState &s, int32_t count, bool openAsNumber);
// A contact reading already in the unit of the mode (0 ohms, 1 mA, 2 V),
// rounded as the data log writes it.
QString formatContactValue(int mode, double value);
QString formatStrokeTime(int32_t ms);      // seconds, "#0.000"
QString formatBounceTime(int32_t ticks);   // seconds, "0.000000"
double resistanceFromCount(const TesterState &s, int32_t count);
int32_t countFromResistance(const TesterState &s, double value);

// The configuration items' ranges in the tester's units: limits in cycles,
// stroke times in ms, bounce times in ticks.
constexpr int32_t MinLimitCount = 1, MaxLimitCount = 10000000;
constexpr int32_t MinStrokeTimeMs = 25, MaxStrokeTimeMs = 65000;
constexpr int32_t MaxBounceTicks = 65535;

// Typed or stored text back to the tester's units. Each parser clamps to its
// item's range and then sets `readjust` (never clears it): the editor asks
// before it accepts a clamped value, the file reader rejects it. The range
// test comes before the rounding, so 65.0004 s is beyond 65 s.
int32_t parseCount(const QString &text, bool &readjust);        // 1..10000000
int32_t parseStrokeTime(const QString &text, bool &readjust);   // seconds to ms, 25..65000
int32_t parseBounceTime(const QString &text, bool &readjust);   // seconds to ticks, 0..65535
// A tolerance in the configuration's unit (pending.rangeMode, pending.rangePullUp) to a reading
// count; any text holding "open" in any letter case is full scale.
int16_t parseTolerance(const TesterState &s, const QString &text, bool &readjust);

// A number with a full stop, at least one integer digit, minDecimals to
// maxDecimals decimals (trailing zeros beyond minDecimals dropped), rounded
// to the last shown decimal with exact halves to even.
QString formatDecimal(double value, int minDecimals, int maxDecimals);

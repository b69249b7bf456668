#include "engine/state/DataFormat.h"

#include "engine/state/NumberReader.h"
#include "engine/state/TesterState.h"

#include <charconv>
#include <cmath>

namespace {

constexpr int32_t FullScale = FullScaleCount;
constexpr double OpenResistance = 1E+40;   // stands for an open contact in arithmetic
constexpr double SecondsPerTick = SecondsPerBounceTick;

// A double carries 15 significant decimal digits faithfully. Rounding is done
// on the value's text at that precision, so arithmetic noise such as the
// binary 0.0125 being 0.01250000000000000069 does not decide which way a
// decimal half goes: 0.0125 is a half and goes to the even neighbour.
constexpr int SignificantDigits = 15;

int32_t clampCount(int32_t count)
{
    if (count > FullScale)
        return FullScale;
    if (count < 0)
        return 0;
    return count;
}

// A value as its significant decimal digits. Place 0 is a spare for a carry
// out of the first digit; place i (1-based) has the weight
// 10^(integerDigits - 1 - i).
struct DecimalDigits
{
    char digits[SignificantDigits + 1];
    int count = 1;           // places in use, the spare included
    int integerDigits = 0;   // places before the full stop, the spare included
    bool negative = false;

    char at(int place) const { return place >= 0 && place < count ? digits[place] : '0'; }
    bool isZero() const
    {
        for (int i = 0; i < count; ++i)
            if (digits[i] != '0')
                return false;
        return true;
    }
};

// The digits of the value's text "d.dddddddddddddde+XX".
DecimalDigits significantDigitsOf(double value)
{
    char sci[40];
    const auto written =
        std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, SignificantDigits - 1);
    DecimalDigits d;
    const char *p = sci;
    d.negative = *p == '-';
    if (d.negative)
        ++p;
    d.digits[0] = '0';
    for (; p < written.ptr && *p != 'e'; ++p)
        if (*p != '.')
            d.digits[d.count++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), written.ptr, exponent);
    d.integerDigits = exponent + 2;
    return d;
}

// Keeps the first `kept` places (the spare included), a half going to the
// even neighbour.
void roundToPlaces(DecimalDigits &d, int kept)
{
    if (kept >= d.count)
        return;
    if (kept < 1) {
        d.count = 1;   // far below the last shown place: rounds to zero
        return;
    }
    const char first = d.digits[kept];
    bool restZero = true;
    for (int i = kept + 1; i < d.count; ++i)
        if (d.digits[i] != '0') {
            restZero = false;
            break;
        }
    bool roundUp = first > '5' || (first == '5' && !restZero);
    if (first == '5' && restZero)
        roundUp = (d.digits[kept - 1] - '0') % 2 == 1;
    d.count = kept;
    if (roundUp) {
        int i = d.count - 1;
        while (d.digits[i] == '9')
            d.digits[i--] = '0';
        ++d.digits[i];
    }
}

// The text: no leading zeros, at least one integer digit, trailing zeros
// dropped down to minDecimals.
QString writeDecimal(const DecimalDigits &d, int minDecimals, int maxDecimals)
{
    char out[400];
    int len = 0;
    if (d.negative && !d.isZero())
        out[len++] = '-';
    int firstPlace = 0;
    while (firstPlace < d.integerDigits - 1 && d.at(firstPlace) == '0')
        ++firstPlace;
    if (d.integerDigits <= 0) {
        out[len++] = '0';
    } else {
        for (int place = firstPlace; place < d.integerDigits && len < 340; ++place)
            out[len++] = d.at(place);
    }
    int decimals = maxDecimals;
    while (decimals > minDecimals && d.at(d.integerDigits + decimals - 1) == '0')
        --decimals;
    if (decimals > 0) {
        out[len++] = '.';
        for (int i = 0; i < decimals && len < 398; ++i)
            out[len++] = d.at(d.integerDigits + i);
    }
    return QString::fromLatin1(out, len);
}

}   // namespace

QString formatDecimal(double value, int minDecimals, int maxDecimals)
{
    if (!std::isfinite(value))
        return QStringLiteral("???");
    if (maxDecimals < 0)
        maxDecimals = 0;
    if (minDecimals < 0)
        minDecimals = 0;
    if (minDecimals > maxDecimals)
        minDecimals = maxDecimals;

    DecimalDigits digits = significantDigitsOf(value);
    roundToPlaces(digits, digits.integerDigits + maxDecimals);
    return writeDecimal(digits, minDecimals, maxDecimals);
}

QString formatResistance(const TesterState &s, int32_t count, bool openAsNumber)
{
    count = clampCount(count);
    if (s.reported.rangePullUp < 1)
        return QStringLiteral("???");
    const double range = s.reported.rangePullUp;
    switch (s.reported.rangeMode) {
    case 0:
        if (count < FullScale)
            return formatContactValue(0, range * count / (FullScale - count));
        // The data log keeps its contact columns numeric: twice the largest
        // finite resistance, which converts back to an open contact.
        if (openAsNumber)
            return formatContactValue(0, 2 * range * (FullScale - 1));
        return QStringLiteral("open");
    case 1: return formatContactValue(1, double(count) / FullScale * range / 10);
    case 2: return formatContactValue(2, double(count) / FullScale * range / 1000);
    default: return QStringLiteral("???");
    }
}

QString formatContactValue(int mode, double value)
{
    switch (mode) {
    case 0: return formatDecimal(value, 1, 1);
    case 1: return formatDecimal(value, 1, 3);
    case 2: return formatDecimal(value, 3, 3);
    default: return QStringLiteral("???");
    }
}

QString formatStrokeTime(int32_t ms)
{
    return formatDecimal(ms / 1000.0, 3, 3);
}

QString formatBounceTime(int32_t ticks)
{
    return formatDecimal(ticks * SecondsPerTick, 6, 6);
}

double resistanceFromCount(const TesterState &s, int32_t count)
{
    const double c = clampCount(count);
    if (s.reported.rangePullUp < 1)
        return 0;
    const double range = s.reported.rangePullUp;
    switch (s.reported.rangeMode) {
    case 0: return c < FullScale ? range * c / (FullScale - c) : OpenResistance;
    case 1: return c / FullScale * range / 10;
    case 2: return c / FullScale * range / 1000;
    default: return 0;
    }
}

int32_t countFromResistance(const TesterState &s, double value)
{
    if (s.pending.rangePullUp < 1)
        return 0;
    const double range = s.pending.rangePullUp;
    double c = 0;
    switch (s.pending.rangeMode) {
    case 0:
        if (value > range * (FullScale - 1))
            return FullScale;
        if (value < 0)
            return 0;
        c = value * FullScale / (range + value);
        break;
    case 1: c = value * 10 * FullScale / range; break;
    case 2: c = value * FullScale * 1000 / range; break;
    default: c = 0; break;
    }
    if (!(c >= 0))
        c = 0;   // also a value that is not a number
    if (c > FullScale)
        c = FullScale;
    return int32_t(roundHalfEven(c));
}

namespace {

// A decimal text seldom converts exactly: 0.104856 s is 65535 ticks, yet
// 0.104856 / 1.6E-6 comes out a trace above 65535. A trace this small is
// arithmetic, not an excess, or a file the program wrote would not read back.
constexpr double ConversionNoise = 1E-9;

// The value clamped into [low, high]; a clamp (or a value that is not a
// number) sets the readjust flag. The result is rounded only afterwards.
int32_t clampThenRound(double value, double low, double high, bool &readjust)
{
    if (value < low && value >= low - ConversionNoise)
        value = low;
    if (value > high && value <= high + ConversionNoise)
        value = high;
    if (!(value >= low)) {   // also not a number
        readjust = true;
        return int32_t(low);
    }
    if (value > high) {
        readjust = true;
        return int32_t(high);
    }
    return int32_t(roundHalfEven(value));
}

}   // namespace

int32_t parseCount(const QString &text, bool &readjust)
{
    return clampThenRound(roundHalfEven(parseNumber(text)), MinLimitCount, MaxLimitCount, readjust);
}

int32_t parseStrokeTime(const QString &text, bool &readjust)
{
    return clampThenRound(parseNumber(text) * 1000, MinStrokeTimeMs, MaxStrokeTimeMs, readjust);
}

int32_t parseBounceTime(const QString &text, bool &readjust)
{
    return clampThenRound(parseNumber(text) / SecondsPerTick, 0, MaxBounceTicks, readjust);
}

int16_t parseTolerance(const TesterState &s, const QString &text, bool &readjust)
{
    if (s.pending.rangePullUp < 1)
        return 0;
    if (text.contains(QLatin1String("open"), Qt::CaseInsensitive))
        return FullScale;
    const double v = parseNumber(text);
    const double range = s.pending.rangePullUp;
    double c = 0;
    switch (s.pending.rangeMode) {
    case 0:
        if (v > range * (FullScale - 1)) {
            readjust = true;
            return FullScale;
        }
        if (v < 0) {
            readjust = true;
            return 0;
        }
        c = v * FullScale / (range + v);
        break;
    case 1: c = v * 10 * FullScale / range; break;
    case 2: c = v * FullScale * 1000 / range; break;
    default: c = 0; break;
    }
    return int16_t(clampThenRound(c, 0, FullScale, readjust));
}

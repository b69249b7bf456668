#include "engine/state/NumberReader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "&H1F" and "&O17": an unsigned integer in base 16 or 8; no digits reads 0.
double readRadixInteger(const std::string &text, size_t pos, int base)
{
    double value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = hexValue(text[pos]);
        if (digit < 0 || digit >= base)
            break;
        value = value * base + digit;
    }
    return value;
}

// The digits of the mantissa a decimal number at `pos` would have: after an
// optional sign, digits with an optional full stop. Moves pos past them.
size_t mantissaDigits(const std::string &text, size_t &pos)
{
    size_t digits = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
            ++digits;
        }
    }
    return digits;
}

// The longest leading decimal number of a text without blanks: optional sign,
// digits, optional full stop and digits, optional exponent with digits.
double readDecimal(const std::string &text)
{
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const size_t mantissaStart = pos;
    if (mantissaDigits(text, pos) == 0)
        return 0;

    // An exponent counts only when at least one digit follows the 'e'.
    bool negativeExponent = false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        size_t exp = pos + 1;
        bool expNegative = false;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) {
            expNegative = text[exp] == '-';
            ++exp;
        }
        if (exp < text.size() && isDigit(text[exp])) {
            while (exp < text.size() && isDigit(text[exp]))
                ++exp;
            pos = exp;
            negativeExponent = expNegative;
        }
    }

    // from_chars ignores the locale, unlike strtod under the user's LC_NUMERIC.
    double value = 0;
    const char *first = text.data() + mantissaStart;
    const char *last = text.data() + pos;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    return negative ? -value : value;
}

// The text without blanks, tabs and line feeds. Only the characters a
// number can use matter; anything else ends the number anyway, so it is
// kept as a stop mark in plain ASCII.
std::string compactText(const QString &text)
{
    std::string compact;
    compact.reserve(size_t(text.size()));
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == ' ' || u == '\t' || u == '\n')
            continue;
        compact.push_back(u < 128 ? char(u) : '\x7f');
    }
    return compact;
}

}   // namespace

bool holdsNumber(const QString &text)
{
    const std::string compact = compactText(text);
    // "&H" and "&O" with no digit after them read 0 and hold no number.
    if (compact.size() > 2 && compact[0] == '&') {
        const bool hex = compact[1] == 'H' || compact[1] == 'h';
        if (hex || compact[1] == 'O' || compact[1] == 'o') {
            const int digit = hexValue(compact[2]);
            return digit >= 0 && (hex || digit < 8);
        }
    }
    size_t pos = !compact.empty() && (compact[0] == '+' || compact[0] == '-') ? 1 : 0;
    return mantissaDigits(compact, pos) > 0;
}

double parseNumber(const QString &text)
{
    const std::string compact = compactText(text);
    if (compact.size() >= 2 && compact[0] == '&') {
        if (compact[1] == 'H' || compact[1] == 'h')
            return readRadixInteger(compact, 2, 16);
        if (compact[1] == 'O' || compact[1] == 'o')
            return readRadixInteger(compact, 2, 8);
    }
    return readDecimal(compact);
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

namespace {

bool readRounded(const QString &text, double low, double high, double &rounded)
{
    rounded = roundHalfEven(parseNumber(text));
    return rounded >= low && rounded <= high;
}

}   // namespace

bool parseLong(const QString &text, int32_t &target)
{
    double value;
    if (!readRounded(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), value))
        return false;
    target = int32_t(value);
    return true;
}

bool parseInteger(const QString &text, int16_t &target)
{
    double value;
    if (!readRounded(text, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max(), value))
        return false;
    target = int16_t(value);
    return true;
}

bool parseByte(const QString &text, int16_t &target)
{
    int32_t wide = 0;
    if (!parseLong(text, wide))
        return false;
    target = int16_t(wide & 255);
    return true;
}

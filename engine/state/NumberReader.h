#pragma once

#include <QString>
#include <cstdint>

// One reader for every number that comes from the tester, a file or the
// operator: blanks, tabs and line feeds are removed, then the longest leading
// decimal number is taken (sign, digits, full stop, exponent); text without
// one reads 0; "&H" and "&O" introduce hexadecimal and octal integers.
// Always a full stop, whatever the user's locale.
double parseNumber(const QString &text);
// Whether the reader finds a number at all: false for a text that reads 0
// only because it holds no digits where a number would start ("abc", "").
bool holdsNumber(const QString &text);

// Nearest integer, exact halves to the even neighbour.
double roundHalfEven(double value);

// The reader's value rounded half-to-even into a field of the tester's width.
// A value that does not fit leaves the target unchanged and returns false.
bool parseLong(const QString &text, int32_t &target);
bool parseInteger(const QString &text, int16_t &target);
// A 32-bit value reduced to its low 8 bits (value AND 255).
bool parseByte(const QString &text, int16_t &target);

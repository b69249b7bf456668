#pragma once

#include <QString>
#include <cstdint>

struct TesterState;

// The two computations the configuration editor shows beside its fields:
// the expected test rate and duration, and each transition threshold as a
// resistance (or current, or voltage), a percentage and a voltage. They
// only display; nothing here talks to the tester.

struct RateEstimate
{
    QString rate;   // "1800 / hr", or "???"
    QString time;   // "33.3 mins", or "???"
};

// The stroke-time texts in seconds and the cycle limit text, read as the
// parsers read them but without any clamping. With a constant rate the
// minimum times are taken equal to the maximum times.
RateEstimate computeEstimateRate(const QString &maxUpTime, const QString &minUpTime, const QString &maxDownTime,
                                 const QString &minDownTime, bool constantRate, const QString &cycleLimit);

struct ThresholdTexts
{
    QString ohms;      // the level as a contact reading, in the tester's unit
    QString percent;   // "50.2 %"
    QString volts;     // "2.51"
};

// A threshold t is a level on an 8-bit scale of the 0 to 5 volt contact
// signal, the reading count 4 x t on the tester's 10-bit scale.
ThresholdTexts thresholdValues(const TesterState &s, int threshold);

// A threshold held within 0..255, the range of the thresholds' spin boxes.
int16_t clampThreshold(int threshold);

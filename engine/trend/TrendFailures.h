#pragma once

#include "engine/trend/TrendReduction.h"

#include <QString>
#include <cstdint>

// The new failures among the samples of a shown range: what a lab asks of a
// stretch of a run. The range's samples are those whose position on the axis
// lies in it; its cycles run from the first of them to the last.
struct TrendRangeFailures
{
    size_t first = TrendHistory::NoSample;   // the range's first and last sample
    size_t last = TrendHistory::NoSample;
    int64_t samples = 0;
    int64_t failures = 0;         // samples that brought a new failure
    int64_t cycles = 0;           // from the first sample's cycle to the last one's
    int64_t cyclesToFirst = -1;   // from the first sample's cycle to the first new failure's; -1: none

    // New failures per 10,000 of the range's cycles; NaN when it spans none.
    double perTenThousand() const;
};

TrendRangeFailures trendRangeFailures(const TrendHistory &history, TrendAxis axis, TrendRange range);

// "First failure after 500 cycles; 39 new failures in 19999 cycles, 19.50
// per 10,000 cycles", with a full stop in any locale.
QString trendRangeFailuresText(const TrendRangeFailures &figures);

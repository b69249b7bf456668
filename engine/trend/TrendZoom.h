#pragma once

#include "engine/trend/TrendReduction.h"

// The stretch of the axis the Trend window shows, and how zooming and
// panning move it: always within the whole run, never narrower than a few
// cycles or seconds.

// The whole run along the axis, widened around a single position; 0..1
// when no sample lies on the axis.
TrendRange wholeRun(const TrendHistory &history, TrendAxis axis);

// The narrowest stretch a zoom shows.
double smallestSpan(TrendAxis axis);

// A wanted range brought within the whole run, and widened around its
// middle when it is too narrow.
TrendRange clampedRange(TrendRange wanted, TrendRange whole, TrendAxis axis);

// Narrower by factor (below 1 zooms in, above 1 out), the position x staying
// where it is on the screen.
TrendRange zoomedAround(TrendRange view, double x, double factor);

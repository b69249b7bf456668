#include "engine/supervision/SilenceWatch.h"

#include <algorithm>
#include <limits>

void SilenceWatch::restart()
{
    quietTicks = signalTicks = 0;
    fromSignal = false;
    kept = 0;
    next = 0;
    bound = SilenceFloorTicks;
}

void SilenceWatch::tick(bool running)
{
    if (!running) {
        // A stopped tester says nothing: its silence counts only from its next start.
        runStopped();
        return;
    }
    // Bounded, so a tester left silent for months cannot overflow them.
    quietTicks = std::min(quietTicks + 1, 1 << 30);
    signalTicks = std::min(signalTicks + 1, 1 << 30);
}

void SilenceWatch::signalSeen()
{
    if (fromSignal) {
        intervals[size_t(next)] = std::max(signalTicks, 1);
        next = (next + 1) % IntervalsKept;
        kept = std::min(kept + 1, IntervalsKept);
        bound = std::max(3 * usualIntervalTicks(), SilenceFloorTicks);
    }
    quietTicks = signalTicks = 0;
    fromSignal = true;
}

void SilenceWatch::runStopped()
{
    quietTicks = signalTicks = 0;
    fromSignal = false;
}

void SilenceWatch::asked()
{
    // The interval to the next "+" still runs from the last one.
    quietTicks = 0;
}

int SilenceWatch::usualIntervalTicks() const
{
    if (kept == 0)
        return 0;
    // The places not yet filled sort behind the kept intervals.
    std::array<int, IntervalsKept> sorted = intervals;
    std::fill(sorted.begin() + kept, sorted.end(), std::numeric_limits<int>::max());
    std::sort(sorted.begin(), sorted.end());
    // Of an even count the longer middle one: the later ask is the safer.
    return sorted[size_t(kept / 2)];
}

#pragma once

#include "engine/state/Protocol.h"

#include <array>

// Tells when a running tester has been silent too long. A running tester
// says "+" after each sample, so one whose power or cable went dead while
// the port stayed open would otherwise look connected for ever: once no "+"
// has come for three of its usual intervals between "+" (and never sooner
// than SilenceFloorTicks), the poll cycle asks it for a sample, and an
// unanswered request loses the link as any other does. A stopped tester
// sends nothing and is never asked.
//
// The usual interval is the median of the last IntervalsKept intervals
// between two "+" of one run, in poll ticks: one slow cycle, or the pause of
// a stop and a new start, does not move it. Before two "+" have come, the
// floor alone holds.
class SilenceWatch
{
public:
    static constexpr int SilenceFloorTicks = 10000 / TickPeriodMs;
    static constexpr int IntervalsKept = 5;

    // A tester was found or its link went down: nothing is known of its pace.
    void restart();
    // One poll tick while a tester answers on the port.
    void tick(bool running);
    void signalSeen();   // the tester said "+"
    void runStopped();   // the tester said "-"
    // Whether the tester, running, should be asked for a sample now.
    bool askDue() const { return quietTicks >= bound; }
    // The tester was asked: the next ask waits another whole bound.
    void asked();

    // The median of the kept intervals; 0 while none is known.
    int usualIntervalTicks() const;
    // The silence allowed before the tester is asked.
    int boundTicks() const { return bound; }

private:
    int quietTicks = 0;        // since the last "+", the last ask, or the run's start
    int signalTicks = 0;       // since the last "+"
    bool fromSignal = false;   // signalTicks counts from a "+" of the current run
    std::array<int, IntervalsKept> intervals{};
    int kept = 0;   // intervals held, up to IntervalsKept
    int next = 0;   // where the next interval goes
    // Worked out as an interval is kept, not on every poll tick that asks.
    int bound = SilenceFloorTicks;
};

#pragma once

#include <QString>
#include <cstdint>

// How the simulated tester is built: its identity, its pace, its failure
// rate and the faults it plays on the line. The faults may be changed while
// it runs.
struct SimulatorConfig
{
    QString serialNumber = QStringLiteral("41800123");
    int softwareVersion = 12;    // tenths; from 12 on the record carries the last bounce times
    int mode = 0;                // 0 resistance, 1 current, 2 voltage
    int32_t range = 1000;        // pull-up ohms, full-scale 0.1 mA or full-scale mV
    int periodMs = 1000;         // one test cycle, down and up stroke
    double failureRate = 0.0;    // chance that a cycle fails, 0..1
    uint32_t seed = 418;         // the same seed gives the same readings
    bool startRunning = false;   // already running a test to its limits when switched on,
                                 // as a tester the operator left running
    int32_t startCycles = 0;     // the cycle count it was switched on with

    // When the tester speaks on its own ("+", "-"): only after the line has
    // been quiet this long, so that the host has taken the last reply and is
    // idle. About two of the host's poll ticks.
    int signalQuietMs = 120;
    // A "+" that no data request followed is sent again after this long.
    int signalRetryMs = 2000;

    // Faults.
    bool silent = false;        // answers nothing at all
    bool noStar = false;        // command replies come without the "*" (wake-ups still answered)
    double garbageRate = 0.0;   // chance that a reply is preceded by stray bytes
    int splitReplies = 1;       // each reply is written in this many pieces ...
    int splitGapMs = 20;        // ... this far apart
    bool requireWake = false;   // drops a command that follows a quiet line without a wake-up
};

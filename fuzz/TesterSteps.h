#pragma once

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

class TesterEngine;

// A conversation with the tester as a fuzz input: a series of steps, each
//
//     [operator action] [ticks] [length] [length bytes from the tester]
//
// The bytes arrive on the line, the operator's action is taken, then the
// poll ticks run. A step cut short by the end of the input is whole as far
// as it goes.
struct TesterStep
{
    uint8_t action = 0;   // OperatorActions[action % count], 0 none
    uint8_t ticks = 0;    // see ticksOf
    QByteArray bytes;     // at most 255
};

// 1 to 32 ticks; 255 is a line silent for longer than any wait (300 ticks).
int ticksOf(uint8_t ticks);

QList<TesterStep> readSteps(const uint8_t *data, size_t size);
QByteArray writeSteps(const QList<TesterStep> &steps);

// What the operator can start from the window: a data sample, a run, a stop,
// one value read, a counter reset, a configuration download.
enum OperatorAction : uint8_t {
    NoAction,
    SampleData,
    RunToLimits,
    RunOnce,
    RunNoLimit,
    StopRun,
    ReadVersion,
    ReadCycleLimit,
    ResetCounters,
    DownloadConfig,
    DownloadMaster,
    SetCycleLimit,
    ActionCount
};
void takeAction(TesterEngine &engine, uint8_t action);

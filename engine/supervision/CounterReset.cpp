#include "engine/supervision/CounterReset.h"

#include "engine/link/Commands.h"
#include "engine/state/TesterState.h"

CounterReset::CounterReset(TesterState &state, Commands &commands) : s(state), cmds(commands) {}

void CounterReset::setClearAll()
{
    s.ClearCycleCount = true;
    s.ClearFailCount = true;
    s.ClearSeqCount = true;
    s.ClearMinMax = true;
}

void CounterReset::doNextClear(Command lastCommand)
{
    const struct
    {
        Command clear;
        bool selected;
    } steps[] = {
        {Command::ClearMinMax, s.ClearMinMax},
        {Command::ClearFailCount, s.ClearFailCount},
        {Command::ClearSeqCount, s.ClearSeqCount},
        {Command::ClearCycleCount, s.ClearCycleCount},
    };
    int next = 0;
    if (lastCommand != Command::None) {
        while (next < 4 && steps[next].clear != lastCommand)
            ++next;
        if (next == 4)
            return;   // not a step of this chain
        ++next;
    }
    for (; next < 4; ++next) {
        if (steps[next].selected) {
            cmds.sendCommand(steps[next].clear);
            return;
        }
    }
    setClearAll();
    if (s.LearnConfigure) {
        // A learn ends by running the tester to its (small) limits.
        s.LearnConfigure = false;
        cmds.sendCommand(Command::RunToLimits);
    } else {
        cmds.sendCommand(Command::SampleData);
    }
}

#include "engine/supervision/CounterReset.h"

#include "engine/link/Commands.h"
#include "engine/state/TesterState.h"

CounterReset::CounterReset(TesterState &state, Commands &commands) : s(state), cmds(commands) {}

void CounterReset::setClearAll()
{
    s.session.clearCycleCount = true;
    s.session.clearFailCount = true;
    s.session.clearSeqCount = true;
    s.session.clearMinMax = true;
}

void CounterReset::doNextClear(Command lastCommand)
{
    const struct
    {
        Command clear;
        bool selected;
    } steps[] = {
        {Command::ClearMinMax, s.session.clearMinMax},
        {Command::ClearFailCount, s.session.clearFailCount},
        {Command::ClearSeqCount, s.session.clearSeqCount},
        {Command::ClearCycleCount, s.session.clearCycleCount},
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
    if (s.session.learnConfigure) {
        // A learn ends by running the tester to its (small) limits.
        s.session.learnConfigure = false;
        cmds.sendCommand(Command::RunToLimits);
    } else {
        cmds.sendCommand(Command::SampleData);
    }
}

#include "engine/supervision/CounterReset.h"

#include "engine/link/Commands.h"
#include "engine/state/TesterState.h"

CounterReset::CounterReset(TesterState &state, Commands &commands) : s(state), cmds(commands)
{
}

void CounterReset::SetClearAll()
{
    s.ClearCycleCount = true;
    s.ClearFailCount = true;
    s.ClearSeqCount = true;
    s.ClearMinMax = true;
}

void CounterReset::DoNextClear(int lastCommand)
{
    const struct { int code; bool selected; } steps[] = {
        {194, s.ClearMinMax},
        {201, s.ClearFailCount},
        {202, s.ClearSeqCount},
        {203, s.ClearCycleCount},
    };
    int next = 0;
    if (lastCommand != 0) {
        while (next < 4 && steps[next].code != lastCommand)
            ++next;
        if (next == 4)
            return;                      // not a step of this chain
        ++next;
    }
    for (; next < 4; ++next) {
        if (steps[next].selected) {
            cmds.SendCommand(steps[next].code);
            return;
        }
    }
    SetClearAll();
    if (s.LearnConfigure) {
        // A learn ends by running the tester to its (small) limits.
        s.LearnConfigure = false;
        cmds.SendCommand(162);
    } else {
        cmds.SendCommand(174);
    }
}

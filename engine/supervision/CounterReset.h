#pragma once

#include "engine/state/Protocol.h"

class Commands;
struct TesterState;

// The counter reset chain: one clear command per selected item, each sent
// when the tester has acknowledged the previous one, in the fixed order
// min / max, fail count, sequential fail count, cycle count. It ends with a
// data request, or after a learn with the start of the test (run to limits).
class CounterReset
{
public:
    CounterReset(TesterState &state, Commands &commands);

    void setClearAll();                      // select all four items again
    void doNextClear(Command lastCommand);   // None starts the chain; else the command just acknowledged

private:
    TesterState &s;
    Commands &cmds;
};

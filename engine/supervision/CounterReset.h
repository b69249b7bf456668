#pragma once

class Commands;
struct TesterState;

// The counter reset chain: one clear command per selected item, each sent
// when the tester has acknowledged the previous one, in the fixed order
// min / max (194), fail count (201), sequential fail count (202), cycle
// count (203). It ends with a data request (174), or after a learn with the
// start of the test (162).
class CounterReset
{
public:
    CounterReset(TesterState &state, Commands &commands);

    void SetClearAll();                  // select all four items again
    void DoNextClear(int lastCommand);   // 0 starts the chain; else the code just acknowledged

private:
    TesterState &s;
    Commands &cmds;
};

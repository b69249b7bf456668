#pragma once

#include "engine/state/Protocol.h"

#include <QString>

class Commands;
class CounterReset;
struct TesterState;

// Writes the operator's configuration (the s fields) to the tester, one
// value command per acknowledged reply, in the order of the codes: the
// serial number (master only), contact to minimum down resistance, range
// and mode (master only), the two bounce tolerances. It ends with a data
// request, or after a master download or a learn with the full counter
// reset.
class ConfigDownload
{
public:
    ConfigDownload(TesterState &state, Commands &commands, CounterReset &reset);

    void startOrdinaryDownload();   // from the contact
    void startMasterDownload();     // from the serial number

    // The tester acknowledged the value command `command` of a download:
    // send the next step of the chain.
    void onReply(Command command);

    // The value text that goes with a value command.
    QString valueFor(Command command) const;

private:
    void sendStep(Command command);

    TesterState &s;
    Commands &cmds;
    CounterReset &reset;
};

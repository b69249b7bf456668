#pragma once

#include <QString>

class Commands;
class CounterReset;
struct TesterState;

// Writes the operator's configuration (the s fields) to the tester, one
// value command per acknowledged reply: 224 (master only), 225..238, 239
// and 240 (master only), 241, 242. It ends with a data request, or after a
// master download or a learn with the full counter reset.
class ConfigDownload
{
public:
    ConfigDownload(TesterState &state, Commands &commands, CounterReset &reset);

    void StartOrdinaryDownload();        // 225 with sContact
    void StartMasterDownload();          // 224 with sSerialNumber

    // The tester acknowledged the value command `code` (224..242): send the
    // next step of the chain.
    void OnReply(int code);

    // The value text a download sends with `code` (224..243 less 243's count).
    QString ValueFor(int code) const;

private:
    void sendStep(int code);

    TesterState &s;
    Commands &cmds;
    CounterReset &reset;
};

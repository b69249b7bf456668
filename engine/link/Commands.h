#pragma once

#include "engine/state/Protocol.h"

#include <QString>

class SerialLink;
class StatusDisplay;
struct TesterState;

// The two procedures that send the tester its commands. They never
// wait: they write and return, and the poll cycle picks up the reply.
//
// At most one command is in flight: a call while a reply is awaited (or a
// port is being probed) is dropped. After a quiet line the tester must be
// woken first; the command is then parked in link.inFlight until the tester
// answers the wake-up byte.
class Commands
{
public:
    // More quiet ticks than this and the tester wants a wake-up byte first.
    static constexpr int WakeUpThreshold = 5;

    Commands(TesterState &state, SerialLink &link, StatusDisplay &view);

    void sendCommand(Command command);
    void sendValueCommand(Command command, const QString &value);

private:
    void send(Command command, const QString *value);

    TesterState &s;
    SerialLink &link;
    StatusDisplay &view;
};

// Two upper-case hex digits of a command that has a text, else empty: the
// bare commands (the tester's set has gaps) and the value commands.
QString commandText(Command command);
bool isBareCommand(Command command);
bool isValueCommand(Command command);

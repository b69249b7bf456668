#pragma once

#include <QString>

class SerialLink;
class StatusDisplay;
struct TesterState;

// The tester's command codes and the two sending procedures. They never
// wait: they write and return, and the poll cycle picks up the reply.
//
// At most one command is in flight: a call while a reply is awaited (or a
// port is being probed) is dropped. After a quiet line the tester must be
// woken first; the command is then parked in comDelayed until the tester
// answers the wake-up byte.
class Commands
{
public:
    // More quiet ticks than this and the tester wants a wake-up byte first.
    static constexpr int WakeUpThreshold = 5;

    Commands(TesterState &state, SerialLink &link, StatusDisplay &view);

    void SendCommand(int code);
    void SendValueCommand(int code, const QString &value);

private:
    void send(int code, const QString *value);

    TesterState &s;
    SerialLink &link;
    StatusDisplay &view;
};

// Two upper-case hex digits of a code that has a text, else empty:
// bare commands 160..223 (less the gaps) and value commands 224..243.
QString CommandText(int code);
bool IsBareCommand(int code);
bool IsValueCommand(int code);

#pragma once

#include <QString>

class SerialLink;
class TesterView;
struct TesterState;

// The tester's command codes and the two sending procedures. They never
// wait: they write and return, and the poll cycle picks up the reply.
class Commands
{
public:
    Commands(TesterState &state, SerialLink &link, TesterView &view);

    void SendCommand(int code);
    void SendValueCommand(int code, const QString &value);

private:
    TesterState &s;
    SerialLink &link;
    TesterView &view;
};

// Two upper-case hex digits of a code that has a text, else empty:
// bare commands 160..223 (less the gaps) and value commands 224..243.
QString CommandText(int code);
bool IsBareCommand(int code);
bool IsValueCommand(int code);

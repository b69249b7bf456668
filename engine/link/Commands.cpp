#include "engine/link/Commands.h"

#include "engine/link/SerialLink.h"
#include "engine/link/WaitState.h"
#include "engine/state/TesterState.h"

bool isBareCommand(Command command)
{
    const int code = wireCode(command);
    if (code < wireCode(Command::Hello) || code > wireCode(Command::ReadErrorCode))
        return false;
    // The codes between these neighbours mean nothing to the tester.
    const auto between = [code](Command below, Command above) {
        return code > wireCode(below) && code < wireCode(above);
    };
    const bool hole = between(Command::Output167, Command::RunOnce) || between(Command::RunNoLimit, Command::SampleData)
                      || between(Command::ReadLastUpBounceTime, Command::ReadStatus);
    return !hole;
}

bool isValueCommand(Command command)
{
    const int code = wireCode(command);
    return code >= wireCode(Command::WriteSerialNumber) && code <= wireCode(Command::ArmBreakUpdate);
}

QString commandText(Command command)
{
    if (!isBareCommand(command) && !isValueCommand(command))
        return QString();
    const int code = wireCode(command);
    static const char digits[] = "0123456789ABCDEF";
    const QChar text[2] = {QLatin1Char(digits[(code >> 4) & 15]), QLatin1Char(digits[code & 15])};
    return QString(text, 2);
}

Commands::Commands(TesterState &state, SerialLink &serialLink, StatusDisplay &testerView)
    : s(state), link(serialLink), view(testerView)
{
}

void Commands::sendCommand(Command command)
{
    send(command, nullptr);
}

void Commands::sendValueCommand(Command command, const QString &value)
{
    send(command, &value);
}

void Commands::send(Command command, const QString *value)
{
    if (!s.link.portOpen)
        return;
    if (s.link.step > LinkStep::AwaitingWakeUp)   // a reply is awaited or a port is being probed
        return;
    const bool known = value ? isValueCommand(command) : isBareCommand(command);
    if (!known) {
        // A code without text is refused before any wake-up: parking it would
        // wake the tester for a command that can never go out.
        s.link.inFlight = Command::None;
        return;
    }
    s.link.inFlight = command;
    if (value)
        s.link.inFlightValue = *value;
    if (s.link.quietTicks > WakeUpThreshold) {
        // The tester drops a command sent after a quiet line, so wake it
        // first; the poll cycle sends the parked command on its answer.
        link.writeBytes(QByteArray(EscapeString));
        s.link.quietTicks = 0;
        // A second wake-up for a command parked behind the first does not
        // put off the timeout of the first.
        if (s.link.step != LinkStep::AwaitingWakeUp)
            s.link.replyTicks = 0;
        s.link.step = LinkStep::AwaitingWakeUp;
        return;
    }
    waitStateSet(s, view);
    QByteArray frame = commandText(command).toLatin1();
    if (value)
        frame += value->toLatin1();
    frame += '\r';
    link.writeBytes(frame);
    s.link.step = LinkStep::AwaitingReply;
    s.link.quietTicks = 0;
    s.link.replyTicks = 0;
}

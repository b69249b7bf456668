#include "engine/link/Commands.h"

#include "engine/link/SerialLink.h"
#include "engine/link/WaitState.h"
#include "engine/state/TesterState.h"

bool IsBareCommand(int code)
{
    if (code < 160 || code > 223)
        return false;
    // Codes without a meaning in the tester's command set.
    return code != 168 && code != 169 && code != 173 && !(code >= 185 && code <= 191);
}

bool IsValueCommand(int code)
{
    return code >= 224 && code <= 243;
}

QString CommandText(int code)
{
    if (!IsBareCommand(code) && !IsValueCommand(code))
        return QString();
    static const char digits[] = "0123456789ABCDEF";
    const QChar text[2] = {QLatin1Char(digits[(code >> 4) & 15]), QLatin1Char(digits[code & 15])};
    return QString(text, 2);
}

Commands::Commands(TesterState &state, SerialLink &serialLink, StatusDisplay &testerView)
    : s(state), link(serialLink), view(testerView)
{
}

void Commands::SendCommand(int code)
{
    send(code, nullptr);
}

void Commands::SendValueCommand(int code, const QString &value)
{
    send(code, &value);
}

void Commands::send(int code, const QString *value)
{
    if (!s.ComChanOpen)
        return;
    if (s.ComSeq > 5)             // a reply is awaited or a port is being probed
        return;
    const bool known = value ? IsValueCommand(code) : IsBareCommand(code);
    if (!known) {
        // A code without text is refused before any wake-up: parking it would
        // wake the tester for a command that can never go out.
        s.comDelayed = 0;
        return;
    }
    s.comDelayed = TesterState::Integer(code);
    if (value)
        s.comDelayedStr = *value;
    if (s.ComCnt > WakeUpThreshold) {
        // The tester drops a command sent after a quiet line, so wake it
        // first; the poll cycle sends the parked command on its answer.
        link.writeBytes(QByteArray(EscapeString));
        s.ComCnt = 0;
        // A second wake-up for a command parked behind the first does not
        // put off the timeout of the first.
        if (s.ComSeq != 5)
            s.ReplyCnt = 0;
        s.ComSeq = 5;
        return;
    }
    WaitStateSet(s, view);
    QByteArray frame = CommandText(code).toLatin1();
    if (value)
        frame += value->toLatin1();
    frame += '\r';
    link.writeBytes(frame);
    s.ComSeq = 10;
    s.ComCnt = 0;
    s.ReplyCnt = 0;
}

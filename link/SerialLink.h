#pragma once

#include <QByteArray>
#include <QString>

class SerialPort;
class TesterView;
struct TesterState;

// The tester's serial line: opening, flushing and closing the port, and
// collecting received characters into CR-terminated reply lines.
class SerialLink
{
public:
    SerialLink(TesterState &state, SerialPort &port, TesterView &view);

    void OpenCommPort(int port, bool &ok);
    void ClearCommBuffers();
    void CloseCommPort();
    bool GetSerial();            // true when a complete line is in ReplyLine
    bool CommReady() const;
    void ShowCommMessage(const QString &text);
    void NoCommMessage();

    void writeBytes(const QByteArray &bytes);
    bool portAlive() const;      // false once the device behind an open port vanished

    QByteArray RxBuffer;         // received characters not yet taken as a line
    QString ReplyLine;           // the last complete line, without its CR

private:
    TesterState &s;
    SerialPort &port;
    TesterView &view;
};

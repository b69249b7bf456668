#pragma once

#include <QByteArray>
#include <QString>

class PortClaims;
class SerialPort;
class StatusDisplay;
struct TesterState;

// The tester's serial line: opening, flushing and closing the port, and
// collecting received characters into CR-terminated reply lines.
class SerialLink
{
public:
    // A device that streams characters without ever sending a CR keeps only
    // this many of them: a few times the port's 1024-character buffer.
    static constexpr int RxBufferLimit = 4096;

    SerialLink(TesterState &state, SerialPort &port, StatusDisplay &view);
    ~SerialLink();

    // The ports shared with the links of other testers in this program, or
    // null when this link is the only one (then it tries every port).
    void sharePorts(PortClaims *claims);
    // The port the search tries after `previous` (1..16, 16 wraps to 1),
    // passing over numbers the port says do not exist; 0 when there is
    // none (the other links hold every port that exists).
    int nextPortToTry(int previous) const;
    // A tester answered on the open port: it stays this link's.
    void keepPortForTester();
    // Another tester answered on this link's port: the port is closed and
    // left to the other links; this link searches nowhere until it is
    // handed a port.
    void giveUpPort();
    // Its tester answers on `port` now: the link looks for it there only.
    void takePort(int port);

    void openCommPort(int port, bool &ok);
    void clearCommBuffers();
    void closeCommPort();
    bool readReplyLine();   // true when a complete line is in ReplyLine
    bool commReady() const;
    void showCommMessage(const QString &text);
    void noCommMessage();

    // Appends the waiting characters to RxBuffer without touching quietTicks;
    // false when nothing was waiting.
    bool takeWaiting();
    // The tester's "+" / "-" signals that arrived glued to a reply line (see
    // readReplyLine), handed over once; empty when there were none.
    QByteArray takePendingSignals();
    void dropWaiting();   // reads and forgets whatever is waiting
    void writeBytes(const QByteArray &bytes);
    bool portAlive() const;       // false once the device behind an open port vanished
    QString deviceName() const;   // the device of the open port, when the platform names it
    // Why the last port tried did not open, with its number and device:
    // "Comm 1 (/dev/ttyUSB0): not present"; empty when there is no reason to tell.
    QString openProblem(int portNumber) const;

    QByteArray RxBuffer;   // received characters not yet taken as a line
    QString ReplyLine;     // the last complete line, without its CR

private:
    void boundRxBuffer();
    void keepSignals(const QByteArray &text);

    PortClaims *claims = nullptr;
    int openPort = 0;   // the port this link opened, 0 when closed

    bool pendingNewData = false;     // a "+" seen while a reply was awaited
    bool pendingTestEnded = false;   // a "-" seen while a reply was awaited

    TesterState &s;
    SerialPort &port;
    StatusDisplay &view;
};

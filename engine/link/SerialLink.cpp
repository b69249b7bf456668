#include "engine/link/SerialLink.h"

#include "engine/link/PortClaims.h"
#include "engine/link/SerialPort.h"
#include "engine/state/StatusDisplay.h"
#include "engine/state/TesterState.h"

namespace {

// A byte no answer of the tester begins with: a control character other
// than the line end, or one outside ASCII.
bool isStrayByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte != '\r' && (byte < 0x20 || byte >= 0x7f);
}

}   // namespace

SerialLink::SerialLink(TesterState &state, SerialPort &serialPort, StatusDisplay &testerView)
    : s(state), port(serialPort), view(testerView)
{
}

SerialLink::~SerialLink()
{
    if (claims)
        claims->releaseAll(this);
}

void SerialLink::sharePorts(PortClaims *shared)
{
    if (claims)
        claims->releaseAll(this);
    claims = shared;
}

int SerialLink::nextPortToTry(int previous) const
{
    int candidate = previous;
    for (int tries = 0; tries < PortCount; ++tries) {
        if (claims)
            candidate = claims->nextPort(this, candidate);
        else
            candidate = candidate >= 1 && candidate < PortCount ? candidate + 1 : 1;
        if (candidate == 0 || port.portExists(candidate))
            return candidate;
    }
    return 0;
}

void SerialLink::keepPortForTester()
{
    if (claims && openPort != 0)
        claims->keepForTester(openPort, this);
}

void SerialLink::giveUpPort()
{
    const int given = openPort;
    closeCommPort();
    if (claims)
        claims->giveUp(given, this);
}

void SerialLink::takePort(int portNumber)
{
    if (openPort != 0 && openPort != portNumber)
        closeCommPort();
    if (claims)
        claims->handOver(portNumber, this);
}

void SerialLink::openCommPort(int portNumber, bool &ok)
{
    ok = false;
    if (portNumber < 1 || portNumber > PortCount)
        return;
    if (port.isOpen())
        return;
    // Another tester's link has this port: not even a probe goes to it.
    if (claims && !claims->claim(portNumber, this))
        return;
    port.selectPort(portNumber);
    port.open();   // a port that fails to open simply reads as closed
    if (port.isOpen()) {
        openPort = portNumber;
        clearCommBuffers();
        ok = true;
    } else if (claims) {
        claims->release(portNumber, this);
    }
}

void SerialLink::clearCommBuffers()
{
    s.link.quietTicks = ReplyTimeoutTicks;
    port.discardInput();
    port.discardOutput();
    RxBuffer.clear();
    ReplyLine.clear();
    pendingNewData = pendingTestEnded = false;
}

void SerialLink::closeCommPort()
{
    port.close();
    if (claims && openPort != 0)
        claims->release(openPort, this);
    openPort = 0;
    s.link.portOpen = false;
    s.link.step = LinkStep::Idle;
    RxBuffer.clear();
    ReplyLine.clear();
    pendingNewData = pendingTestEnded = false;
    s.session.downloadedOnce = false;
}

bool SerialLink::takeWaiting()
{
    if (port.bytesWaiting() <= 0)
        return false;
    const QByteArray bytes = port.readAll();
    if (bytes.isEmpty())
        return false;
    RxBuffer += bytes;
    return true;
}

bool SerialLink::readReplyLine()
{
    if (!takeWaiting())
        return false;
    // Any received character shows the tester awake (no wake-up needed for
    // the next command); the reply timeout runs on from the command.
    s.link.quietTicks = 0;
    const int cr = int(RxBuffer.indexOf('\r'));
    if (cr < 0) {
        boundRxBuffer();
        return false;
    }
    // The tester signals "+" or "-" whenever it sees the line idle, so a
    // signal can cross a command and arrive glued in front of the reply
    // ("+*...") or right behind it. Dropping it would lose a sample, and in
    // break-update mode leave the tester paused at its break for good: such
    // signals are kept for the idle link, and the reply counts as a reply.
    // Stray bytes on a noisy line (no printable character can be one) may
    // come in front of a reply too: they are skipped up to the "*", so they
    // cost neither the reply nor, in a wait for a star line, the link.
    int start = 0;
    QByteArray crossed;
    while (start < cr && (isStrayByte(RxBuffer[start]) || RxBuffer[start] == '+' || RxBuffer[start] == '-')) {
        if (!isStrayByte(RxBuffer[start]))
            crossed += RxBuffer[start];
        ++start;
    }
    QByteArray line;
    if (start < cr && RxBuffer[start] == '*') {
        keepSignals(crossed);
        line = RxBuffer.mid(start, cr - start);
    } else {
        // No star follows: the line is taken for what it is, less its stray bytes.
        line = crossed + RxBuffer.mid(start, cr - start);
    }
    // Only the first line of a burst counts; what follows its CR is dropped,
    // apart from a signal that came on its own behind it.
    const QByteArray after = RxBuffer.mid(cr + 1);
    bool onlySignals = !after.isEmpty();
    for (char c : after)
        onlySignals = onlySignals && (c == '+' || c == '-' || c == '\r' || c == '\n');
    if (onlySignals)
        keepSignals(after);
    ReplyLine = QString::fromLatin1(line);
    RxBuffer.clear();
    return true;
}

void SerialLink::keepSignals(const QByteArray &text)
{
    pendingNewData = pendingNewData || text.contains('+');
    pendingTestEnded = pendingTestEnded || text.contains('-');
}

QByteArray SerialLink::takePendingSignals()
{
    QByteArray signalText;
    if (pendingNewData)
        signalText += '+';
    if (pendingTestEnded)
        signalText += '-';
    pendingNewData = pendingTestEnded = false;
    return signalText;
}

void SerialLink::boundRxBuffer()
{
    if (RxBuffer.size() > RxBufferLimit)
        RxBuffer.remove(0, RxBuffer.size() - RxBufferLimit);
}

void SerialLink::dropWaiting()
{
    if (port.bytesWaiting() > 0)
        port.readAll();
}

bool SerialLink::commReady() const
{
    return s.link.portOpen && !s.link.busy;
}

void SerialLink::showCommMessage(const QString &text)
{
    s.link.messagePeriods = 0;
    view.showBarMessage(text);
}

void SerialLink::noCommMessage()
{
    view.showBarPanels();
}

void SerialLink::writeBytes(const QByteArray &bytes)
{
    port.write(bytes);
}

bool SerialLink::portAlive() const
{
    return port.isOpen();
}

QString SerialLink::deviceName() const
{
    return port.deviceName();
}

QString SerialLink::openProblem(int portNumber) const
{
    const QString problem = port.openProblem();
    if (problem.isEmpty())
        return problem;
    const QString device = port.deviceName();
    const QString where = device.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(device);
    return QStringLiteral("Comm %1").arg(portNumber) + where + QStringLiteral(": ") + problem;
}

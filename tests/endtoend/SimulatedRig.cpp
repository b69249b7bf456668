#include "SimulatedRig.h"

#include <QtCore>
#include <algorithm>
#include <thread>
#include <utility>

namespace {

// How long bytes may take to cross the pseudo-terminal before a tick goes on
// without them: far beyond any load, yet a broken count cannot hang a test.
constexpr int CrossingCeilingMs = 10000;

void takeOff(qint64 &owed, qint64 bytes)
{
    owed = std::max<qint64>(0, owed - bytes);
}

}   // namespace

bool CountedPort::open()
{
    owedToTester = owedToProgram = 0;
    return QtSerialPort::open();
}

QByteArray CountedPort::readAll()
{
    const QByteArray bytes = QtSerialPort::readAll();
    takeOff(owedToProgram, bytes.size());
    return bytes;
}

void CountedPort::write(const QByteArray &bytes)
{
    QtSerialPort::write(bytes);
    if (isOpen())
        owedToTester += bytes.size();
}

// Whatever the tester said before is thrown away, also what is still on its way.
void CountedPort::discardInput()
{
    QtSerialPort::discardInput();
    owedToProgram = 0;
}

// The tester's end of the line, noting every byte it receives. Bytes that
// have crossed are collected while the rig waits for them and handed to
// the pump on its next read.
class SimulatedRig::RecordingLine : public SimulatorLine
{
public:
    RecordingLine(PseudoTerminal &pty, QByteArray &received, CountedPort &port)
        : pty(pty), received(received), port(port)
    {
    }
    bool isOpen() const override { return pty.isOpen(); }
    QByteArray read() override
    {
        collect();
        received += inbox;
        return std::exchange(inbox, {});
    }
    void write(const QByteArray &bytes) override
    {
        // What the pseudo-terminal took now, earlier bytes it had refused included.
        const int queued = std::min(pty.pendingBytes() + int(bytes.size()), PseudoTerminal::MaxPending);
        pty.write(bytes);
        port.owedToProgram += queued - pty.pendingBytes();
    }
    void close() override { pty.close(); }

    void collect()
    {
        const QByteArray bytes = pty.read();
        inbox += bytes;
        takeOff(port.owedToTester, bytes.size());
    }

private:
    PseudoTerminal &pty;
    QByteArray &received;
    CountedPort &port;
    QByteArray inbox;
};

SimulatorConfig SimulatedRig::fastConfig()
{
    SimulatorConfig config;
    config.periodMs = 200;
    config.signalQuietMs = 120;
    return config;
}

SimulatedRig::SimulatedRig(const SimulatorConfig &config)
    : tester(config), port([this](int n) { return n == 1 && pty.isOpen() ? pty.slavePath() : QString(); })
{
    pty.open();
    line = std::make_unique<RecordingLine>(pty, received, port);
    pump = std::make_unique<SimulatorPump>(tester, *line);
    engine = std::make_unique<TesterEngine>(s, port, view);
    engine->setSampleListener(&log);
}

SimulatedRig::~SimulatedRig()
{
    engine.reset();
    port.close();
}

// Bytes written on one side of a pseudo-terminal reach the other side some
// time later (microseconds on an idle machine, much longer on a loaded
// one), and QSerialPort takes them in from the event loop.
void SimulatedRig::crossLine()
{
    const QDeadlineTimer ceiling(CrossingCeilingMs);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        line->collect();
        if (crossed() || ceiling.hasExpired())
            return;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

bool SimulatedRig::crossed()
{
    // A pulled cable or a closed port carries nothing more.
    if (!pty.isOpen() || !port.isOpen())
        return true;
    // The port's own buffer stops taking bytes in when it is full.
    const int waiting = port.bytesWaiting();
    return port.owedToTester == 0 && (port.owedToProgram <= waiting || waiting >= QtSerialPort::ReadBufferSize);
}

void SimulatedRig::tick(int count)
{
    for (int i = 0; i < count; ++i) {
        (driven ? driven : engine.get())->pollTick();
        crossLine();
        pump->step(50);
        crossLine();
    }
}

bool SimulatedRig::tickUntil(const std::function<bool()> &condition, int maxTicks)
{
    for (int i = 0; i < maxTicks && !condition(); ++i)
        tick();
    return condition();
}

bool SimulatedRig::connect()
{
    return tickUntil([this] { return s.session.downloadedOnce && engine->commReady(); }, 200);
}

bool SimulatedRig::settle()
{
    return tickUntil([this] { return s.link.portOpen && s.link.step == LinkStep::Idle && engine->commReady(); }, 100);
}

#include "SimulatedRig.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <thread>

// The tester's end of the line, noting every byte it receives.
class SimulatedRig::RecordingLine : public SimulatorLine
{
public:
    RecordingLine(PseudoTerminal &pty, QByteArray &received) : pty(pty), received(received) {}
    bool isOpen() const override { return pty.isOpen(); }
    QByteArray read() override
    {
        const QByteArray bytes = pty.read();
        received += bytes;
        return bytes;
    }
    void write(const QByteArray &bytes) override { pty.write(bytes); }
    void close() override { pty.close(); }

private:
    PseudoTerminal &pty;
    QByteArray &received;
};

SimulatorConfig SimulatedRig::FastConfig()
{
    SimulatorConfig config;
    config.periodMs = 200;
    config.signalQuietMs = 120;
    return config;
}

SimulatedRig::SimulatedRig(const SimulatorConfig &config)
    : tester(config),
      port([this](int n) { return n == 1 && pty.isOpen() ? pty.slavePath() : QString(); })
{
    pty.open();
    line = std::make_unique<RecordingLine>(pty, received);
    pump = std::make_unique<SimulatorPump>(tester, *line);
    engine = std::make_unique<TesterEngine>(s, port, view);
    engine->setSampleLog(&log);
}

SimulatedRig::~SimulatedRig()
{
    engine.reset();
    port.close();
}

// Bytes written on one side of a pseudo-terminal reach the other side a few
// microseconds later, and QSerialPort takes them in from the event loop.
void SimulatedRig::crossLine()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SimulatedRig::tick(int count)
{
    for (int i = 0; i < count; ++i) {
        (driven ? driven : engine.get())->Tick();
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
    return tickUntil([this] { return s.DownLoadedOnce && engine->CommReady(); }, 200);
}

bool SimulatedRig::settle()
{
    return tickUntil([this] { return s.ComChanOpen && s.ComSeq == 0 && engine->CommReady(); }, 100);
}

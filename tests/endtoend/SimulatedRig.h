#pragma once

#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "platform/QtSerialPort.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"
#include "support/FakeSerialPort.h"
#include "support/FakeView.h"

#include <functional>
#include <memory>

// The real port, counting the bytes each end of the line has sent that the
// other end has not taken in yet.
class CountedPort : public QtSerialPort
{
public:
    using QtSerialPort::QtSerialPort;
    bool open() override;
    QByteArray readAll() override;
    void write(const QByteArray &bytes) override;
    void discardInput() override;

    qint64 owedToTester = 0, owedToProgram = 0;
};

// The engine on the real QSerialPort backend and a simulated tester on the
// master side of a pseudo-terminal mapped as port 1, the only port. Each
// tick() is one poll tick plus 50 ms of the tester's time, without waiting
// the 50 ms, so thousands of ticks take a second or two. Between the two
// ends a tick waits until every byte sent has crossed the pseudo-terminal,
// however long a loaded machine takes to carry it.
class SimulatedRig
{
public:
    explicit SimulatedRig(const SimulatorConfig &config = fastConfig());
    ~SimulatedRig();

    static SimulatorConfig fastConfig();   // 200 ms cycles, no faults

    void tick(int count = 1);
    // Ticks until the condition holds; false after maxTicks without it.
    bool tickUntil(const std::function<bool()> &condition, int maxTicks);
    bool connect();   // found, first record taken, link ready
    bool settle();    // link idle and ready for a command

    // Ticks `other` from now on instead of the rig's own engine, for
    // example a main window's engine on the same port.
    void drive(TesterEngine &other) { driven = &other; }

    // The tester runs n cycles and stops before the program talks to it.
    void runCycles(int n)
    {
        tester.receive("AC\r");
        tester.advance(n * tester.config().periodMs + 10);
        tester.receive("A1\r");
        tester.takeOutput();
    }

    void pullCable() { pty.close(); }
    bool plugCable() { return pty.open(); }

    // What the tester received since the last call: "<ESC>" or a command
    // line without its CR ("AE", "F35").
    QStringList takeFrames() { return takeFramesFrom(received); }

    TesterState s;
    FakeView view;
    FakeSampleListener log;
    SimulatedTester tester;
    PseudoTerminal pty;
    CountedPort port;
    std::unique_ptr<TesterEngine> engine;

private:
    class RecordingLine;
    void crossLine();
    bool crossed();

    std::unique_ptr<RecordingLine> line;
    std::unique_ptr<SimulatorPump> pump;
    QByteArray received;
    TesterEngine *driven = nullptr;
};

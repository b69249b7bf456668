#pragma once

#include "support/FakeView.h"
#include "link/QtSerialPort.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"
#include "state/TesterState.h"
#include "supervision/TesterEngine.h"

#include <functional>
#include <memory>

// The whole conversation for end-to-end tests: the engine on the real
// QSerialPort backend, a simulated tester on the master side of a
// pseudo-terminal mapped as port 1 (the only port), a recording view and a
// counting sample log. tick() runs one poll tick, lets the bytes cross the
// pseudo-terminal and moves the tester's time on by 50 ms; no real 50 ms
// waits, so thousands of ticks take a second or two.
class SimulatedRig
{
public:
    explicit SimulatedRig(const SimulatorConfig &config = FastConfig());
    ~SimulatedRig();

    static SimulatorConfig FastConfig();   // 200 ms cycles, no faults

    void tick(int count = 1);
    // Ticks until the condition holds; false after maxTicks without it.
    bool tickUntil(const std::function<bool()> &condition, int maxTicks);
    // Finds the tester and takes its first record; false if that fails.
    bool connect();
    // Ticks until the link is idle and ready for an operator command.
    bool settle(int maxTicks = 100);

    // Moves the tester's bytes both ways without a poll tick.
    void stepTester(int ms = 0);

    void pullCable() { pty.close(); }
    bool plugCable() { return pty.open(); }

    // What the tester received, as frames: "<ESC>" or a command line
    // without its CR ("AE", "F35"). takeFrames() returns and forgets them.
    QStringList takeFrames();

    static constexpr int TickMs = 50;

    TesterState s;
    FakeView view;
    FakeSampleLog log;
    SimulatedTester tester;
    PseudoTerminal pty;
    QtSerialPort port;
    std::unique_ptr<TesterEngine> engine;

private:
    class RecordingLine;
    void crossLine();

    std::unique_ptr<RecordingLine> line;
    std::unique_ptr<SimulatorPump> pump;
    QByteArray received;
};

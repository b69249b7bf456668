#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

class QSocketNotifier;

class SimulatedTester;
class SimulatorLine;

// Joins the simulated tester to its line: moves received bytes in, moves due
// replies and signals out, and moves the tester's time on. Tests call step()
// with the time that passed; the programs call start(), which steps on a
// timer by the real time elapsed. With the cable pulled the tester keeps
// running and what it says is lost.
class SimulatorPump : public QObject
{
public:
    SimulatorPump(SimulatedTester &tester, SimulatorLine &line, QObject *parent = nullptr);

    // Returns whether bytes went over the line in either direction.
    bool step(int ms);
    // Steps every intervalMs. With a longer longestSleepMs, on a line that
    // can tell when bytes arrive, the pump instead wakes for those bytes and
    // for the moments the tester has something to do on its own (a reply
    // piece, the end of a cycle, a signal), and otherwise at least that
    // often: a tester that cycles once a second then costs the machine a
    // handful of wake-ups a second.
    void start(int intervalMs, int longestSleepMs = 0);
    void stop();
    ~SimulatorPump() override;

private:
    void onTimer();
    void scheduleNext();
    void watchLine();

    SimulatedTester &tester;
    SimulatorLine &line;
    QTimer timer;
    QElapsedTimer elapsed;
    qint64 stepped = 0;
    int interval = 0;
    int longestSleep = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    int watchedHandle = -1;
};

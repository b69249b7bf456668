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
    // Steps every intervalMs. With a longer quietIntervalMs, a quiet line
    // is stepped only that often, and at once when bytes arrive on a line
    // that can tell: a waiting tester then costs the machine next to
    // nothing, and a conversation brings the short interval back.
    void start(int intervalMs, int quietIntervalMs = 0);
    void stop();
    ~SimulatorPump() override;

    // Long enough for the pieces of a split reply, which leave 20 ms apart.
    static constexpr qint64 BusyAfterTrafficMs = 50;

private:
    void onTimer();
    void watchLine();

    SimulatedTester &tester;
    SimulatorLine &line;
    QTimer timer;
    QElapsedTimer elapsed;
    qint64 stepped = 0;
    qint64 lastTraffic = 0;
    int busyInterval = 0;
    int quietInterval = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    int watchedHandle = -1;
};

#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

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

    void step(int ms);
    void start(int intervalMs);
    void stop();

private:
    void onTimer();

    SimulatedTester &tester;
    SimulatorLine &line;
    QTimer timer;
    QElapsedTimer elapsed;
    qint64 stepped = 0;
};

#include "simulator/SimulatorPump.h"

#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorLine.h"

SimulatorPump::SimulatorPump(SimulatedTester &tester, SimulatorLine &line, QObject *parent)
    : QObject(parent), tester(tester), line(line)
{
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, this, [this] { onTimer(); });
}

void SimulatorPump::step(int ms)
{
    if (line.isOpen())
        tester.receive(line.read());
    // What is due now goes out before time moves on, so that the pieces of a
    // split reply leave in different steps.
    const QByteArray out = tester.takeOutput();
    if (line.isOpen() && !out.isEmpty())
        line.write(out);
    tester.advance(ms);
}

void SimulatorPump::start(int intervalMs)
{
    elapsed.start();
    stepped = 0;
    timer.start(intervalMs);
}

void SimulatorPump::stop()
{
    timer.stop();
}

void SimulatorPump::onTimer()
{
    const qint64 total = elapsed.elapsed();
    step(int(total - stepped));
    stepped = total;
}

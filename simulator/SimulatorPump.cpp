#include "simulator/SimulatorPump.h"

#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorLine.h"

#include <QSocketNotifier>
#include <algorithm>

SimulatorPump::SimulatorPump(SimulatedTester &tester, SimulatorLine &line, QObject *parent)
    : QObject(parent), tester(tester), line(line)
{
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, this, [this] { onTimer(); });
}

bool SimulatorPump::step(int ms)
{
    bool traffic = false;
    if (line.isOpen()) {
        const QByteArray in = line.read();
        traffic = !in.isEmpty();
        tester.receive(in);
    }
    // What is due now goes out before time moves on, so that the pieces of a
    // split reply leave in different steps.
    const QByteArray out = tester.takeOutput();
    if (line.isOpen() && !out.isEmpty()) {
        line.write(out);
        traffic = true;
    }
    tester.advance(ms);
    return traffic;
}

void SimulatorPump::start(int intervalMs, int quietIntervalMs)
{
    elapsed.start();
    stepped = 0;
    lastTraffic = 0;
    busyInterval = intervalMs;
    quietInterval = std::max(intervalMs, quietIntervalMs);
    timer.start(intervalMs);
    watchLine();
}

void SimulatorPump::stop()
{
    timer.stop();
    notifier.reset();
    watchedHandle = -1;
}

SimulatorPump::~SimulatorPump() = default;

// Bytes from the program wake the pump at once instead of at its next step.
void SimulatorPump::watchLine()
{
    const int handle = quietInterval > busyInterval && line.isOpen() ? line.readableHandle() : -1;
    if (handle == watchedHandle)
        return;
    notifier.reset();
    watchedHandle = handle;
    if (handle < 0)
        return;
    notifier = std::make_unique<QSocketNotifier>(handle, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, this, [this] { onTimer(); });
}

void SimulatorPump::onTimer()
{
    const qint64 total = elapsed.elapsed();
    if (step(int(total - stepped)))
        lastTraffic = total;
    stepped = total;
    const int wanted = total - lastTraffic < BusyAfterTrafficMs ? busyInterval : quietInterval;
    if (timer.interval() != wanted)
        timer.start(wanted);
    watchLine();
}

#include "simulator/SimulatorPump.h"

#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorLine.h"

#include <QSocketNotifier>
#include <algorithm>

SimulatorPump::SimulatorPump(SimulatedTester &tester, SimulatorLine &line, QObject *parent)
    : QObject(parent), tester(tester), line(line)
{
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
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

void SimulatorPump::start(int intervalMs, int longestSleepMs)
{
    elapsed.start();
    stepped = 0;
    interval = std::max(1, intervalMs);
    longestSleep = std::max(interval, longestSleepMs);
    scheduleNext();
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
    const int handle = longestSleep > interval && line.isOpen() ? line.readableHandle() : -1;
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
    // The time since the last step has passed before what arrived in it is
    // taken in: a reply then speaks of the tester as it is now.
    const qint64 total = elapsed.elapsed();
    tester.advance(int(total - stepped));
    stepped = total;
    step(0);
    scheduleNext();
}

void SimulatorPump::scheduleNext()
{
    watchLine();
    // A line that can't say when bytes arrive is looked at every interval;
    // a pulled cable brings none.
    const bool bytesWake = watchedHandle >= 0 || !line.isOpen();
    int wait = interval;
    if (longestSleep > interval && bytesWake) {
        const qint64 due = tester.msUntilDue();
        wait = int(due < 0 ? longestSleep : std::min<qint64>(due, longestSleep));
    }
    timer.start(wait);
}

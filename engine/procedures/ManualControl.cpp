#include "engine/procedures/ManualControl.h"

#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"

namespace {
const QString NoReading = QStringLiteral("----");
}

ManualControl::ManualControl(TesterState &state, TesterEngine &testerEngine)
    : s(state), engine(testerEngine), readingText(NoReading)
{
}

void ManualControl::runManualMenu(const std::function<void()> &showDialog)
{
    if (!engine.commReady())
        return;
    open = true;
    pistonUpOwed = true;
    readingText = NoReading;
    showDialog();
    if (open)
        closeManual();   // a dialog that went without saying so
}

void ManualControl::lowerPiston()
{
    engine.sendCommand(Command::PistonDown);
}
void ManualControl::raisePiston()
{
    engine.sendCommand(Command::PistonUp);
}
void ManualControl::readData()
{
    engine.sendCommand(Command::ReadResistance);
}

void ManualControl::closeManual()
{
    if (!open)
        return;
    engine.sendCommand(Command::PistonUp);
    open = false;
    // The next dialog shows only statuses decoded after this one closed.
    ticked = false;
}

void ManualControl::showPiston(bool pistonDown)
{
    ticked = pistonDown;
    if (!open && !pistonDown)
        pistonUpOwed = false;
    notify();
}

void ManualControl::showManualReading(const QString &text)
{
    if (!open)
        return;
    readingText = text;
    notify();
}

void ManualControl::notify()
{
    if (open)
        Q_EMIT changed();
}

void ManualControl::raisePistonPolling(const std::function<void()> &pollOnce, int maxPolls)
{
    closeManual();
    // A test the tester runs goes on without us: nothing is sent to it.
    for (int i = 0; i < maxPolls && pistonUpOwed && s.link.portOpen && !s.counters.running; ++i) {
        // The piston-up of Close may have been dropped on a busy link, or
        // the tester may still report the piston down: send it (again)
        // whenever the link is free.
        if (s.link.step == LinkStep::Idle)
            engine.sendCommand(Command::PistonUp);
        pollOnce();
    }
}

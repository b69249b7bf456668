#pragma once

#include "engine/state/ManualDisplay.h"

#include <QObject>
#include <QString>
#include <functional>

class TesterEngine;
struct TesterState;

// Run, Manual: the operator moves the piston by hand and takes single
// contact readings. The buttons only send commands; the answers come back
// through the poll cycle, which tells them here for the open dialog to show.
class ManualControl : public QObject, public ManualDisplay
{
    Q_OBJECT

public:
    ManualControl(TesterState &state, TesterEngine &engine);

    // Shows the dialog (modal: returns when it has closed) while the link is
    // ready; otherwise does nothing.
    void runManualMenu(const std::function<void()> &showDialog);

    // The dialog's buttons. They send without asking whether the link is
    // ready: a press while a command is in flight is dropped.
    void lowerPiston();
    void raisePiston();
    void readData();
    // The dialog closes, whichever way: the piston goes up first.
    void closeManual();

    // What the poll cycle decoded. A status ticks the box even while the
    // dialog is closed; the next dialog starts from it.
    void showPiston(bool down) override;
    void showManualReading(const QString &text) override;

    bool isOpen() const { return open; }
    bool pistonTicked() const { return ticked; }
    QString reading() const { return readingText; }

    // Shut-down: the fixture is never left actuated. After the dialog was
    // used, and until a status shows the piston up, piston-up goes to a
    // tester that is not running a test; `pollOnce` lets one poll tick's
    // time pass. Gives up after `maxPolls` polls.
    void raisePistonPolling(const std::function<void()> &pollOnce, int maxPolls);

Q_SIGNALS:
    void changed();   // the open dialog redraws the box and the reading

private:
    void notify();

    TesterState &s;
    TesterEngine &engine;
    bool open = false;
    bool ticked = false;
    bool pistonUpOwed = false;
    QString readingText;
};

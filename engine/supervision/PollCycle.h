#pragma once

#include "engine/supervision/SilenceWatch.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <functional>

class Commands;
class ReplyEffects;
class SerialLink;
class LinkListener;
class RunListener;
class StatusDisplay;
struct TesterState;

// One poll tick: the main loop of the conversation with the tester. Each
// tick advances the link's step (LinkStep) by at most one and never waits:
// idle, it watches for the tester's own "+" (new data) and "-" (test
// ended); it waits for the answer to a wake-up or a command, applies an
// acknowledged reply, and probes a freshly opened port with two wake-ups.
//
// An answer awaited that has not come ReplyTimeoutTicks after the byte that
// asked for it closes the port, whatever else arrived meanwhile. A running
// tester that falls silent is asked for a sample (SilenceWatch), so a dead
// one is found by that timeout too. With no port open, each tick tries the
// next port number.
class PollCycle
{
public:
    static constexpr int SlowTaskPeriod = 9;   // ticks between status and LED updates
    static constexpr int FoundMessagePeriods = 6;

    PollCycle(TesterState &state, SerialLink &link, Commands &commands, StatusDisplay &display,
              LinkListener &linkListener, RunListener &runListener, ReplyEffects &replies);

    void pollTick();
    // Gives up the port, if one is open, and searches from port 1 again:
    // the ports were changed on purpose, so this is no lost link.
    void restartSearch();

    // The error LED as last drawn: 0 lit, 1 dark. The cycle keeps it, so
    // that a blinking lamp alternates whatever a window shows.
    int ledDrawing() const { return ledDrawn; }

    // When link events happen; local time unless a test fixes it.
    std::function<QDateTime()> clock = &QDateTime::currentDateTime;

private:
    void slowTasks();
    void drawLed(int drawing);
    void searchStep();
    void idleStep();
    void wakeUpStep();
    void replyStep();
    void applyStep();
    void probeStart();
    void probeFirstAnswer();
    void probeSecondAnswer();
    void replyTimeout();
    void chainDropped();

    TesterState &s;
    SerialLink &link;
    Commands &cmds;
    StatusDisplay &view;
    LinkListener &linkEvents;
    RunListener &runEvents;
    ReplyEffects &replies;
    int ledDrawn = 1;
    bool testerFound = false;          // a tester answered on the open port
    SilenceWatch silence;              // of the tester found
    bool noPortLeftTold = false;       // the search was told it has no port to try
    QMap<int, QString> openProblems;   // why ports of this search did not open, by port
};

#include "engine/supervision/PollCycle.h"

#include "engine/link/Commands.h"
#include "engine/link/SerialLink.h"
#include "engine/link/WaitState.h"
#include "engine/state/LinkListener.h"
#include "engine/state/RunListener.h"
#include "engine/state/StatusDisplay.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/ReplyEffects.h"

#include <algorithm>

namespace {

// One tick more on a count that stops at ReplyTimeoutTicks; a count out of
// its range (never set so) counts as run out.
void countTick(TesterState::Integer &count)
{
    count = TesterState::Integer(count < 0 ? ReplyTimeoutTicks : std::min(count + 1, ReplyTimeoutTicks));
}

}   // namespace

PollCycle::PollCycle(TesterState &state, SerialLink &serialLink, Commands &commands, StatusDisplay &display,
                     LinkListener &linkListener, RunListener &runListener, ReplyEffects &replyEffects)
    : s(state), link(serialLink), cmds(commands), view(display), linkEvents(linkListener), runEvents(runListener),
      replies(replyEffects)
{
}

void PollCycle::pollTick()
{
    countTick(s.link.quietTicks);
    countTick(s.link.replyTicks);

    ++s.link.slowTaskTicks;
    if (s.link.slowTaskTicks >= SlowTaskPeriod || s.link.slowTaskTicks < 0) {
        s.link.slowTaskTicks = 0;
        slowTasks();
    }

    if (!s.link.portOpen) {
        searchStep();
        return;
    }
    // The port backend closes itself when the device goes away (a pulled
    // cable, a read error): give the port up now instead of waiting for a
    // reply timeout, so the search goes on at once.
    if (!link.portAlive()) {
        replyTimeout();
        return;
    }
    if (testerFound)
        silence.tick(s.counters.running);

    switch (s.link.step) {
    case LinkStep::Idle: idleStep(); break;
    case LinkStep::AwaitingWakeUp: wakeUpStep(); break;
    case LinkStep::AwaitingReply: replyStep(); break;
    case LinkStep::ReplyReady: applyStep(); break;
    case LinkStep::ProbeStart: probeStart(); break;
    case LinkStep::ProbeFirstAnswer: probeFirstAnswer(); break;
    case LinkStep::ProbeSecondAnswer: probeSecondAnswer(); break;
    default:
        // Not a step of the link: whatever was in flight is lost, so the
        // link is idle and free, as after a dropped reply.
        s.link.step = LinkStep::Idle;
        s.link.inFlight = Command::None;
        chainDropped();
        waitStateClear(s, view);
        break;
    }
}

void PollCycle::restartSearch()
{
    link.closeCommPort();
    testerFound = false;
    openProblems.clear();
    s.link.port = 0;
    chainDropped();
    view.updateControls();
}

void PollCycle::slowTasks()
{
    if (s.link.messagePeriods > 0) {
        --s.link.messagePeriods;
        if (s.link.messagePeriods == 0)
            link.noCommMessage();
    }
    // The error LED: lit, dark, or blinking at one change per slow period.
    if (s.counters.ledState == ledDrawn)
        return;
    if (s.counters.ledState == 0 || s.counters.ledState == 1)
        drawLed(s.counters.ledState);
    else if (s.counters.ledState == 2)
        drawLed(ledDrawn == 0 ? 1 : 0);
}

void PollCycle::drawLed(int drawing)
{
    ledDrawn = drawing;
    view.drawLed(drawing);
}

void PollCycle::searchStep()
{
    // The controls are greyed once when the search begins: recomputing
    // them for every port tried would change nothing.
    if (!s.link.busy) {
        s.link.busy = true;
        view.updateControls();
    }
    // The next port, passing over those other testers of this program hold.
    const int port = link.nextPortToTry(s.link.port);
    if (port == 0) {
        // Said once, not on every tick: no port is left for this search.
        if (!noPortLeftTold) {
            noPortLeftTold = true;
            linkEvents.portTried(0, QString());
        }
        return;
    }
    noPortLeftTold = false;
    s.link.port = TesterState::Integer(port);
    bool ok = false;
    link.openCommPort(s.link.port, ok);
    s.link.portOpen = ok;
    // A port that cannot be opened says why and what to do, until it opens
    // or the tester is found; the first such port stays in front of the
    // search message, which then changes only in its port number.
    const QString problem = ok ? QString() : link.openProblem(s.link.port);
    if (problem.isEmpty())
        openProblems.remove(s.link.port);
    else
        openProblems.insert(s.link.port, problem);
    const QString searching = QStringLiteral("Searching For Tester On Comm ") + QString::number(s.link.port);
    link.showCommMessage(openProblems.isEmpty() ? searching : openProblems.first() + QStringLiteral(". ") + searching);
    linkEvents.portTried(s.link.port, problem);
    if (ok) {
        s.link.step = LinkStep::ProbeStart;
        s.link.quietTicks = 0;
    } else {
        s.link.step = LinkStep::Idle;
        s.link.quietTicks = 60;
    }
}

void PollCycle::idleStep()
{
    link.takeWaiting();
    // Signals that crossed a command were kept for this moment.
    link.RxBuffer += link.takePendingSignals();
    if (link.RxBuffer.isEmpty()) {
        // A running tester silent too long is asked, as the Sample button
        // asks, once the link is free; should it not answer, the reply
        // timeout loses the link.
        if (testerFound && s.counters.running && !s.link.busy && silence.askDue()) {
            silence.asked();
            cmds.sendCommand(Command::SampleData);
        }
        return;
    }
    // The tester's own signals; a burst holding both counts as new data.
    if (link.RxBuffer.contains('+')) {
        silence.signalSeen();
        s.session.goAgainFlag = true;
    } else if (link.RxBuffer.contains('-')) {
        silence.runStopped();
        s.session.goAgainFlag = false;
        s.session.goAgainMode = false;
        s.session.terminated = true;
        runEvents.testEnded();
    } else {
        link.RxBuffer.clear();
        return;
    }
    cmds.sendCommand(Command::SampleData);
    link.RxBuffer.clear();
}

void PollCycle::wakeUpStep()
{
    if (s.link.replyTicks >= ReplyTimeoutTicks) {
        replyTimeout();
        return;
    }
    if (!link.readReplyLine() || !link.ReplyLine.startsWith(QLatin1Char('*')))
        return;
    // The tester is awake: send the parked command for real.
    if (s.link.inFlight >= Command::WriteSerialNumber)
        cmds.sendValueCommand(s.link.inFlight, s.link.inFlightValue);
    else
        cmds.sendCommand(s.link.inFlight);
    // A parked command always has a text, so it went out; should it not
    // have, nothing is in flight and the link is idle rather than waiting.
    s.link.step = s.link.inFlight != Command::None ? LinkStep::AwaitingReply : LinkStep::Idle;
}

void PollCycle::replyStep()
{
    if (s.link.replyTicks >= ReplyTimeoutTicks) {
        replyTimeout();
        return;
    }
    if (!link.readReplyLine())
        return;
    if (link.ReplyLine.startsWith(QLatin1Char('*'))) {
        link.ReplyLine.remove(0, 1);
        s.link.step = LinkStep::ReplyReady;
        s.link.refusedReplies = 0;
        return;
    }
    // The tester did not acknowledge: the command is over and its effect
    // (and any chain it belonged to) is dropped. The link is free again, so
    // the operator's commands come back at once instead of staying greyed
    // until the tester happens to signal new data. Refusals in a row are
    // counted: a tester that never acknowledges must not look connected.
    s.link.refusedReplies = TesterState::Integer(std::min(s.link.refusedReplies + 1, 100));
    s.link.step = LinkStep::Idle;
    s.link.inFlight = Command::None;
    chainDropped();
    waitStateClear(s, view);
}

void PollCycle::applyStep()
{
    s.link.step = LinkStep::Idle;
    const Command answered = s.link.inFlight;
    s.link.inFlight = Command::None;
    replies.applyReply(answered);
}

void PollCycle::probeStart()
{
    link.clearCommBuffers();
    s.link.quietTicks = 0;
    s.link.replyTicks = 0;
    s.link.refusedReplies = 0;
    link.writeBytes(QByteArray(EscapeString));
    s.link.step = LinkStep::ProbeFirstAnswer;
}

void PollCycle::probeFirstAnswer()
{
    if (s.link.replyTicks >= ReplyTimeoutTicks) {
        replyTimeout();
        return;
    }
    if (!link.readReplyLine())
        return;
    // Any line will do for the first wake-up; whatever else came is stale.
    link.dropWaiting();
    link.RxBuffer.clear();
    s.link.quietTicks = 0;
    s.link.replyTicks = 0;
    link.writeBytes(QByteArray(EscapeString));
    s.link.step = LinkStep::ProbeSecondAnswer;
}

void PollCycle::probeSecondAnswer()
{
    if (s.link.replyTicks >= ReplyTimeoutTicks) {
        replyTimeout();
        return;
    }
    if (!link.readReplyLine() || !link.ReplyLine.startsWith(QLatin1Char('*')))
        return;
    link.takePendingSignals();   // the first record follows anyway
    s.link.step = LinkStep::Idle;
    cmds.sendCommand(Command::Hello);
    link.showCommMessage(QStringLiteral("Tester Found On Comm ") + QString::number(s.link.port));
    s.link.messagePeriods = FoundMessagePeriods;
    testerFound = true;
    silence.restart();
    link.keepPortForTester();
    openProblems.clear();
    linkEvents.linkFound(s.link.port, link.deviceName(), clock());
    view.updateControls();
}

void PollCycle::replyTimeout()
{
    link.closeCommPort();
    // A port that never answered the probe was only a try; a tester that
    // had answered is a link that went down.
    if (testerFound) {
        testerFound = false;
        linkEvents.linkLost(clock());
    }
    chainDropped();
    view.updateControls();
}

// A download or counter reset that ended early must not leave its ending
// behind: the next ordinary download would otherwise clear the counters,
// or start a test (run to limits) that nobody asked for.
void PollCycle::chainDropped()
{
    s.session.masterUpdate = false;
    s.session.learnConfigure = false;
}

#include "engine/supervision/PollCycle.h"

#include "engine/link/Commands.h"
#include "engine/link/SerialLink.h"
#include "engine/link/WaitState.h"
#include "engine/state/TesterState.h"
#include "engine/state/TesterView.h"
#include "engine/supervision/ReplyEffects.h"

#include <algorithm>

namespace {

// One tick more on a count that stops at ReplyTimeout; a count out of its
// range (never set so) counts as run out.
void countTick(TesterState::Integer &count)
{
    count = TesterState::Integer(count < 0 ? PollCycle::ReplyTimeout : std::min(count + 1, PollCycle::ReplyTimeout));
}

} // namespace

PollCycle::PollCycle(TesterState &state, SerialLink &serialLink, Commands &commands,
                     TesterView &testerView, ReplyEffects &replyEffects)
    : s(state), link(serialLink), cmds(commands), view(testerView), linkEvents(testerView),
      runEvents(testerView), replies(replyEffects)
{
}

void PollCycle::Tick()
{
    countTick(s.ComCnt);
    countTick(s.ReplyCnt);

    ++s.LEDCounter;
    if (s.LEDCounter >= SlowTaskPeriod || s.LEDCounter < 0) {
        s.LEDCounter = 0;
        slowTasks();
    }

    if (!s.ComChanOpen) {
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

    switch (s.ComSeq) {
    case 0: idleStep(); break;
    case 5: wakeUpStep(); break;
    case 10: replyStep(); break;
    case 20: applyStep(); break;
    case 30: probeStart(); break;
    case 32: probeFirstAnswer(); break;
    case 34: probeSecondAnswer(); break;
    default:
        // Not a state of the link: whatever was in flight is lost, so the
        // link is idle and free, as after a dropped reply.
        s.ComSeq = 0;
        s.comDelayed = 0;
        chainDropped();
        WaitStateClear(s, view);
        break;
    }
}

void PollCycle::restartSearch()
{
    link.CloseCommPort();
    testerFound = false;
    openProblems.clear();
    s.ComChan = 0;
    chainDropped();
    view.updateControls();
}

void PollCycle::slowTasks()
{
    if (s.StatusDelay > 0) {
        --s.StatusDelay;
        if (s.StatusDelay == 0)
            link.NoCommMessage();
    }
    // The error LED: lit, dark, or blinking at one change per slow period.
    if (s.LEDState == ledDrawn)
        return;
    if (s.LEDState == 0 || s.LEDState == 1)
        drawLed(s.LEDState);
    else if (s.LEDState == 2)
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
    if (!s.MustWait) {
        s.MustWait = true;
        view.updateControls();
    }
    // The next port, passing over those other testers of this program hold.
    const int port = link.nextPortToTry(s.ComChan);
    if (port == 0)
        return;
    s.ComChan = TesterState::Integer(port);
    bool ok = false;
    link.OpenCommPort(s.ComChan, ok);
    s.ComChanOpen = ok;
    // A port that cannot be opened says why and what to do, until it opens
    // or the tester is found; the first such port stays in front of the
    // search message, which then changes only in its port number.
    const QString problem = ok ? QString() : link.openProblem(s.ComChan);
    if (problem.isEmpty())
        openProblems.remove(s.ComChan);
    else
        openProblems.insert(s.ComChan, problem);
    const QString searching = QStringLiteral("Searching For Tester On Comm ") + QString::number(s.ComChan);
    link.ShowCommMessage(openProblems.isEmpty() ? searching : openProblems.first() + QStringLiteral(". ") + searching);
    linkEvents.portTried(s.ComChan, problem);
    if (ok) {
        s.ComSeq = 30;
        s.ComCnt = 0;
    } else {
        s.ComSeq = 0;
        s.ComCnt = 60;
    }
}

void PollCycle::idleStep()
{
    link.takeWaiting();
    // Signals that crossed a command were kept for this moment.
    link.RxBuffer += link.takePendingSignals();
    if (link.RxBuffer.isEmpty())
        return;
    // The tester's own signals; a burst holding both counts as new data.
    if (link.RxBuffer.contains('+')) {
        s.GoAgainFlag = true;
    } else if (link.RxBuffer.contains('-')) {
        s.GoAgainFlag = false;
        s.GoAgainMode = false;
        s.Terminated = true;
        runEvents.testEnded();
    } else {
        link.RxBuffer.clear();
        return;
    }
    cmds.SendCommand(174);
    link.RxBuffer.clear();
}

void PollCycle::wakeUpStep()
{
    if (s.ReplyCnt >= ReplyTimeout) {
        replyTimeout();
        return;
    }
    if (!link.GetSerial() || !link.ReplyLine.startsWith(QLatin1Char('*')))
        return;
    // The tester is awake: send the parked command for real.
    if (s.comDelayed >= 224)
        cmds.SendValueCommand(s.comDelayed, s.comDelayedStr);
    else
        cmds.SendCommand(s.comDelayed);
    // A parked command always has a text, so it went out; should it not
    // have, nothing is in flight and the link is idle rather than waiting.
    s.ComSeq = s.comDelayed != 0 ? 10 : 0;
}

void PollCycle::replyStep()
{
    if (s.ReplyCnt >= ReplyTimeout) {
        replyTimeout();
        return;
    }
    if (!link.GetSerial())
        return;
    if (link.ReplyLine.startsWith(QLatin1Char('*'))) {
        link.ReplyLine.remove(0, 1);
        s.ComSeq = 20;
        s.RefusedReplies = 0;
        return;
    }
    // The tester did not acknowledge: the command is over and its effect
    // (and any chain it belonged to) is dropped. The link is free again, so
    // the operator's commands come back at once instead of staying greyed
    // until the tester happens to signal new data. Refusals in a row are
    // counted: a tester that never acknowledges must not look connected.
    s.RefusedReplies = TesterState::Integer(std::min(s.RefusedReplies + 1, 100));
    s.ComSeq = 0;
    s.comDelayed = 0;
    chainDropped();
    WaitStateClear(s, view);
}

void PollCycle::applyStep()
{
    s.ComSeq = 0;
    const int code = s.comDelayed;
    s.comDelayed = 0;
    replies.Apply(code);
}

void PollCycle::probeStart()
{
    link.ClearCommBuffers();
    s.ComCnt = 0;
    s.ReplyCnt = 0;
    s.RefusedReplies = 0;
    link.writeBytes(QByteArray(EscapeString));
    s.ComSeq = 32;
}

void PollCycle::probeFirstAnswer()
{
    if (s.ReplyCnt >= ReplyTimeout) {
        replyTimeout();
        return;
    }
    if (!link.GetSerial())
        return;
    // Any line will do for the first wake-up; whatever else came is stale.
    link.dropWaiting();
    link.RxBuffer.clear();
    s.ComCnt = 0;
    s.ReplyCnt = 0;
    link.writeBytes(QByteArray(EscapeString));
    s.ComSeq = 34;
}

void PollCycle::probeSecondAnswer()
{
    if (s.ReplyCnt >= ReplyTimeout) {
        replyTimeout();
        return;
    }
    if (!link.GetSerial() || !link.ReplyLine.startsWith(QLatin1Char('*')))
        return;
    link.takePendingSignals();             // the first record follows anyway
    s.ComSeq = 0;
    cmds.SendCommand(160);
    link.ShowCommMessage(QStringLiteral("Tester Found On Comm ") + QString::number(s.ComChan));
    s.StatusDelay = FoundMessagePeriods;
    testerFound = true;
    link.keepPortForTester();
    openProblems.clear();
    linkEvents.linkFound(s.ComChan, link.deviceName(), clock());
    view.updateControls();
}

void PollCycle::replyTimeout()
{
    link.CloseCommPort();
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
// or start a test (162) that nobody asked for.
void PollCycle::chainDropped()
{
    s.MasterUpdate = false;
    s.LearnConfigure = false;
}

#include "engine/session/SessionView.h"

#include "engine/run/RunGlance.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLines.h"

void SessionView::showBarMessage(const QString &text)
{
    toWindow([&](TesterView &w) { w.showBarMessage(text); });
}
void SessionView::showBarPanels()
{
    toWindow([](TesterView &w) { w.showBarPanels(); });
}
void SessionView::showVersion(const QString &text)
{
    toWindow([&](TesterView &w) { w.showVersion(text); });
}
void SessionView::showReadings()
{
    toWindow([](TesterView &w) { w.showReadings(); });
}
void SessionView::showMode()
{
    toWindow([](TesterView &w) { w.showMode(); });
}
void SessionView::showPullUp()
{
    toWindow([](TesterView &w) { w.showPullUp(); });
}
void SessionView::showSerialNumber()
{
    toWindow([](TesterView &w) { w.showSerialNumber(); });
}
void SessionView::showSampleDate(const QString &text)
{
    toWindow([&](TesterView &w) { w.showSampleDate(text); });
}

void SessionView::updateControls()
{
    summary.stateChanged(s);
    toWindow([](TesterView &w) { w.updateControls(); });
}

void SessionView::drawLed(int drawing)
{
    toWindow([=](TesterView &w) { w.drawLed(drawing); });
}

void SessionView::setTitle(const QString &text)
{
    lastTitle = text;
    toWindow([&](TesterView &w) { w.setTitle(text); });
}

// Every sample, once the data log and the archive have it.
void SessionView::sampleTaken(const DecodedSample &sample)
{
    ownSerial = s.identity.serialNumber.trimmed();
    // The history first: the window's trend draws from it.
    history.append(trendReadingFromState(s));
    lines.append(s);
    summary.sampleTaken(s);
    toWindow([&](TesterView &w) { w.sampleTaken(sample); });
    Q_EMIT sampleArrived();
}

void SessionView::portTried(int port, const QString &problem)
{
    summary.portTried(port, problem);
    toWindow([&](TesterView &w) { w.portTried(port, problem); });
    Q_EMIT searchTried(port, problem);
}

void SessionView::linkFound(int port, const QString &device, const QDateTime &at)
{
    if (oneTester && summary.linkLost() && !ownSerial.isEmpty()) {
        heldFind = Find{port, device, at};
        return;
    }
    tellFound({port, device, at});
}

void SessionView::tellFound(const Find &find)
{
    summary.linkFound(find.port, find.device, find.at);
    toWindow([&](TesterView &w) { w.linkFound(find.port, find.device, find.at); });
    Q_EMIT testerFound(find.port, find.device, find.at);
}

bool SessionView::takesTester(const QString &serialNumber)
{
    if (!heldFind)
        return true;
    const Find find = *heldFind;
    heldFind.reset();
    if (serialNumber.trimmed() == ownSerial) {
        tellFound(find);
        return true;
    }
    Q_EMIT otherTesterFound(find.port, serialNumber.trimmed());
    return false;
}

void SessionView::linkLost(const QDateTime &at)
{
    // A find held back and lost again was never told: the loss goes on.
    heldFind.reset();
    if (summary.linkLost())
        return;
    summary.linkLost(at);
    toWindow([&](TesterView &w) { w.linkLost(at); });
    Q_EMIT testerLost(at);
}

void SessionView::runStarted(int code)
{
    summary.runStarted(s, code);
    toWindow([=](TesterView &w) { w.runStarted(code); });
    Q_EMIT runCommanded(code);
}

void SessionView::testEnded()
{
    toWindow([](TesterView &w) { w.testEnded(); });
    Q_EMIT limitReached();
}

void SessionView::testerChanged(TesterChange change)
{
    toWindow([=](TesterView &w) { w.testerChanged(change); });
    Q_EMIT changeSent(change);
}

void SessionView::stopAcknowledged()
{
    summary.stopAcknowledged();
    toWindow([](TesterView &w) { w.stopAcknowledged(); });
    Q_EMIT stopCommanded();
}

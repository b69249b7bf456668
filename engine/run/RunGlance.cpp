#include "engine/run/RunGlance.h"

#include "engine/state/TesterState.h"

#include <algorithm>

bool RunGlance::portTried(int port, const QString &problem)
{
    return history.portTried(port, problem);
}

void RunGlance::linkFound(int port, const QString &device, const QDateTime &at)
{
    history.found(port, device, at);
    foundPort = port;
    foundDevice = device;
    linkChangedAt = at;
    sampledSinceFound = false;
    sampleGapMs = 0;
}

void RunGlance::linkLost(const QDateTime &at)
{
    history.lost(at);
    linkChangedAt = at;
}

void RunGlance::runStarted(const TesterState &s, int code)
{
    lastRunCode = code;
    stateKnown = true;
    // A run once may end before any sample showed it running.
    modeAtLastSample = currentRunMode(s, code);
    stopCommanded = false;
    runEndText.clear();
}

void RunGlance::stopAcknowledged()
{
    stopCommanded = true;
}

void RunGlance::sampleTaken(const TesterState &s)
{
    stateChanged(s);
    const RunMode mode = runMode(s);
    // The sample that first shows a run stopped tells why and when it ended.
    if (mode != RunMode::Stopped) {
        runEndText.clear();
    } else if (modeAtLastSample != RunMode::Stopped) {
        const StopCause end = whyRunEnded(s, modeAtLastSample, stopCommanded);
        runEndText = stopCauseText(end, s);
        runEndAt = s.counters.updateTime;
        limitEnd = isLimitEnd(end);
        lastStop = end;
    }
    modeAtLastSample = mode;
    stopCommanded = false;
    run.addSample(s.counters.updateTime, s.counters.cycleCount, mode != RunMode::Stopped);
    if (sampledSinceFound)
        sampleGapMs = std::max<int64_t>(0, lastSampleAt.msecsTo(s.counters.updateTime));
    lastSampleAt = s.counters.updateTime;
    sampledSinceFound = true;
    stateKnown = true;
}

void RunGlance::stateChanged(const TesterState &s)
{
    // A stop forgets the run command: a later run is told by its own status.
    if (!s.counters.running && !s.session.goAgainMode)
        lastRunCode = 0;
}

QString RunGlance::linkStateText() const
{
    const QString at = momentText(linkChangedAt, clock());
    switch (history.state()) {
    case LinkHistory::State::Connected: return QStringLiteral("Connected since ") + at;
    case LinkHistory::State::Lost: return QStringLiteral("Lost at ") + at;
    case LinkHistory::State::Searching: break;
    }
    return QStringLiteral("Searching...");
}

QDateTime RunGlance::staleSince(const TesterState &s, const QDateTime &now) const
{
    // A stopped tester sends nothing until it runs again: its data stays true.
    if (history.state() != LinkHistory::State::Connected || (stateKnown && runMode(s) == RunMode::Stopped))
        return QDateTime();
    const QDateTime since = sampledSinceFound ? lastSampleAt : linkChangedAt;
    const int64_t allowedMs = std::max<int64_t>(3 * sampleGapMs, StaleAfterMs);
    if (!since.isValid() || !now.isValid() || since.msecsTo(now) <= allowedMs)
        return QDateTime();
    return since;
}

QString RunGlance::linkWarning(const TesterState &s, const QDateTime &now) const
{
    if (history.state() != LinkHistory::State::Connected)
        return QString();
    if (recordsRefused(s))
        return QLatin1String(RecordsRefusedText);
    const QDateTime since = staleSince(s, now);
    return since.isValid() ? staleDataText(since, now) : QString();
}

QString RunGlance::runText(const TesterState &s) const
{
    const QDateTime now = clock();
    QString text;
    if (stateKnown) {
        const RunMode mode = runMode(s);
        if (mode == RunMode::Stopped && !runEndText.isEmpty())
            text = runEndText + QStringLiteral(" at ") + momentText(runEndAt, now, TimeDetail::Minutes);
        else
            text = runModeText(mode, s.session.repeatCount);
    }
    if (!linkLost())
        return text.isEmpty() ? QLatin1String(RunUnknownText) : text;
    const QString lost = QStringLiteral("Link lost at ") + momentText(linkChangedAt, now);
    if (text.isEmpty())
        return lost;
    return lost + QStringLiteral("; last seen ") + text.left(1).toLower() + text.mid(1);
}

bool RunGlance::endedAtLimit(const TesterState &s) const
{
    return limitEnd && runMode(s) == RunMode::Stopped && !runEndText.isEmpty();
}

QString RunGlance::rateText() const
{
    return linkLost() ? QLatin1String(NotKnownText) : cycleRateText(run);
}

int64_t RunGlance::secondsToLimit(const TesterState &s) const
{
    if (linkLost())
        return -1;
    return run.secondsToLimit(s.counters.cycleCount, s.reported.cycleLimit, endsAtCycleLimit(runMode(s)));
}

QString RunGlance::timeToLimitText(const TesterState &s) const
{
    return durationText(secondsToLimit(s));
}

QString portNameText(int port, const QString &device)
{
    const QString text = QStringLiteral("Comm %1").arg(port);
    return device.isEmpty() ? text : text + QStringLiteral(" (%1)").arg(device);
}

QString cycleCountText(int64_t count, int64_t limit)
{
    count = std::max<int64_t>(0, count);
    return limit > 0 ? QStringLiteral("%1 of %2 cycles").arg(count).arg(limit)
                     : QStringLiteral("%1 cycles, no limit").arg(count);
}

double cycleShare(int64_t count, int64_t limit)
{
    if (limit <= 0)
        return -1;
    return double(std::clamp<int64_t>(count, 0, limit)) / double(limit);
}

QString failuresText(const TesterState &s)
{
    return QStringLiteral("%1 (%2 sequential)").arg(s.counters.failCount).arg(s.counters.seqCount);
}

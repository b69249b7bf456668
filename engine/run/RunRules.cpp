#include "engine/run/RunRules.h"

#include "engine/state/TesterState.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <cmath>

const char NotKnownText[] = "----";
const char RecordsRefusedText[] = "The tester answers without acknowledgement: records are being refused";
const char RunUnknownText[] = "Unknown";
const char NoPortLeftText[] = "No port left to search";

QString momentText(const QDateTime &at, const QDateTime &now, TimeDetail detail)
{
    const QDateTime local = at.toLocalTime();
    const QString time =
        local.toString(detail == TimeDetail::Seconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
    if (local.date() == now.toLocalTime().date())
        return time;
    return QLocale().toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') + time;
}

bool LinkHistory::portTried(int triedPort, const QString &problem)
{
    const State before = current;
    const uint32_t triedBefore = tried;
    const QString problemBefore = openProblems.value(triedPort);
    if (current == State::Connected)
        current = State::Searching;
    const bool noPortBefore = noPortLeft;
    noPortLeft = triedPort == 0;
    if (triedPort >= 1 && triedPort <= 32)
        tried |= uint32_t(1) << (triedPort - 1);
    if (problem.isEmpty())
        openProblems.remove(triedPort);
    else
        openProblems.insert(triedPort, problem);
    return current != before || (current == State::Searching && tried != triedBefore) || problem != problemBefore
           || noPortLeft != noPortBefore;
}

QString LinkHistory::problems() const
{
    return QStringList(openProblems.values()).join(QLatin1Char('\n'));
}

void LinkHistory::found(int foundPort, const QString &foundDevice, const QDateTime &at)
{
    openProblems.clear();
    current = State::Connected;
    port = foundPort;
    device = foundDevice;
    since = at;
    tried = 0;
    noPortLeft = false;
}

void LinkHistory::lost(const QDateTime &at)
{
    current = State::Lost;
    since = at;
    tried = 0;
    noPortLeft = false;
}

QString LinkHistory::text(const QDateTime &now) const
{
    switch (current) {
    case State::Connected: {
        QString text = QStringLiteral("Comm %1").arg(port);
        if (!device.isEmpty())
            text += QStringLiteral(" (%1)").arg(device);
        return text + QStringLiteral(" connected since ") + momentText(since, now);
    }
    case State::Lost: return QStringLiteral("Link lost at ") + momentText(since, now);
    case State::Searching: break;
    }
    if (noPortLeft)
        return QLatin1String(NoPortLeftText);
    if (tried == 0)
        return QStringLiteral("Searching...");
    return QStringLiteral("Searching... tried Comm ") + portRanges(tried);
}

QString portRanges(uint32_t portBits)
{
    QStringList ranges;
    for (int port = 1; port <= 32; ++port) {
        if (!(portBits & (uint32_t(1) << (port - 1))))
            continue;
        int end = port;
        while (end < 32 && (portBits & (uint32_t(1) << end)))
            ++end;
        ranges << (end == port ? QString::number(port) : QStringLiteral("%1-%2").arg(port).arg(end));
        port = end;
    }
    return ranges.join(QStringLiteral(", "));
}

RunMode currentRunMode(const TesterState &s, int lastRunCode)
{
    // Break-update mode lives in the tester, which pauses at every break.
    if (s.session.goAgainMode)
        return RunMode::Break;
    if (!s.counters.running)
        return RunMode::Stopped;
    switch (Command(lastRunCode)) {
    case Command::RunToLimits: return RunMode::ToLimits;
    case Command::RunOnce: return RunMode::Once;
    case Command::RunNoLimit: return RunMode::NoLimit;
    default: return s.counters.ledState == 2 ? RunMode::NoLimit : RunMode::ToLimits;
    }
}

QString runModeText(RunMode mode, int breakCount)
{
    switch (mode) {
    case RunMode::ToLimits: return QStringLiteral("Running to limits");
    case RunMode::Once: return QStringLiteral("Running once");
    case RunMode::NoLimit: return QStringLiteral("Running without limit");
    case RunMode::Break: return QStringLiteral("Break every %1 cycles").arg(breakCount);
    case RunMode::Stopped: break;
    }
    return QStringLiteral("Stopped");
}

bool endsAtCycleLimit(RunMode mode)
{
    return mode == RunMode::ToLimits || mode == RunMode::Break;
}

StopCause whyRunEnded(const TesterState &s, RunMode endedMode, bool stopCommanded)
{
    if (stopCommanded)
        return StopCause::Operator;
    const auto reached = [](int64_t count, int64_t limit) { return limit > 0 && count >= limit; };
    if (endsAtCycleLimit(endedMode)) {
        // A failure ends a run before its cycles run out; name it first.
        if (reached(s.counters.failCount, s.reported.failLimit))
            return StopCause::FailLimit;
        if (reached(s.counters.seqCount, s.reported.seqLimit))
            return StopCause::SeqLimit;
        if (reached(s.counters.cycleCount, s.reported.cycleLimit))
            return StopCause::CycleLimit;
    }
    if (endedMode == RunMode::Once)
        return StopCause::OneCycle;
    return StopCause::Tester;
}

QString stopCauseText(StopCause end, const TesterState &s)
{
    switch (end) {
    case StopCause::CycleLimit: return QStringLiteral("Stopped at cycle limit (%1)").arg(s.reported.cycleLimit);
    case StopCause::FailLimit:
        return QStringLiteral("Stopped: failure limit reached (%1 of %2)")
            .arg(s.counters.failCount)
            .arg(s.reported.failLimit);
    case StopCause::SeqLimit: return QStringLiteral("Stopped: sequential failure limit reached");
    case StopCause::Operator: return QStringLiteral("Stopped by the operator");
    case StopCause::OneCycle: return QStringLiteral("Stopped after one cycle");
    case StopCause::Tester: return QStringLiteral("Stopped at the tester");
    case StopCause::None: break;
    }
    return QStringLiteral("Stopped");
}

bool isLimitEnd(StopCause end)
{
    return end == StopCause::CycleLimit || end == StopCause::FailLimit || end == StopCause::SeqLimit;
}

QString dataLogText(bool fileOpen, const QString &path, int64_t lines, const QDateTime &lastLine, const QDateTime &now)
{
    if (!fileOpen)
        return QStringLiteral("Not logging");
    QString text = QFileInfo(path).fileName() + QStringLiteral(": ")
                   + (lines == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(lines));
    if (lastLine.isValid())
        text += QStringLiteral(", last at ") + momentText(lastLine, now);
    return text;
}

bool recordsRefused(const TesterState &s)
{
    return s.link.portOpen && s.link.refusedReplies >= RefusalsBeforeWarning;
}

QString staleDataText(const QDateTime &since, const QDateTime &now)
{
    return QStringLiteral("No sample since ") + momentText(since, now);
}

bool notLoggingWarning(const TesterState &s)
{
    return !s.session.dataFileOpen && s.session.dirtyData;
}

void RunProgress::addSample(const QDateTime &atTime, int64_t cycleCount, bool nowRunning)
{
    const int64_t at = atTime.toMSecsSinceEpoch();
    // A new run begins with the first sample, after a stop, and when the
    // counter went back.
    const bool newRun = first < 0 || (!running && nowRunning) || cycleCount < lastCount;
    if (newRun) {
        first = at;
        firstCount = cycleCount;
    }
    // A stop ends the run with the sample that shows it: the cycles run up
    // to the stop belong to it.
    if (newRun || running) {
        last = at;
        lastCount = cycleCount;
    }
    running = nowRunning;
}

bool RunProgress::hasRate() const
{
    return running && first >= 0 && last > first;
}

double RunProgress::cyclesPerHour() const
{
    return hasRate() ? double(lastCount - firstCount) * 3600000.0 / double(last - first) : 0.0;
}

int64_t RunProgress::runSeconds() const
{
    return first >= 0 ? (last - first) / 1000 : -1;
}

int64_t RunProgress::secondsToLimit(int64_t cycleCount, int64_t cycleLimit, bool limitApplies) const
{
    if (!limitApplies || cycleLimit <= 0 || !hasRate())
        return -1;
    if (cycleCount >= cycleLimit)
        return 0;
    const double rate = cyclesPerHour();
    if (rate <= 0)
        return -1;
    return int64_t(std::ceil(double(cycleLimit - cycleCount) * 3600.0 / rate));
}

QString cycleRateText(const RunProgress &progress)
{
    if (!progress.hasRate())
        return QLatin1String(NotKnownText);
    return QStringLiteral("%1 cycles/h").arg(QLocale::c().toString(progress.cyclesPerHour(), 'f', 0));
}

QString durationText(int64_t seconds)
{
    if (seconds < 0)
        return QLatin1String(NotKnownText);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

ToleranceMarks outOfTolerance(const TesterState &s)
{
    ToleranceMarks marks;
    // Only what is measured: a stroke whose contact is tested, a bounce
    // that is tested on it, and readings that can be turned into values.
    if (s.reported.rangePullUp < 1 || s.reported.rangeMode < 0 || s.reported.rangeMode > 2)
        return marks;
    const bool down = s.reported.contact & 16, up = s.reported.contact & 32;
    if (down) {
        marks.downMax = s.counters.maxDownResistance > s.reported.maxDownResistTol;
        marks.downMin = s.counters.minDownResistance < s.reported.minDownResistTol;
        marks.downBounce = (s.reported.contact & 64) && s.counters.maxDownBounce > s.reported.maxDownBounceTol;
    }
    if (up) {
        marks.upMax = s.counters.maxUpResistance > s.reported.maxUpResistTol;
        marks.upMin = s.counters.minUpResistance < s.reported.minUpResistTol;
        marks.upBounce = (s.reported.contact & 128) && s.counters.maxUpBounce > s.reported.maxUpBounceTol;
    }
    return marks;
}

#include "engine/archive/RunRecorder.h"

#include "engine/archive/ArchiveSink.h"
#include "engine/archive/RunFileListener.h"
#include "engine/state/TesterState.h"

#include <QUuid>

namespace {

RunEnd archivedEnd(StopCause cause)
{
    switch (cause) {
    case StopCause::CycleLimit: return RunEnd::CycleLimit;
    case StopCause::FailLimit: return RunEnd::FailLimit;
    case StopCause::SeqLimit: return RunEnd::SeqLimit;
    case StopCause::Operator: return RunEnd::Operator;
    case StopCause::OneCycle: return RunEnd::OneCycle;
    case StopCause::Tester:
    case StopCause::None: break;
    }
    return RunEnd::AtTester;
}

}   // namespace

RunRecorder::RunRecorder(const TesterState &state, ArchiveSink &sink, QString host, QString programVersion)
    : s(state), sink(sink), host(std::move(host)), programVersion(std::move(programVersion))
{
}

ArchiveRecord RunRecorder::record(ArchiveRecord::Kind kind, const QDateTime &at) const
{
    ArchiveRecord r;
    r.kind = kind;
    r.runKey = key;
    r.setAt(at);
    return r;
}

void RunRecorder::linkFound(const QDateTime &at)
{
    event(RunEvent::LinkFound, at);
}

void RunRecorder::linkLost(const QDateTime &at)
{
    event(RunEvent::LinkLost, at);
}

void RunRecorder::runStarted(const QDateTime &at, int code)
{
    lastRunCode = code;
    // A run once may stop again before any sample showed it running.
    modeAtLastSample = currentRunMode(s, code);
    stopCommanded = false;
    if (runOpen() && stopped) {
        stopped = false;
        postEnd(RunEnd::Running, at);
        event(RunEvent::Started, at, runModeText(modeAtLastSample, s.session.repeatCount));
    }
}

void RunRecorder::stopAcknowledged()
{
    stopCommanded = true;
}

void RunRecorder::limitReached(const QDateTime &)
{
    // The samples that follow show the tester stopped, and the counts tell
    // which limit stopped it.
}

void RunRecorder::sampleTaken()
{
    const QDateTime at = s.counters.updateTime.isValid() ? s.counters.updateTime : QDateTime::currentDateTime();
    const RunMode mode = currentRunMode(s, lastRunCode);
    const bool running = mode != RunMode::Stopped;
    if (runOpen() && (s.counters.cycleCount < lastCycles || s.identity.serialNumber != runSerial)) {
        // The counters went back: this sample is the next run's first.
        if (!stopped && s.identity.serialNumber == runSerial)
            postEnd(RunEnd::CountersReset, at);
        closeRun();
    }
    const bool begun = !runOpen();
    if (begun)
        beginRun(at);
    postConfigIfChanged(at);
    ArchiveRecord sample = record(ArchiveRecord::Sample, at);
    sample.numbers = sampleNumbers(s);
    sink.post(std::move(sample));
    lastCycles = s.counters.cycleCount;
    if (begun) {
        // Where the run stands as found; a stop seen by an earlier program
        // keeps the cause that program saw.
        stopped = !running;
        if (running)
            postEnd(RunEnd::Running, at);
        else
            postEnd(archivedEnd(whyRunEnded(s, RunMode::ToLimits, false)), at, RunEndUnlessEnded);
    } else if (stopped && running) {
        // Started on the tester itself, or by another program.
        stopped = false;
        postEnd(RunEnd::Running, at);
        event(RunEvent::Started, at, runModeText(mode, s.session.repeatCount));
    } else if (!stopped && !running) {
        standStopped(stopCause(), at);
    }
    modeAtLastSample = mode;
    stopCommanded = false;
    // A stop forgets the run command: a later run is told by its own status.
    if (!running)
        lastRunCode = 0;
    if (runFile)
        runFile->sampleAdded();
    // Neither the data log nor the run's own file took the sample.
    if (s.session.dirtyData && !s.session.dataFileOpen)
        ++unlogged;
}

RunEnd RunRecorder::stopCause() const
{
    return archivedEnd(whyRunEnded(s, modeAtLastSample, stopCommanded));
}

void RunRecorder::standStopped(RunEnd why, const QDateTime &at, qint32 flags)
{
    stopped = true;
    postEnd(why, at, flags);
    event(RunEvent::Stopped, at, stopCauseText(why));
}

void RunRecorder::event(RunEvent what, const QDateTime &at, const QString &detail)
{
    ArchiveRecord e = record(ArchiveRecord::Event, at);
    e.code = qint32(what);
    e.text = detail;
    if (runOpen())
        sink.post(std::move(e));
    else
        waitingForRun.push_back(std::move(e));
}

void RunRecorder::programClosing(const QDateTime &at)
{
    if (runOpen())
        event(RunEvent::ProgramExited, at, host);
    waitingForRun.clear();
    closeRun();
}

void RunRecorder::beginRun(const QDateTime &at)
{
    key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    unlogged = 0;
    started = at;
    runSerial = s.identity.serialNumber;
    ArchiveRecord begun = record(ArchiveRecord::RunBegun, at);
    begun.code = currentRunMode(s, lastRunCode) != RunMode::Stopped ? 1 : 0;
    begun.text = s.identity.serialNumber;
    begun.host = host;
    begun.programVersion = programVersion;
    begun.numbers = lastConfig = configNumbers(s);
    begun.cycles = s.counters.cycleCount;
    lastSerial = s.identity.serialNumber;
    sink.post(std::move(begun));
    if (!programStartTold) {
        programStartTold = true;
        event(RunEvent::ProgramStarted, at, host);
    }
    for (ArchiveRecord &waiting : waitingForRun) {
        waiting.runKey = key;
        sink.post(std::move(waiting));
    }
    waitingForRun.clear();
    // Only a description entered here: an open run this one goes on with
    // keeps the one it has.
    if (descriptionEntered)
        postDescription(at);
    if (runFile)
        runFile->runOpened(s.identity.serialNumber, at, s.counters.cycleCount);
}

void RunRecorder::postEnd(RunEnd how, const QDateTime &at, qint32 flags)
{
    ArchiveRecord end = record(ArchiveRecord::RunEnded, at);
    end.code = qint32(how) | flags;
    sink.post(std::move(end));
}

void RunRecorder::describeRun(const RunDescription &description, const QDateTime &at)
{
    described = boundedDescription(description);
    descriptionEntered = true;
    if (runOpen())
        postDescription(at);
}

void RunRecorder::postDescription(const QDateTime &at)
{
    ArchiveRecord entry = record(ArchiveRecord::RunDescribed, at);
    putDescription(entry, described);
    sink.post(std::move(entry));
}

void RunRecorder::closeRun()
{
    if (!runOpen())
        return;
    key.clear();
    stopped = false;
    described = RunDescription();
    descriptionEntered = false;
    if (runFile)
        runFile->runClosed();
}

void RunRecorder::postConfigIfChanged(const QDateTime &at)
{
    const ArchiveNumbers config = configNumbers(s);
    if (config == lastConfig && s.identity.serialNumber == lastSerial)
        return;
    lastConfig = config;
    lastSerial = s.identity.serialNumber;
    ArchiveRecord changed = record(ArchiveRecord::ConfigChanged, at);
    changed.numbers = config;
    changed.text = lastSerial;
    sink.post(std::move(changed));
}

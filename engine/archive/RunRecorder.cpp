#include "engine/archive/RunRecorder.h"

#include "engine/archive/ArchiveSink.h"
#include "engine/archive/RunFileListener.h"
#include "engine/state/TesterState.h"

#include <QUuid>

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
    endRun(RunEnd::LinkLost, at);
    closeRun();
}

void RunRecorder::runStarted(const QDateTime &at)
{
    endRun(RunEnd::Stopped, at);
    closeRun();
    beginRun(at, true);
}

void RunRecorder::limitReached(const QDateTime &at)
{
    endRun(RunEnd::LimitReached, at);
}

void RunRecorder::sampleTaken()
{
    const QDateTime at = s.vUpdateTime.isValid() ? s.vUpdateTime : QDateTime::currentDateTime();
    if (!runOpen())
        beginRun(at, s.Running);
    else if (ended && endedAs == RunEnd::Stopped && s.Running)
        // Started on the tester itself, or by another program. After its
        // limit the tester may still report running in the final record.
        runStarted(at);
    postConfigIfChanged(at);
    ArchiveRecord sample = record(ArchiveRecord::Sample, at);
    sample.numbers = sampleNumbers(s);
    sink.post(std::move(sample));
    if (!s.DataFileOpen)
        ++unlogged;
    // A tester that stops between breaks is still in its break-update run.
    if (!s.Running && !s.GoAgainMode)
        endRun(RunEnd::Stopped, at);
    if (runFile)
        runFile->sampleAdded();
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
    endRun(RunEnd::ProgramClosed, at);
    closeRun();
}

void RunRecorder::beginRun(const QDateTime &at, bool running)
{
    key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    ended = false;
    unlogged = 0;
    started = at;
    ArchiveRecord begun = record(ArchiveRecord::RunBegun, at);
    begun.code = running ? 1 : 0;
    begun.text = s.vSerialNumber;
    begun.host = host;
    begun.programVersion = programVersion;
    begun.numbers = lastConfig = configNumbers(s);
    lastSerial = s.vSerialNumber;
    sink.post(std::move(begun));
    for (ArchiveRecord &waiting : waitingForRun) {
        waiting.runKey = key;
        sink.post(std::move(waiting));
    }
    waitingForRun.clear();
    if (runFile)
        runFile->runOpened(s.vSerialNumber, at);
    if (!running)
        endRun(RunEnd::Stopped, at);
}

void RunRecorder::endRun(RunEnd how, const QDateTime &at)
{
    if (!runOpen() || ended)
        return;
    ended = true;
    endedAs = how;
    ArchiveRecord end = record(ArchiveRecord::RunEnded, at);
    end.code = qint32(how);
    sink.post(std::move(end));
}

void RunRecorder::closeRun()
{
    if (!runOpen())
        return;
    key.clear();
    if (runFile)
        runFile->runClosed();
}

void RunRecorder::postConfigIfChanged(const QDateTime &at)
{
    const ArchiveNumbers config = configNumbers(s);
    if (config == lastConfig && s.vSerialNumber == lastSerial)
        return;
    lastConfig = config;
    lastSerial = s.vSerialNumber;
    ArchiveRecord changed = record(ArchiveRecord::ConfigChanged, at);
    changed.numbers = config;
    changed.text = lastSerial;
    sink.post(std::move(changed));
}

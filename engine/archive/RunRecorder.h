#pragma once

#include "engine/archive/ArchiveRecord.h"

#include <QDateTime>
#include <QString>
#include <vector>

class ArchiveSink;
class RunFileListener;
struct TesterState;

// Decides what a run is and tells the archive: a run begins when the tester
// acknowledges a run command, or with the first sample after the tester was
// found (already running, or stopped: then it ends at once as stopped). It
// ends when the tester reports its limit reached ("-"), when a sample shows
// it stopped, when the link is lost or the program closes. A stopped tester
// that reports running again was started on its own panel: a new run. Samples that
// follow the end (the final data) stay with the run until the next one
// begins; the configuration is recorded at the start and at every change.
class RunRecorder
{
public:
    RunRecorder(const TesterState &state, ArchiveSink &sink, QString host, QString programVersion);

    void linkFound(const QDateTime &at);
    void linkLost(const QDateTime &at);
    void runStarted(const QDateTime &at);     // the tester acknowledged a run command
    void limitReached(const QDateTime &at);   // the tester signalled the end of its test
    void sampleTaken();                       // the state record holds a new sample
    void event(RunEvent what, const QDateTime &at, const QString &detail = QString());
    void programClosing(const QDateTime &at);

    // The run samples now go to: empty before the first one.
    const QString &runKey() const { return key; }
    bool runOpen() const { return !key.isEmpty(); }
    // Samples of the current run that arrived with no data file open.
    int unloggedSamples() const { return unlogged; }
    const QDateTime &runStart() const { return started; }

    // The unattended run file follows the runs; may be null.
    void setRunFile(RunFileListener *listener) { runFile = listener; }

private:
    void beginRun(const QDateTime &at, bool running);
    void endRun(RunEnd how, const QDateTime &at);
    void closeRun();
    void postConfigIfChanged(const QDateTime &at);
    ArchiveRecord record(ArchiveRecord::Kind kind, const QDateTime &at) const;

    const TesterState &s;
    ArchiveSink &sink;
    QString host;
    QString programVersion;
    QString key;
    bool ended = false;
    int unlogged = 0;
    QDateTime started;
    RunEnd endedAs = RunEnd::Stopped;
    ArchiveNumbers lastConfig{};
    QString lastSerial;
    std::vector<ArchiveRecord> waitingForRun;
    RunFileListener *runFile = nullptr;   // events before the first sample
};

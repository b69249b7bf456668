#pragma once

#include "engine/archive/ArchiveRecord.h"
#include "engine/archive/RunDescription.h"
#include "engine/run/RunRules.h"

#include <QDateTime>
#include <QString>
#include <vector>

class ArchiveSink;
class RunFileListener;
struct TesterState;

// Decides what a run is and tells the archive. A run is one test of one
// switch: one climb of the tester's cycle counter. It begins with the first
// sample the program takes of a tester, and a sample whose cycle count is
// lower than the run's last (the counters were reset, at the tester or from
// here) or that names another tester begins the next run; that sample is the
// new run's first. Stops and starts, lost and found links, the program's
// start and exit are events of the run. While the tester stands stopped the
// run carries why it stopped; when it runs again, no end. The archive joins
// the run a program begins to the tester's open run when the count carries
// on from that run's last sample, whichever program wrote it.
class RunRecorder
{
public:
    RunRecorder(const TesterState &state, ArchiveSink &sink, QString host, QString programVersion);

    void linkFound(const QDateTime &at);
    void linkLost(const QDateTime &at);
    void runStarted(const QDateTime &at, int code = 0);   // the tester acknowledged a run command
    void stopAcknowledged();                              // the stop sent from here was acknowledged
    void limitReached(const QDateTime &at);               // the tester signalled the end of its test
    void sampleTaken();                                   // the state record holds a new sample
    void event(RunEvent what, const QDateTime &at, const QString &detail = QString());
    // The program ends: its run stays open for the next program to go on.
    void programClosing(const QDateTime &at);
    // What was tested in the current run. Entered before the first sample,
    // it goes with the run that sample begins or goes on with; a run begun
    // after a reset starts without one.
    void describeRun(const RunDescription &description, const QDateTime &at);
    // As entered here for the current (or the coming) run; the archive may
    // hold a later one entered in View, Runs.
    const RunDescription &description() const { return described; }

    // The run samples now go to: empty before the first one.
    const QString &runKey() const { return key; }
    bool runOpen() const { return !key.isEmpty(); }
    // Samples of the current run that arrived with no data file open.
    int unloggedSamples() const { return unlogged; }
    const QDateTime &runStart() const { return started; }

    // The unattended run file follows the runs; may be null.
    void setRunFile(RunFileListener *listener) { runFile = listener; }

private:
    void beginRun(const QDateTime &at);
    void standStopped(RunEnd why, const QDateTime &at, qint32 flags = 0);
    void closeRun();
    void postConfigIfChanged(const QDateTime &at);
    void postEnd(RunEnd how, const QDateTime &at, qint32 flags = 0);
    void postDescription(const QDateTime &at);
    RunEnd stopCause() const;
    ArchiveRecord record(ArchiveRecord::Kind kind, const QDateTime &at) const;

    const TesterState &s;
    ArchiveSink &sink;
    QString host;
    QString programVersion;
    QString key;
    bool stopped = false;   // the run stands stopped
    bool programStartTold = false;
    int unlogged = 0;
    qint64 lastCycles = 0;   // of the run's last sample
    QString runSerial;
    QDateTime started;
    int lastRunCode = 0;
    RunMode modeAtLastSample = RunMode::Stopped;
    bool stopCommanded = false;   // since the last sample
    ArchiveNumbers lastConfig{};
    QString lastSerial;
    std::vector<ArchiveRecord> waitingForRun;   // events before the first sample
    RunDescription described;
    bool descriptionEntered = false;   // for the current or the coming run
    RunFileListener *runFile = nullptr;
};

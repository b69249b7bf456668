#pragma once

#include "engine/archive/RunDescription.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

struct TesterState;

// One run as the runs list shows it.
struct RunSummary
{
    qint64 id = 0;
    QString serialNumber;
    QString host;
    QDateTime start;
    QDateTime end;   // invalid while the run goes on
    qint64 cycles = 0;
    qint64 failures = 0;
    qint64 samples = 0;
    QString endedHow;   // empty while the run goes on
    // What was tested (RunDescription); empty when not given.
    QString part;
    QString operatorName;
    QString notes;

    RunDescription description() const { return {part, operatorName, notes}; }
};

// Which runs to list: by serial number (part of it, any case) and by the
// local dates of their start, both ends included; empty or invalid: any.
// The command line and the web view name a tester and a station exactly,
// and ask for the runs that reach into a stretch of time, a page at a time.
struct RunFilter
{
    QString serialNumber;
    QDate from, to;
    bool wholeSerial = false;   // the serial number whole (any case), not a part of it
    QString host;               // the station's host name (any case); empty: any
    QDateTime since;            // runs with a sample (or their start) at or after it; invalid: any
    QDateTime until;            // runs started at or before it; invalid: any
    int limit = 0;              // at most this many runs, 0: all of them ...
    qint64 offset = 0;          // ... after skipping this many
    qint64 runId = 0;           // that run alone; 0: any
};

// One event of a run as the archive keeps it: its kind as runEventText
// names it ("link lost", "stopped", ...) and its detail.
struct ArchivedEvent
{
    QDateTime at;
    QString kind;
    QString detail;
};

// Reading the archive: the runs, newest first, and one run's samples.
// Each call answers with an empty text, or the message that says what failed.
class RunCatalog
{
public:
    virtual ~RunCatalog() = default;
    virtual QString listRuns(const RunFilter &filter, std::vector<RunSummary> &runs) = 0;
    // How many runs the filter lets through, its limit and offset aside.
    virtual QString countRuns(const RunFilter &filter, qint64 &count) = 0;
    // The newest run's id; 0 when the archive holds none.
    virtual QString lastRunId(qint64 &id) = 0;
    // The id of the run the recorder knows by `runKey`; 0 when not archived.
    virtual QString runIdOf(const QString &runKey, qint64 &id) = 0;
    // Calls eachSample with the state record as it stood at each sample of
    // the run, in order: its time, counters, readings and configuration.
    virtual QString readRun(qint64 id, const std::function<void(const TesterState &)> &eachSample) = 0;
    // A page of a run too long to hold: at most `most` samples after the one
    // numbered `afterSample` (0: from the start), each with its number, to
    // ask for the next page with. A run that does not exist is a failure.
    virtual QString readRunPage(qint64 id, qint64 afterSample, int most,
                                const std::function<void(const TesterState &, qint64)> &eachSample) = 0;
    // When someone began watching the run again (a program started, a lost
    // link was found), in milliseconds since 1970, in order. None by default.
    virtual QString watchResumed(qint64 id, std::vector<qint64> &atMs)
    {
        Q_UNUSED(id);
        atMs.clear();
        return QString();
    }
    // Keeps what was tested with the run, bounded as boundedDescription()
    // says. An archive read only for showing it cannot.
    virtual QString describeRun(qint64 id, const RunDescription &description)
    {
        Q_UNUSED(id);
        Q_UNUSED(description);
        return QStringLiteral("This run archive is only read here.");
    }
    // The run's events in the order they happened. None by default.
    virtual QString readEvents(qint64 id, std::vector<ArchivedEvent> &events)
    {
        Q_UNUSED(id);
        events.clear();
        return QString();
    }
};

// One line of `lifecycle --list-runs`: id, S/N, start, end (ISO 8601), cycles,
// failures, how it ended, part, operator and notes, tab-separated. In the
// last three a backslash, tab, line feed and carriage return are written
// "\\", "\t", "\n" and "\r", so that a value stays one column of one line.
QString runListLine(const RunSummary &run);

// Writes a run as the data log file live logging would have written: the
// header and one line per sample. Empty when written, else what failed.
QString exportRunToFile(RunCatalog &catalog, qint64 id, const QString &path);

#pragma once

#include "engine/state/TesterState.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstddef>

// Where a run stands, as the archive keeps it: its end while the tester
// stands stopped, none (Running) while it runs. Archives written before a run
// spanned a whole climb of the counter also hold "limit reached", "stopped",
// "link lost" and "program closed".
enum class RunEnd : int {
    Running = 0,
    LimitReached = 1,
    Stopped = 2,
    LinkLost = 3,
    ProgramClosed = 4,
    CycleLimit = 5,
    FailLimit = 6,
    SeqLimit = 7,
    Operator = 8,
    OneCycle = 9,
    AtTester = 10,
    CountersReset = 11,
};
// "stopped at cycle limit", "stopped by the operator", "counters reset", ...;
// empty for Running.
QString stopCauseText(RunEnd how);
// Or'ed into a RunEnded record's code: the end is written only where the run
// has none, so that a tester found stopped keeps the cause seen when it stopped.
constexpr qint32 RunEndUnlessEnded = 0x100;

// What happened to a tester that its runs keep beside the samples.
enum class RunEvent : int {
    LinkFound = 1,
    LinkLost,
    ConfigDownload,
    CounterReset,
    Learn,
    MasterDownload,
    DataFileOpened,
    DataFileClosed,
    Started,          // detail: the run state
    Stopped,          // detail: why
    ProgramStarted,   // detail: the station's host name
    ProgramExited,    // detail: the station's host name
};
QString runEventText(RunEvent event);

// One column of the archive: its name and the state record's field it holds.
struct ArchiveColumn
{
    const char *name;
    StateField<TesterState::Long> longField;
    StateField<TesterState::Integer> integerField;
};

// The numbers of one data log line that change from sample to sample, and
// those of the configuration (kept once per change). Together with the
// sample's time they are all the data log line is made of.
inline constexpr std::size_t SampleColumnCount = 16;
inline constexpr std::size_t ConfigColumnCount = 19;
extern const ArchiveColumn SampleColumns[SampleColumnCount];
extern const ArchiveColumn ConfigColumns[ConfigColumnCount];

using ArchiveNumbers = std::array<qint64, ConfigColumnCount>;

// One entry for the archive, queued by the user-interface thread and
// written in order by the archive's writer. A run is known by its key,
// made when the run began, until the archive gives it a number.
struct ArchiveRecord
{
    enum Kind : int { RunBegun = 1, ConfigChanged, Sample, Event, RunEnded, RunDescribed };

    Kind kind = Sample;
    QString runKey;
    qint64 atMs = 0;            // milliseconds since 1970 UTC
    qint32 utcOffset = 0;       // seconds east of UTC at that moment, for the local time of the line
    qint32 code = 0;            // RunEnded: RunEnd; Event: RunEvent; RunBegun: 1 when found running
    qint64 cycles = -1;         // RunBegun: the cycle count of its first sample; -1 not known
    QString text;               // RunBegun and ConfigChanged: serial number; Event: detail; RunDescribed: part
    QString host;               // RunBegun: the station; RunDescribed: operator
    QString programVersion;     // RunBegun; RunDescribed: notes
    ArchiveNumbers numbers{};   // Sample: SampleColumns; ConfigChanged and RunBegun: ConfigColumns

    QDateTime at() const;
    void setAt(const QDateTime &time);
};

// The numbers of the state record's sample or configuration.
ArchiveNumbers sampleNumbers(const TesterState &s);
ArchiveNumbers configNumbers(const TesterState &s);
// Writes stored numbers back into a state record.
void applySampleNumbers(TesterState &s, const ArchiveNumbers &numbers);
void applyConfigNumbers(TesterState &s, const ArchiveNumbers &numbers, const QString &serialNumber);

// A record as bytes for the local spool, and back; false for bytes that are
// not a whole record.
QByteArray encodeArchiveRecord(const ArchiveRecord &record);
bool decodeArchiveRecord(const QByteArray &bytes, ArchiveRecord &record);

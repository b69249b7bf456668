#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <cstdint>

struct TesterState;

// The decisions behind the run overview, kept free of widgets: what the
// link, the run and the data log look like in a few words, how fast the
// tester cycles and when it will reach its cycle limit, and which readings
// lie outside their tolerance.

// Text for values not known yet.
extern const char NotKnownText[];

// When something happened, as the strip, the Station window and the web
// page say it: the time alone on the day of `now` (local time), else with
// the locale's short date before it, for a test that runs for weeks.
enum class TimeDetail { Seconds, Minutes };
QString momentText(const QDateTime &at, const QDateTime &now, TimeDetail detail = TimeDetail::Seconds);

// The link to the tester as the poll cycle reported it.
class LinkHistory
{
public:
    enum class State { Searching, Connected, Lost };

    // False when the text and the problems stay as they were.
    bool portTried(int port, const QString &problem = QString());
    void found(int port, const QString &device, const QDateTime &at);
    void lost(const QDateTime &at);

    State state() const { return current; }
    // "Comm 1 (/dev/ttyUSB0) connected since 14:03:07", "Searching... tried Comm 1-16"
    // (the ports that exist: only those given or pinned, when they are),
    // "No port left to search" (other testers hold every port there is),
    // "Link lost at 14:03:07" (shown until a tester is found again); a
    // time not on the day of `now` has its date.
    QString text(const QDateTime &now) const;
    // When the link was last found or lost.
    const QDateTime &changedAt() const { return since; }
    bool alarm() const { return current == State::Lost; }
    // Why ports of the current search did not open, one line each in port
    // order ("Comm 1 (/dev/ttyUSB0): not present"); empty when none.
    QString problems() const;

private:
    State current = State::Searching;
    int port = 0;
    QString device;
    QDateTime since;      // the last find or loss
    uint32_t tried = 0;   // bit n-1 set: port n tried since the search began
    bool noPortLeft = false;
    QMap<int, QString> openProblems;
};

extern const char NoPortLeftText[];

// The ports of a search as ranges: "1-3, 9, 12-16".
QString portRanges(uint32_t portBits);

enum class RunMode { Stopped, ToLimits, Once, NoLimit, Break };

// The run as the last status showed it. lastRunCode is the run command the
// tester last acknowledged (0 when none since it last stopped): a tester
// found already running blinks its lamp only when it runs without limit,
// and otherwise runs to its limits.
RunMode currentRunMode(const TesterState &s, int lastRunCode);
// "Stopped", "Running to limits", "Running once", "Running without limit",
// "Break every N cycles".
QString runModeText(RunMode mode, int breakCount);
// Whether the run ends at the cycle limit.
bool endsAtCycleLimit(RunMode mode);

// Why a watched run ended, told from the counts, limits and commands at its
// end: a stop commanded from here; else a limit the counts reached (limits
// stop only a run to limits or with breaks); else the single cycle of a run
// once; else the tester stopped by itself (its own panel, say).
enum class StopCause { None, CycleLimit, FailLimit, SeqLimit, Operator, OneCycle, Tester };
StopCause whyRunEnded(const TesterState &s, RunMode endedMode, bool stopCommanded);
// "Stopped at cycle limit (100000)", "Stopped: failure limit reached (10 of
// 10)", "Stopped by the operator", ...; plain "Stopped" for None. The run
// overview adds when.
QString stopCauseText(StopCause end, const TesterState &s);
// The limit ends: the run went as far as its configuration lets it.
bool isLimitEnd(StopCause end);

// A tester that answers every command without its "*" acknowledgement (so
// every record is refused): after this many refusals in a row the link says
// so instead of "connected".
constexpr int RefusalsBeforeWarning = 3;
extern const char RecordsRefusedText[];
bool recordsRefused(const TesterState &s);

// A link that stays connected while no sample comes is told stale after
// three sample intervals, and never sooner than this.
constexpr int64_t StaleAfterMs = 10000;
// "No sample since 14:02:11".
QString staleDataText(const QDateTime &since, const QDateTime &now);
// The run state before the tester told it.
extern const char RunUnknownText[];

// The data log in a few words: "name.txt: 12 lines, last at 14:03:07", or
// "Not logging".
QString dataLogText(bool fileOpen, const QString &path, int64_t lines, const QDateTime &lastLine, const QDateTime &now);
// Samples arrive and none of them goes to a file.
bool notLoggingWarning(const TesterState &s);

// How far the run is, from the samples' times and cycle counts. A run is
// timed from its first sample; a stop ends it with the sample that showed
// the stop, and a counter that went back (a counter reset) starts a new one.
class RunProgress
{
public:
    void addSample(const QDateTime &at, int64_t cycleCount, bool running);

    bool hasRate() const;           // two samples of a running run, apart in time
    double cyclesPerHour() const;   // valid with hasRate()
    int64_t runSeconds() const;     // the run so far (or the last run); -1 before any sample
    // Seconds until the cycle limit, -1 when it cannot be told: no rate, a
    // stopped run, no limit (limit 0 or a run without limit), no progress.
    int64_t secondsToLimit(int64_t cycleCount, int64_t cycleLimit, bool limitApplies) const;

private:
    // Milliseconds since the epoch: local date-times would consult the
    // time zone on every comparison, and the overview asks often.
    int64_t first = -1, last = -1;
    int64_t firstCount = 0, lastCount = 0;
    bool running = false;
};

QString cycleRateText(const RunProgress &progress);   // "3600 cycles/h" or "----"
QString durationText(int64_t seconds);                // "27:46:40", "----" when negative

// A measured value beyond its tolerance: the maximum contact reading above
// its limit, the minimum below its limit, the bounce above its limit. A
// value exactly at its limit is within tolerance.
struct ToleranceMarks
{
    bool downMax = false, downMin = false, downBounce = false;
    bool upMax = false, upMin = false, upBounce = false;
};
ToleranceMarks outOfTolerance(const TesterState &s);

#pragma once

#include "engine/state/TesterState.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <vector>

// The test report of a whole run as data: what was tested, how it went and
// where it failed, laid out on numbered pages. It knows no printer; the
// report's painter draws its pages on any device.

// What the lab notes about a run: the part tested, who ran it, remarks.
struct RunDetails
{
    QString part, operatorName, notes;
};

// The failure kinds a new failure can bring, or'ed.
enum RunFailureKind : int {
    DownContactFailure = 1,
    UpContactFailure = 2,
    DownBounceFailure = 4,
    UpBounceFailure = 8,
    DownStrokeFailure = 16,
    UpStrokeFailure = 32,
};

// A sample whose fail count rose: where, when, and what came with it.
struct RunReportFailure
{
    qint64 cycle = 0;
    QDateTime at;
    qint64 failCount = 0;
    int kinds = 0;      // the failure bits that came with this sample (RunFailureKind)
    int standing = 0;   // the failure bits already set, when none came
};

// A stop, start, lost or found link, program start or exit: as the archive
// names it, with its detail (the cause of a stop, the station of a program).
struct RunReportEvent
{
    QDateTime at;
    QString what;
    QString detail;
};

// The configuration the tester held from a moment on.
struct RunReportConfig
{
    QDateTime at;
    TesterState state;   // its configuration and identity; the counters are the sample's
};

struct RunReportData
{
    qint64 runId = 0;
    QString serialNumber, host, endedHow;   // endedHow empty while the run goes on
    QDateTime start, end;                   // end invalid while the run goes on
    RunDetails details;
    qint64 samples = 0;
    std::vector<RunReportConfig> configs;   // the first at the run's start
    std::vector<RunReportFailure> failures;
    std::vector<RunReportEvent> events;
    TesterState last;   // the run's last sample
};

// Takes a run's samples in order and keeps what the report tells of them:
// the configuration at the start and each change, the new failures, the last
// sample. A million samples are held as a few numbers each new failure.
class RunReportCollector
{
public:
    explicit RunReportCollector(RunReportData &data) : data(data) {}
    void addSample(const TesterState &s);

private:
    RunReportData &data;
    qint64 lastFailCount = 0;
    int lastErrorCode = 0;
};

// Whether two samples were taken under different configurations (or testers).
bool configNumbersDiffer(const TesterState &a, const TesterState &b);

// Where a text goes on its line: at a share of the width between the
// margins, starting there, or ending there when right-aligned.
struct RunReportText
{
    double at = 0;
    QString text;
    bool right = false;
};

struct RunReportLine
{
    QList<RunReportText> texts;   // none: an empty line
    bool bold = false;
};

struct RunReportPage
{
    enum Kind { Text, Chart, LastSample };
    Kind kind = Text;
    QList<RunReportLine> lines;   // Text: the page's lines; Chart: its heading lines
};

// The pages of the report, each Text page at most linesPerPage lines: the
// summary, the chart of the run, the failures, the events and the last
// sample's page. A failure list longer than a few pages is folded into a
// table of the failures per 10,000 cycles (per 100,000 or more when that
// table too would be long); a long event list keeps its first and last events.
std::vector<RunReportPage> runReportPages(const RunReportData &data, int linesPerPage);

// The foot of every page: the tester and run on the left, "Page N of M" on the right.
QString runReportFootLeft(const RunReportData &data);
QString runReportPageNumber(int page, int pages);

// Cycles to the first failure (-1 without one) and failures per 10,000
// cycles of a run of `cycles` cycles.
qint64 cyclesToFirstFailure(const RunReportData &data);
QString failuresPer10000(qint64 failures, qint64 cycles);
// "down contact, up bounce"; empty for none.
QString failureKindsText(int kinds);

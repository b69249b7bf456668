#pragma once

#include "engine/run/RunRules.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class TesterSession;

// What happened to a tester's run that someone away from the station wants
// to know: the kinds the tray, the webhook and the preferences name.
enum class EventKind {
    RunEnded,          // the run reached its limit
    RunStopped,        // the run stopped before its limit
    Failure,           // the fail count went up
    SequentialLimit,   // the sequential fail count reached its limit
    LinkLost,          // the tester did not answer for 30 s
    LinkFound,         // ... and answers again
    FileError,         // a data file could not be opened or written
    ArchiveError,      // the run archive could not be written
    recordsRefused,    // the tester answers without acknowledgement: no sample gets through
    Count
};

// One event as it is told: which tester (empty serial and port 0 for the
// program's own archive), when, the counts at that moment and a sentence.
struct StationEvent
{
    EventKind kind = EventKind::RunEnded;
    QString serial;
    int port = 0;
    QDateTime time;
    int64_t cycles = 0;
    int64_t failures = 0;
    QString message;
    // The run it happened in: the recorder's key, the archive's id (0 while
    // unknown) and the web view's link to it (empty when the web view is off).
    QString runKey;
    int64_t runId = 0;
    QString runUrl;
    // Why a stopped run stopped ("stopped by the operator"); run-stopped only.
    QString cause;
};

// "run-ended", "run-stopped", "failure", "sequential-limit", "link-lost",
// "link-found", "file-error", "archive-error", "records-refused".
const char *eventName(EventKind kind);
// The caption of the kind for people: "Run ended at its limit".
QString eventCaption(EventKind kind);
// The webhook's body: one JSON object, in the field order of the webhook.
QByteArray stationEventJson(const StationEvent &event);
// The body of the test event Preferences sends: "test", no tester.
QByteArray testEventJson(const QDateTime &time);
// Why a run stopped, in the archive's words: "stopped by the operator";
// empty for None.
QString stopCauseWords(StopCause cause);
// The web view's link to a run: its data log.
QString runLink(const QString &webAddress, int64_t runId);
// A balloon's title and text.
QString eventTitle(const StationEvent &event);

// Whether an event of the kind is told, with the kinds switched off by name.
bool eventWanted(EventKind kind, const QStringList &namesOff);
// The station in one line, for the tray's tool tip: "3 testers: 2 running,
// 1 link lost, 4 failures"; "Searching for testers..." before any.
QString stationSummary(const std::vector<const TesterSession *> &sessions);

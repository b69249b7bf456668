#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <vector>

class TesterSession;
class TrendHistory;
struct RunSummary;
struct TesterState;

// The web view's JSON, built from the engines' own state.

// One tester as the Station window shows it: serial, port, device, link
// ("connected", "searching", "lost"), run, cycles, cycleLimit, failures,
// sequentialFailures, ratePerHour, secondsToLimit (null when unknown),
// lastSample (ISO 8601, null before one), dataFile (null when not logging);
// and the Station window's texts of the link and the time to the limit.
QJsonObject testerJson(const TesterSession &session);
// The archive's runs, newest first: id, serial, host, start, end, cycles,
// failures, samples, ended, and what was tested: part, operator, notes
// (null when not given).
QByteArray runsJson(const std::vector<RunSummary> &runs);
// Every value in the data log's units and rounded as the log writes it,
// through the log's own formatting: contact readings in the unit of the
// tester's mode (resistance: ohm, current: mA, voltage: V), null with
// downOpen/upOpen true for an open contact; times in seconds.
// The measuring mode by name ("resistance", "current", "voltage") and the
// unit of its contact readings; null when not known.
QJsonValue modeName(int mode);
QJsonValue contactUnit(int mode);
// One sample of an archived run, as an object on a line of its own; with
// its mode and contact unit where they differ from the run's.
QByteArray sampleJson(const TesterState &s, bool withMode = false);
// A tester's trend, at most `most` samples spread over its whole history:
// the mode and contact unit once, cycle, contact down and up (null when
// open or unknown), whether each was open, and fail count.
QByteArray trendJson(const TrendHistory &history, size_t most);

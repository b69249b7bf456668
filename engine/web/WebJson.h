#pragma once

#include <QByteArray>
#include <QJsonObject>
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
QByteArray testerListJson(const std::vector<const TesterSession *> &sessions);
// The archive's runs, newest first.
QByteArray runsJson(const std::vector<RunSummary> &runs);
// One sample of an archived run, as an object on a line of its own.
QByteArray sampleJson(const TesterState &s);
// A tester's trend, at most `most` samples spread over its whole history:
// cycle, contact down and up (null when open or unknown) and fail count.
QByteArray trendJson(const TrendHistory &history, size_t most);

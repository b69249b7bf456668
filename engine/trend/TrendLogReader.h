#pragma once

#include "engine/trend/TrendHistory.h"

#include <QString>
#include <cstdint>
#include <functional>

// What reading a data log into a history found.
struct TrendLogResult
{
    bool opened = false;   // the file could be read to its end
    QString problem;       // why not: "there is no such file", "it is a folder, not a file", ...
    int64_t samples = 0;   // lines taken into the history
    int64_t skipped = 0;   // lines that are not valid samples (the header is not counted)
};

// Reads a data log of this program (37 comma-separated columns, testers with
// and without the last bounce times) and appends its samples to the history.
// A line that is not a valid sample (garbage, a line cut short, a wrong
// column count) is skipped and counted; reading never stops at one. A header
// line between samples (logs joined end to end) begins a new session.
TrendLogResult readTrendLog(const QString &path, TrendHistory &history);

// One sample line without its line end; false when it is not a valid sample.
bool parseTrendLine(const char *begin, const char *end, TrendReading &reading);

// Reads a data log as readTrendLog does and hands on the text (without its
// line end) of each line it takes as a sample, in order, until eachLine
// answers false.
using TrendLogLine = std::function<bool(const char *begin, const char *end)>;
TrendLogResult readTrendLogLines(const QString &path, const TrendLogLine &eachLine);

#pragma once

#include "engine/report/RunReportModel.h"

#include <QString>

class RunCatalog;
class TrendHistory;
struct RunSummary;

// An archived run as its test report tells it: the run's tester, station,
// times and end, its stops and starts, lost and found links, program starts
// and exits, and its samples, read once into the report's data and into the
// trend its chart page draws (broken where nobody watched, as the Trend
// window draws it). Empty when read, else what failed; a run without a
// sample has no report.
QString readRunReport(RunCatalog &catalog, qint64 id, RunReportData &data, TrendHistory &trend);

// What the lab noted about the run, as the archive's runs list carries it.
RunDetails runDetailsOf(const RunSummary &run);

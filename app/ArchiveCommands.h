#pragma once

#include "features/report/RunReportPainter.h"

#include <QStringList>

struct AppOptions;
class SettingsStore;

// --list-runs, --export-run and --export-report: read the archive and exit,
// with no window; the report's chart page drawn by `charts`. Returns the
// exit code: 0 done, 2 with a one-line message on stderr.
int runArchiveCommand(const AppOptions &options, SettingsStore &settings, const RunChartPainter &charts = nullptr);

class RunCatalog;
class QDateTime;

// --list-runs: the lines of the runs the options choose, newest first, and
// 0; or 2 and one line naming every filter value that is malformed or that
// the archive does not know.
int listRunLines(RunCatalog &catalog, const AppOptions &options, const QDateTime &now, QStringList &lines,
                 QString &failure);

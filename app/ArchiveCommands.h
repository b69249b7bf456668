#pragma once

#include <QStringList>

struct AppOptions;
class SettingsStore;

// --list-runs and --export-run: read the archive and exit, with no window.
// Returns the exit code: 0 done, 2 with a one-line message on stderr.
int runArchiveCommand(const AppOptions &options, SettingsStore &settings);

class RunCatalog;
class QDateTime;

// --list-runs: the lines of the runs the options choose, newest first, and
// 0; or 2 and one line naming every filter value that is malformed or that
// the archive does not know.
int ListRunLines(RunCatalog &catalog, const AppOptions &options, const QDateTime &now, QStringList &lines,
                 QString &failure);

#pragma once

struct AppOptions;
class SettingsStore;

// --list-runs and --export-run: read the archive and exit, with no window.
// Returns the exit code: 0 done, 2 with a one-line message on stderr.
int runArchiveCommand(const AppOptions &options, SettingsStore &settings);

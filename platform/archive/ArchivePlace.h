#pragma once

#include "engine/archive/ArchiveLocation.h"

#include <QString>

// The run archive when none is named: runs.sqlite in the program's data
// folder (~/.local/share/RuqLifeCycle/RuqLifeCycle on Linux,
// %APPDATA%\RuqLifeCycle\RuqLifeCycle on Windows).
QString defaultArchivePath();
// The folder of the spool files.
QString archiveSpoolFolder();

// The archive of this start: the one on the command line, else the one in
// the preferences, else the default file. Empty, or the message that says
// what is wrong with the one named.
QString chooseArchive(const QString &commandLine, const QString &preference, ArchiveLocation &location);

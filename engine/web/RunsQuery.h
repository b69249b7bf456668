#pragma once

#include "engine/archive/RunCatalog.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// A page of /api/runs holds this many runs unless the query asks for fewer
// or more, and never more than the most: one client cannot make the program
// hold the whole archive.
constexpr int DefaultRunsPage = 100;
constexpr int MostRunsPage = 1000;

// Reads the query of /api/runs (the text after "?", percent-encoded) into
// the filter: serial and host (exactly, any case), since and until (as
// readRunMoment reads them), limit (1 to MostRunsPage) and offset. Each at
// most once. Empty when read, else one line naming the parameters that are
// unknown or whose values are malformed.
QString readRunsQuery(const QByteArray &query, const QDateTime &now, RunFilter &filter);

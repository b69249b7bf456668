#pragma once

#include <QString>
#include <functional>

class RunCatalog;
class TrendHistory;
struct TesterState;

// An archived run as the Trend window draws it: its samples in order, the
// line broken where nobody watched (from a lost link or a program's exit,
// or crash, until the sample after the link was found or a program started
// again). Empty when read, else what failed. `alsoEach` sees every sample too.
QString readRunTrend(RunCatalog &catalog, qint64 id, TrendHistory &history,
                     const std::function<void(const TesterState &)> &alsoEach = nullptr);

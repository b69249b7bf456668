#pragma once

#include "engine/trend/TrendLines.h"

#include <QString>
#include <functional>
#include <memory>

class RunCatalog;
class TrendHistory;
struct TesterState;

// An archived run as the Trend window draws it: its samples in order, the
// line broken where nobody watched (from a lost link or a program's exit,
// or crash, until the sample after the link was found or a program started
// again). Empty when read, else what failed. `alsoEach` sees every sample too.
QString readRunTrend(RunCatalog &catalog, qint64 id, TrendHistory &history,
                     const std::function<void(const TesterState &)> &alsoEach = nullptr);

// An archived run's data log lines, for exporting a stretch of its trend:
// the run is read again from an archive opened for the purpose (the one the
// runs list used may be gone by then), its samples numbered as readRunTrend
// numbers them and formatted by the data log's own code.
class ArchiveRunLines : public TrendLineSource
{
public:
    using CatalogSource = std::function<std::unique_ptr<RunCatalog>(QString &failure)>;

    ArchiveRunLines(CatalogSource catalogs, qint64 id) : catalogs(std::move(catalogs)), id(id) {}
    QString readLines(size_t first, size_t last, const EachLine &eachLine) override;

private:
    CatalogSource catalogs;
    qint64 id;
};

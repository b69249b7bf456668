#include "engine/archive/RunTrend.h"

#include "engine/archive/RunCatalog.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"

QString readRunTrend(RunCatalog &catalog, qint64 id, TrendHistory &history,
                     const std::function<void(const TesterState &)> &alsoEach)
{
    std::vector<qint64> resumed;
    if (const QString failure = catalog.watchResumed(id, resumed); !failure.isEmpty())
        return failure;
    auto next = resumed.cbegin();
    return catalog.readRun(id, [&](const TesterState &s) {
        const qint64 at = s.counters.updateTime.toMSecsSinceEpoch();
        bool breaks = false;
        for (; next != resumed.cend() && *next <= at; ++next)
            breaks = true;
        if (breaks && !history.empty())
            history.startSession();
        history.append(trendReadingFromState(s));
        if (alsoEach)
            alsoEach(s);
    });
}

QString ArchiveRunLines::readLines(size_t first, size_t last, const EachLine &eachLine)
{
    QString failure = QStringLiteral("no run archive is in use");
    const std::unique_ptr<RunCatalog> catalog = catalogs ? catalogs(failure) : nullptr;
    if (!catalog)
        return failure;
    size_t sample = 0;
    failure = catalog->readRun(id, [&](const TesterState &s) {
        if (sample >= first && sample <= last)
            eachLine(sample, sampleLogLine(s).toLatin1());
        ++sample;
    });
    if (failure.isEmpty() && sample <= last)
        return QStringLiteral("the archive holds fewer samples of run %1 than were drawn").arg(id);
    return failure;
}

#include "engine/archive/RunReportRead.h"

#include "engine/archive/ArchiveRecord.h"
#include "engine/archive/RunCatalog.h"
#include "engine/archive/RunTrend.h"
#include "engine/trend/TrendHistory.h"

namespace {

// The events a report lists: how the run went, not the files and downloads.
bool reported(const QString &kind)
{
    static const QStringList kinds{runEventText(RunEvent::Started),        runEventText(RunEvent::Stopped),
                                   runEventText(RunEvent::LinkLost),       runEventText(RunEvent::LinkFound),
                                   runEventText(RunEvent::ProgramStarted), runEventText(RunEvent::ProgramExited)};
    return kinds.contains(kind);
}

}   // namespace

RunDetails runDetailsOf(const RunSummary &run)
{
    return {run.part, run.operatorName, run.notes};
}

QString readRunReport(RunCatalog &catalog, qint64 id, RunReportData &data, TrendHistory &trend)
{
    data = RunReportData();
    trend.clear();
    RunFilter one;
    one.runId = id;
    std::vector<RunSummary> runs;
    if (const QString failure = catalog.listRuns(one, runs); !failure.isEmpty())
        return failure;
    if (runs.empty())
        return QStringLiteral("The run archive holds no run %1.").arg(id);
    const RunSummary &run = runs.front();
    data.runId = id;
    data.serialNumber = run.serialNumber;
    data.host = run.host;
    data.start = run.start;
    data.end = run.end;
    data.endedHow = run.endedHow;
    data.details = runDetailsOf(run);

    std::vector<ArchivedEvent> events;
    if (const QString failure = catalog.readEvents(id, events); !failure.isEmpty())
        return failure;
    for (const ArchivedEvent &e : events)
        if (reported(e.kind))
            data.events.push_back({e.at, e.kind, e.detail});

    RunReportCollector collector(data);
    const QString failure =
        readRunTrend(catalog, id, trend, [&collector](const TesterState &s) { collector.addSample(s); });
    if (!failure.isEmpty())
        return failure;
    if (data.samples == 0)
        return QStringLiteral("Run %1 has no sample to report.").arg(id);
    // The report reads like the tester's own display of the last sample.
    data.last.session.downloadedOnce = true;
    return QString();
}

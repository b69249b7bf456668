#include "app/ArchiveCommands.h"

#include "app/AppOptions.h"
#include "engine/archive/RunMoment.h"
#include "engine/preferences/Registry.h"
#include "features/report/RunReport.h"
#include "platform/archive/ArchivePlace.h"
#include "platform/archive/SqlArchiveStore.h"

#include <QDateTime>
#include <QLocale>
#include <QTextStream>

namespace {

int failed(const QString &text)
{
    QTextStream(stderr) << "lifecycle: " << text << "\n";
    return 2;
}

int listRuns(SqlArchiveStore &store, const AppOptions &options)
{
    QStringList lines;
    QString failure;
    if (listRunLines(store, options, QDateTime::currentDateTime(), lines, failure) != 0)
        return failed(failure);
    QTextStream out(stdout);
    for (const QString &line : lines)
        out << line << "\n";
    return 0;
}

// The run --export-run or --export-report names; 0 after a failure was told.
qint64 chosenRun(SqlArchiveStore &store, const QString &which)
{
    if (which != QLatin1String("last"))
        return QLocale::c().toLongLong(which);
    qint64 id = 0;
    if (const QString failure = store.lastRunId(id); !failure.isEmpty())
        failed(failure);
    else if (id == 0)
        failed(QStringLiteral("The run archive %1 holds no run.").arg(store.location().shown()));
    return id;
}

int exportRun(SqlArchiveStore &store, const AppOptions &options, const RunChartPainter &charts)
{
    const bool report = !options.exportReport.isEmpty();
    const qint64 id = chosenRun(store, report ? options.exportReport : options.exportRun);
    if (id == 0)
        return 2;
    const QString failure = report ? writeRunReportFile(store, id, options.exportFile, charts)
                                   : exportRunToFile(store, id, options.exportFile);
    return failure.isEmpty() ? 0 : failed(failure);
}

}   // namespace

int listRunLines(RunCatalog &catalog, const AppOptions &options, const QDateTime &now, QStringList &lines,
                 QString &failure)
{
    RunFilter filter;
    filter.wholeSerial = true;
    filter.serialNumber = options.runSerial.trimmed();
    filter.host = options.runHost.trimmed();
    QStringList problems;
    if (!options.runSince.isEmpty()) {
        const QString text = options.runSince.trimmed();
        if (!readRunMoment(text, now, false, filter.since).isEmpty())
            problems << QStringLiteral("--since '%1' is not a date (YYYY-MM-DD) or a number of days (Nd)").arg(text);
    }
    // A name the archive does not know is most likely mistyped: it is named
    // rather than answered with an empty list.
    RunFilter ofTester, ofStation;
    ofTester.wholeSerial = true;
    ofTester.serialNumber = filter.serialNumber;
    ofStation.host = filter.host;
    const struct
    {
        const QString &value;
        const RunFilter &alone;
        QString unknown;
    } names[] = {
        {filter.serialNumber, ofTester, QStringLiteral("--serial '%1': no run of that tester in the archive")},
        {filter.host, ofStation, QStringLiteral("--host '%1': no run of that station in the archive")},
    };
    for (const auto &name : names) {
        qint64 count = 0;
        if (name.value.isEmpty())
            continue;
        if (const QString readFailure = catalog.countRuns(name.alone, count); !readFailure.isEmpty()) {
            failure = readFailure;
            return 2;
        }
        if (count == 0)
            problems << name.unknown.arg(name.value);
    }
    if (!problems.isEmpty()) {
        failure = problems.join(QStringLiteral("; "));
        return 2;
    }
    std::vector<RunSummary> runs;
    if (failure = catalog.listRuns(filter, runs); !failure.isEmpty())
        return 2;
    lines.clear();
    for (const RunSummary &run : runs)
        lines << runListLine(run);
    return 0;
}

int runArchiveCommand(const AppOptions &options, SettingsStore &settings, const RunChartPainter &charts)
{
    ArchiveLocation location;
    if (const QString failure = chooseArchive(options.archive, Registry(settings).loadArchive(), location);
        !failure.isEmpty())
        return failed(failure);
    SqlArchiveStore store(location);
    if (const QString failure = store.open(false); !failure.isEmpty())
        return failed(failure);
    return options.listRuns ? listRuns(store, options) : exportRun(store, options, charts);
}

#include "app/ArchiveCommands.h"

#include "app/AppOptions.h"
#include "engine/preferences/Registry.h"
#include "platform/archive/ArchivePlace.h"
#include "platform/archive/SqlArchiveStore.h"

#include <QLocale>
#include <QTextStream>

namespace {

int failed(const QString &text)
{
    QTextStream(stderr) << "lifecycle: " << text << "\n";
    return 2;
}

int listRuns(SqlArchiveStore &store)
{
    std::vector<RunSummary> runs;
    if (const QString failure = store.listRuns(RunFilter(), runs); !failure.isEmpty())
        return failed(failure);
    QTextStream out(stdout);
    for (const RunSummary &run : runs)
        out << runListLine(run) << "\n";
    return 0;
}

int exportRun(SqlArchiveStore &store, const QString &which, const QString &path)
{
    qint64 id = 0;
    if (which == QLatin1String("last")) {
        if (const QString failure = store.lastRunId(id); !failure.isEmpty())
            return failed(failure);
        if (id == 0)
            return failed(QStringLiteral("The run archive %1 holds no run.").arg(store.location().shown()));
    } else {
        id = QLocale::c().toLongLong(which);
    }
    if (const QString failure = exportRunToFile(store, id, path); !failure.isEmpty())
        return failed(failure);
    return 0;
}

}   // namespace

int runArchiveCommand(const AppOptions &options, SettingsStore &settings)
{
    ArchiveLocation location;
    if (const QString failure = chooseArchive(options.archive, Registry(settings).loadArchive(), location);
        !failure.isEmpty())
        return failed(failure);
    SqlArchiveStore store(location);
    if (const QString failure = store.open(false); !failure.isEmpty())
        return failed(failure);
    return options.listRuns ? listRuns(store) : exportRun(store, options.exportRun, options.exportFile);
}

#include "engine/archive/RunCatalog.h"

#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"

#include <QDir>
#include <QSaveFile>

QString RunListLine(const RunSummary &run)
{
    const auto iso = [](const QDateTime &t) { return t.isValid() ? t.toString(Qt::ISODate) : QString(); };
    return QStringList{QString::number(run.id), run.serialNumber, iso(run.start), iso(run.end),
                       QString::number(run.cycles), QString::number(run.failures), run.endedHow}
        .join(QLatin1Char('\t'));
}

QString ExportRun(RunCatalog &catalog, qint64 id, const QString &path)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    // The old file stays until the whole run is written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("The data log %1 cannot be written: %2.").arg(shownPath, file.errorString());
    QByteArray lines = QByteArray(DataLogHeader) + "\r\n";
    const QString failure = catalog.readRun(id, [&](const TesterState &s) {
        lines += SampleLine(s).toLatin1();
        lines += "\r\n";
        if (lines.size() > (1 << 20)) {
            file.write(lines);
            lines.clear();
        }
    });
    if (!failure.isEmpty()) {
        file.cancelWriting();
        return failure;
    }
    file.write(lines);
    if (!file.commit())
        return QStringLiteral("The data log %1 cannot be written: %2.").arg(shownPath, file.errorString());
    return QString();
}

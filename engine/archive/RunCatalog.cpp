#include "engine/archive/RunCatalog.h"

#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"

#include <QDir>
#include <QFile>

namespace {

QString escapedColumn(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': escaped += QLatin1String("\\\\"); break;
        case '\t': escaped += QLatin1String("\\t"); break;
        case '\n': escaped += QLatin1String("\\n"); break;
        case '\r': escaped += QLatin1String("\\r"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

}   // namespace

QString runListLine(const RunSummary &run)
{
    const auto iso = [](const QDateTime &t) { return t.isValid() ? t.toString(Qt::ISODate) : QString(); };
    return QStringList{QString::number(run.id),
                       run.serialNumber,
                       iso(run.start),
                       iso(run.end),
                       QString::number(run.cycles),
                       QString::number(run.failures),
                       run.endedHow,
                       escapedColumn(run.part),
                       escapedColumn(run.operatorName),
                       escapedColumn(run.notes)}
        .join(QLatin1Char('\t'));
}

QString exportRunToFile(RunCatalog &catalog, qint64 id, const QString &path)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    const auto notWritten = [&](const QFile &file) {
        return QStringLiteral("The data log %1 cannot be written: %2.").arg(shownPath, file.errorString());
    };
    // The old file stays until the whole run is written. Not synced to the
    // disk: a run of a million lines would wait seconds for that, and the
    // archive still holds it.
    QFile part(path + QStringLiteral(".part"));
    if (!part.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return notWritten(part);
    QByteArray lines = QByteArray(DataLogHeader) + "\r\n";
    bool written = true;
    const QString failure = catalog.readRun(id, [&](const TesterState &s) {
        lines += sampleLogLine(s).toLatin1();
        lines += "\r\n";
        if (lines.size() > (1 << 20)) {
            written = written && part.write(lines) == lines.size();
            lines.clear();
        }
    });
    written = written && part.write(lines) == lines.size() && part.flush();
    const QString writeFailure = written ? QString() : notWritten(part);
    part.close();
    if (!failure.isEmpty() || !written) {
        part.remove();
        return failure.isEmpty() ? writeFailure : failure;
    }
    QFile::remove(path);
    if (!part.rename(path)) {
        const QString renameFailure = notWritten(part);
        part.remove();
        return renameFailure;
    }
    return QString();
}

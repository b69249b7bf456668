#include "engine/archive/RunFileLog.h"

#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLogReader.h"

#include <QDir>
#include <algorithm>

QString runFileName(const QString &serialNumber, const QDateTime &start)
{
    // The serial number is the tester's text: only what any file system takes.
    QString serial;
    for (const QChar c : serialNumber.trimmed())
        serial += (c.isLetterOrNumber() && c.unicode() < 0x80) || c == u'-' || c == u'_' ? c : QChar(u'_');
    if (serial.isEmpty())
        serial = QStringLiteral("unknown");
    return serial + u' ' + start.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")) + QStringLiteral(".txt");
}

RunFileLog::RunFileLog(TesterState &state) : s(state) {}

namespace {

// The cycle count of a data log file's last line; -1 when it has none.
qint64 lastCycleCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    file.seek(std::max<qint64>(0, file.size() - 1024));
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QByteArray text = line->trimmed();
        TrendReading reading;
        if (!text.isEmpty())
            return parseTrendLine(text.constData(), text.constData() + text.size(), reading) ? reading.cycleCount : -1;
    }
    return -1;
}

}   // namespace

// The tester's newest run file, when the count carries on from its last line.
QString RunFileLog::fileGoingOn(const QString &serialNumber, qint64 cycleCount) const
{
    const QString prefix = runFileName(serialNumber, QDateTime()).chopped(4);
    QStringList names = QDir(folder).entryList({prefix + QStringLiteral("[0-9]*.txt")}, QDir::Files);
    if (names.isEmpty())
        return QString();
    // The start in the name sorts by time; "name (2).txt" after "name.txt".
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.chopped(4) < b.chopped(4); });
    const QString path = QDir(folder).filePath(names.last());
    const qint64 last = lastCycleCount(path);
    return last >= 0 && last <= cycleCount ? path : QString();
}

void RunFileLog::runOpened(const QString &serialNumber, const QDateTime &start, qint64 cycleCount)
{
    runClosed();
    lines = 0;
    lastLine = QDateTime();
    if (folder.isEmpty())
        return;
    if (const QString goingOn = fileGoingOn(serialNumber, cycleCount); !goingOn.isEmpty()) {
        file.setFileName(goingOn);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            fail(QStringLiteral("The run's data file %1 cannot be created: %2.")
                     .arg(QDir::toNativeSeparators(goingOn), file.errorString()));
        return;
    }
    const QString name = runFileName(serialNumber, start);
    QString path = QDir(folder).filePath(name);
    // Two runs started within one second keep apart.
    for (int n = 2; QFile::exists(path); ++n)
        path = QDir(folder).filePath(name.chopped(4) + QStringLiteral(" (%1).txt").arg(n));
    file.setFileName(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)
        || file.write(QByteArray(DataLogHeader) + "\r\n") < 0) {
        fail(QStringLiteral("The run's data file %1 cannot be created: %2.")
                 .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

void RunFileLog::sampleAdded()
{
    if (!file.isOpen())
        return;
    const QByteArray line = sampleLogLine(s).toLatin1() + "\r\n";
    if (file.write(line) != line.size()) {
        fail(QStringLiteral("The run's data file %1 cannot be written: %2.  It has been closed; the run goes on "
                            "in the archive.")
                 .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        return;
    }
    // The sample is in a data file: nothing offers to save it again.
    s.session.dirtyData = false;
    ++lines;
    lastLine = s.counters.updateTime;
}

void RunFileLog::runClosed()
{
    file.close();
}

void RunFileLog::fail(const QString &text)
{
    file.close();
    Q_EMIT failed(text);
}

#include "engine/archive/RunFileLog.h"

#include "engine/datalog/DataLog.h"

#include <QDir>

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

RunFileLog::RunFileLog(const TesterState &state) : s(state) {}

void RunFileLog::runOpened(const QString &serialNumber, const QDateTime &start)
{
    runClosed();
    if (folder.isEmpty())
        return;
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
    if (file.write(line) != line.size())
        fail(QStringLiteral("The run's data file %1 cannot be written: %2.  It has been closed; the run goes on "
                            "in the archive.")
                 .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
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

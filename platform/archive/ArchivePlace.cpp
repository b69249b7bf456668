#include "platform/archive/ArchivePlace.h"

#include <QDir>
#include <QStandardPaths>

QString defaultArchivePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("runs.sqlite"));
}

QString archiveSpoolFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString chooseArchive(const QString &commandLine, const QString &preference, ArchiveLocation &location)
{
    const QString named = !commandLine.trimmed().isEmpty() ? commandLine : preference;
    if (named.trimmed().isEmpty()) {
        location = ArchiveLocation();
        location.path = defaultArchivePath();
        return QString();
    }
    return parseArchiveLocation(named, location);
}

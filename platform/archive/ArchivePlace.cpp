#include "platform/archive/ArchivePlace.h"

#include <QDir>
#include <QStandardPaths>

QString DefaultArchivePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("runs.sqlite"));
}

QString ArchiveSpoolFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString ChooseArchive(const QString &commandLine, const QString &preference, ArchiveLocation &location)
{
    const QString named = !commandLine.trimmed().isEmpty() ? commandLine : preference;
    if (named.trimmed().isEmpty()) {
        location = ArchiveLocation();
        location.path = DefaultArchivePath();
        return QString();
    }
    return ParseArchiveLocation(named, location);
}

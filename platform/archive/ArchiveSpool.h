#pragma once

#include "engine/archive/ArchiveRecord.h"

#include <QSqlDatabase>
#include <QString>
#include <vector>

// The records the archive could not take yet, kept in a local SQLite file
// until it can: a server that is down, or an archive file another program
// holds. Kept per archive, so that any program writing to the same archive
// hands them on. Used by the archive's writer thread only.
class ArchiveSpool
{
public:
    explicit ArchiveSpool(QString path);
    ~ArchiveSpool();

    const QString &path() const { return file; }
    bool append(const std::vector<ArchiveRecord> &records);
    // The oldest records, at most `limit`; `lastId` marks where they end,
    // 0 when the spool holds none or cannot be read.
    std::vector<ArchiveRecord> front(int limit, qint64 &lastId);
    bool removeUpTo(qint64 lastId);
    bool isEmpty();

private:
    bool ensureOpen();

    QString file;
    QString connectionName;
    QSqlDatabase db;
    bool knownEmpty = false;
};

#include "platform/archive/ArchiveSpool.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

namespace {
QAtomicInt spoolCount;
}

ArchiveSpool::ArchiveSpool(QString path)
    : file(std::move(path)), connectionName(QStringLiteral("archive-spool-%1").arg(spoolCount.fetchAndAddOrdered(1)))
{
}

ArchiveSpool::~ArchiveSpool()
{
    if (db.isValid())
        db.close();
    db = QSqlDatabase();
    if (QSqlDatabase::contains(connectionName))
        QSqlDatabase::removeDatabase(connectionName);
}

bool ArchiveSpool::ensureOpen()
{
    if (db.isValid() && db.isOpen())
        return true;
    if (!db.isValid()) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!db.open())
        return false;
    QSqlQuery query(db);
    return query.exec(
        QStringLiteral("CREATE TABLE IF NOT EXISTS spool (id INTEGER PRIMARY KEY, record BLOB NOT NULL)"));
}

bool ArchiveSpool::append(const std::vector<ArchiveRecord> &records)
{
    if (!ensureOpen() || !db.transaction())
        return false;
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO spool (record) VALUES (?)"));
    for (const ArchiveRecord &record : records) {
        insert.addBindValue(encodeArchiveRecord(record));
        if (!insert.exec()) {
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        db.rollback();
        return false;
    }
    knownEmpty = false;
    return true;
}

std::vector<ArchiveRecord> ArchiveSpool::front(int limit, qint64 &lastId)
{
    std::vector<ArchiveRecord> records;
    lastId = 0;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, record FROM spool ORDER BY id LIMIT ?"));
    query.addBindValue(limit);
    query.exec();
    while (query.next()) {
        lastId = query.value(0).toLongLong();
        ArchiveRecord record;
        // A damaged entry is passed over, not kept in front of the others forever.
        if (decodeArchiveRecord(query.value(1).toByteArray(), record))
            records.push_back(std::move(record));
        else
            qWarning("run archive: a damaged entry of the spool was dropped");
    }
    return records;
}

bool ArchiveSpool::removeUpTo(qint64 lastId)
{
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM spool WHERE id <= ?"));
    remove.addBindValue(lastId);
    return remove.exec();
}

bool ArchiveSpool::isEmpty()
{
    // The file is looked at only when it is there or was written.
    if (knownEmpty || (!db.isValid() && !QFileInfo::exists(file)))
        return true;
    // A spool that cannot be opened is not empty: its records wait.
    ensureOpen();
    QSqlQuery query(db);
    knownEmpty = query.exec(QStringLiteral("SELECT 1 FROM spool LIMIT 1")) && !query.next();
    return knownEmpty;
}

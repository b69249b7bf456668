#include "platform/archive/SqlArchiveStore.h"

#include "engine/state/TesterState.h"
#include "platform/archive/RunJoin.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>

namespace {

QAtomicInt connectionCount;

bool isSqlite(const ArchiveLocation &where)
{
    return where.kind == ArchiveLocation::SqliteFile;
}

QString columnList(const ArchiveColumn *columns, std::size_t count, const QString &type)
{
    QStringList names;
    for (std::size_t i = 0; i < count; ++i)
        names << QString::fromLatin1(columns[i].name) + type;
    return names.join(QStringLiteral(", "));
}

QString placeholders(std::size_t count)
{
    QStringList marks;
    for (std::size_t i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

// The statements that bring an archive from one version to the next; the
// key column's type is the database's own.
QStringList schemaStep(int toVersion, const QString &key)
{
    if (toVersion == 1)
        return {
            QStringLiteral("CREATE TABLE archive_schema (version INTEGER NOT NULL)"),
            QStringLiteral("INSERT INTO archive_schema (version) VALUES (0)"),
            QStringLiteral(
                "CREATE TABLE testers (id %1, serial_number TEXT NOT NULL, software_version BIGINT NOT NULL, "
                "UNIQUE (serial_number, software_version))")
                .arg(key),
            QStringLiteral(
                "CREATE TABLE runs (id %1, run_key TEXT NOT NULL UNIQUE, tester_id BIGINT REFERENCES testers (id), "
                "host TEXT, program_version TEXT, start_ms BIGINT NOT NULL, start_offset INTEGER NOT NULL, "
                "found_running INTEGER NOT NULL, end_ms BIGINT, end_offset INTEGER, ended_how TEXT)")
                .arg(key),
            QStringLiteral(
                "CREATE TABLE configs (id %1, run_id BIGINT NOT NULL REFERENCES runs (id), at_ms BIGINT NOT NULL, "
                "utc_offset INTEGER NOT NULL, serial_number TEXT NOT NULL, %2)")
                .arg(key, columnList(ConfigColumns, ConfigColumnCount, QStringLiteral(" BIGINT NOT NULL"))),
            QStringLiteral(
                "CREATE TABLE samples (id %1, run_id BIGINT NOT NULL REFERENCES runs (id), config_id BIGINT NOT NULL "
                "REFERENCES configs (id), at_ms BIGINT NOT NULL, utc_offset INTEGER NOT NULL, %2)")
                .arg(key, columnList(SampleColumns, SampleColumnCount, QStringLiteral(" BIGINT NOT NULL"))),
            QStringLiteral("CREATE INDEX samples_by_run ON samples (run_id, id)"),
            QStringLiteral("CREATE TABLE events (id %1, run_id BIGINT REFERENCES runs (id), at_ms BIGINT NOT NULL, "
                           "utc_offset INTEGER NOT NULL, kind TEXT NOT NULL, detail TEXT)")
                .arg(key),
        };
    if (toVersion == 2) {
        const QString last =
            QStringLiteral("(SELECT s.%1 FROM samples s WHERE s.run_id = runs.id ORDER BY s.id DESC LIMIT 1)");
        return {
            QStringLiteral("ALTER TABLE runs ADD COLUMN cycles BIGINT NOT NULL DEFAULT 0"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN failures BIGINT NOT NULL DEFAULT 0"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN samples BIGINT NOT NULL DEFAULT 0"),
            QStringLiteral("UPDATE runs SET cycles = COALESCE(%1, 0), failures = COALESCE(%2, 0), "
                           "samples = (SELECT COUNT(*) FROM samples s WHERE s.run_id = runs.id)")
                .arg(last.arg(QStringLiteral("cycles")), last.arg(QStringLiteral("failures"))),
            QStringLiteral("CREATE INDEX runs_by_start ON runs (start_ms)"),
        };
    }
    if (toVersion == 3)
        // The runs themselves are joined after these statements (joinOldRuns).
        return {
            QStringLiteral("CREATE TABLE run_keys (run_key TEXT NOT NULL UNIQUE, run_id BIGINT NOT NULL REFERENCES "
                           "runs (id))"),
            QStringLiteral("CREATE INDEX runs_by_tester ON runs (tester_id, id)"),
        };
    if (toVersion == 4)
        return {
            QStringLiteral("ALTER TABLE runs ADD COLUMN part TEXT"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN operator_name TEXT"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN notes TEXT"),
        };
    return {};
}

// A serial number not reported yet is an empty text, never NULL: the
// archive would refuse the record, and every record after it.
QString notNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

// The database refused a value (a constraint, a number out of range), as
// opposed to a full disk, a lock or a lost connection: SQLite's codes 19
// and 20 (with their extended codes), PostgreSQL's classes 22 and 23.
bool isRefusal(const QSqlError &error, bool sqlite)
{
    const QString code = error.nativeErrorCode();
    if (sqlite) {
        const int primary = code.toInt() & 0xff;
        return primary == 19 || primary == 20;
    }
    return code.startsWith(QLatin1String("22")) || code.startsWith(QLatin1String("23"));
}

QDateTime timeOf(const QVariant &ms, const QVariant &offset)
{
    if (ms.isNull())
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(ms.toLongLong(), Qt::OffsetFromUTC, offset.toInt());
}

}   // namespace

SqlArchiveStore::SqlArchiveStore(const ArchiveLocation &location)
    : where(location), connectionName(QStringLiteral("run-archive-%1").arg(connectionCount.fetchAndAddOrdered(1)))
{
}

SqlArchiveStore::~SqlArchiveStore()
{
    close();
}

QString SqlArchiveStore::fail(const QString &what, const QString &detail)
{
    const QString place = isSqlite(where) ? QStringLiteral("file %1").arg(where.shown()) : where.shown();
    lastError = QStringLiteral("The run archive %1 %2").arg(place, what);
    if (!detail.trimmed().isEmpty())
        lastError += QStringLiteral(": ") + detail.trimmed();
    lastError += u'.';
    return lastError;
}

QString SqlArchiveStore::open(bool forWriting, int upToVersion)
{
    close();
    if (const QString failure = openConnection(forWriting); !failure.isEmpty()) {
        close();
        return failure;
    }
    if (const QString failure = bringSchemaUp(upToVersion); !failure.isEmpty()) {
        close();
        return failure;
    }
    return QString();
}

QString SqlArchiveStore::openConnection(bool forWriting)
{
    if (isSqlite(where)) {
        const QFileInfo file(where.path);
        if (!forWriting && !file.exists())
            return fail(QStringLiteral("does not exist"), QString());
        if (forWriting) {
            if (!QDir().mkpath(file.absolutePath()))
                return fail(QStringLiteral("cannot be created"),
                            QStringLiteral("no folder %1").arg(file.absolutePath()));
            // SQLite keeps two programs from damaging the file, but the
            // second would wait on every write: it is told at once instead.
            lock = std::make_unique<QLockFile>(where.path + QStringLiteral(".lock"));
            lock->setStaleLockTime(0);
            if (!lock->tryLock(0)) {
                qint64 pid = 0;
                QString host, program;
                lock->getLockInfo(&pid, &host, &program);
                lock.reset();
                return fail(QStringLiteral("is in use by another program"),
                            pid ? QStringLiteral("process %1 on %2").arg(pid).arg(host) : QString());
            }
        }
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(where.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        db.setHostName(where.host);
        db.setPort(where.port);
        db.setUserName(where.user);
        db.setPassword(where.password);
        db.setDatabaseName(where.database);
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    }
    if (!db.isValid())
        return fail(QStringLiteral("cannot be opened"), QStringLiteral("the database driver is not installed"));
    if (!db.open())
        return fail(QStringLiteral("cannot be opened"), db.lastError().text());
    if (isSqlite(where)) {
        QSqlQuery pragma(db);
        // Readers go on while the writer commits; a commit survives a killed program.
        if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !pragma.next())
            return fail(QStringLiteral("is not a run archive"), pragma.lastError().text());
        pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
    return QString();
}

int SqlArchiveStore::schemaVersion()
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT version FROM archive_schema")) || !query.next())
        return -1;
    return query.value(0).toInt();
}

QString SqlArchiveStore::bringSchemaUp(int upToVersion)
{
    if (!begin())
        return fail(QStringLiteral("cannot be read"), transactionError.text());
    if (!isSqlite(where)) {
        // Two stations starting at once: one creates the tables, the other waits.
        QSqlQuery lockQuery(db);
        lockQuery.exec(QStringLiteral("SELECT pg_advisory_xact_lock(418018)"));
    }
    const QStringList tables = db.tables();
    int version = 0;
    if (tables.contains(QStringLiteral("archive_schema"))) {
        version = schemaVersion();
        if (version < 0) {
            rollback();
            return fail(QStringLiteral("is not a run archive"), QStringLiteral("it has no schema version"));
        }
    } else if (tables.contains(QStringLiteral("runs")) || (isSqlite(where) && !tables.isEmpty())) {
        rollback();
        return fail(QStringLiteral("is not a run archive"), QStringLiteral("it holds other tables"));
    }
    if (version > SchemaVersion) {
        rollback();
        return fail(QStringLiteral("was made by a newer program"), QStringLiteral("schema version %1").arg(version));
    }
    const QString key =
        isSqlite(where) ? QStringLiteral("INTEGER PRIMARY KEY") : QStringLiteral("BIGSERIAL PRIMARY KEY");
    for (int step = version + 1; step <= upToVersion; ++step) {
        QStringList statements = schemaStep(step, key);
        statements << QStringLiteral("UPDATE archive_schema SET version = %1").arg(step);
        for (const QString &statement : statements) {
            QSqlQuery query(db);
            if (!query.exec(statement)) {
                rollback();
                return fail(QStringLiteral("cannot be brought to schema version %1").arg(step),
                            query.lastError().text());
            }
        }
        if (step == 3) {
            if (const QString failure = joinOldRuns(db); !failure.isEmpty()) {
                rollback();
                return fail(QStringLiteral("cannot be brought to schema version %1").arg(step), failure);
            }
        }
    }
    joinsRuns = std::max(version, upToVersion) >= 3;
    describesRuns = std::max(version, upToVersion) >= 4;
    if (!commit())
        return fail(QStringLiteral("cannot be written"), transactionError.text());
    return QString();
}

void SqlArchiveStore::close()
{
    forgetIds();
    joinsRuns = false;
    describesRuns = false;
    sampleInsert.reset();
    if (db.isValid())
        db.close();
    db = QSqlDatabase();
    if (QSqlDatabase::contains(connectionName))
        QSqlDatabase::removeDatabase(connectionName);
    lock.reset();
}

void SqlArchiveStore::forgetIds()
{
    runIds.clear();
    configIds.clear();
}

// SQLite's transactions run as statements of their own: their reason (a
// full disk, a locked file) is the statement's, not the connection's.
bool SqlArchiveStore::begin()
{
    transactionError = QSqlError();
    if (!isSqlite(where)) {
        if (db.transaction())
            return true;
        transactionError = db.lastError();
        return false;
    }
    // Take the write lock now, not half-way through the transaction.
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    transactionError = query.lastError();
    return false;
}

bool SqlArchiveStore::commit()
{
    transactionError = QSqlError();
    if (!isSqlite(where)) {
        if (db.commit())
            return true;
        transactionError = db.lastError();
        return false;
    }
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("COMMIT")))
        return true;
    transactionError = query.lastError();
    return false;
}

void SqlArchiveStore::rollback()
{
    if (!isSqlite(where)) {
        db.rollback();
        return;
    }
    QSqlQuery query(db);
    query.exec(QStringLiteral("ROLLBACK"));
}

QString SqlArchiveStore::write(const std::vector<ArchiveRecord> &records)
{
    refused = false;
    const QString failure = writeTogether(records);
    if (failure.isEmpty() || !refused)
        return failure;
    // The archive refused a record for what it holds, not for a lack of
    // room or of a connection: that record alone is dropped, or it would
    // hold back every later one for good.
    for (const ArchiveRecord &record : records) {
        refused = false;
        if (const QString single = writeTogether({record}); !single.isEmpty()) {
            if (!refused)
                return single;
            qWarning("run archive: a record was refused and dropped: %s", qPrintable(single));
        }
    }
    return QString();
}

QString SqlArchiveStore::writeTogether(const std::vector<ArchiveRecord> &records)
{
    if (!isOpen())
        return fail(QStringLiteral("is not open"), QString());
    if (!begin())
        return fail(QStringLiteral("cannot be written"), transactionError.text());
    QHash<qint64, RunTotals> totals;
    for (const ArchiveRecord &record : records) {
        if (const QString failure = apply(record, totals); !failure.isEmpty()) {
            rollback();
            forgetIds();   // ids handed out in the transaction are gone
            return failure;
        }
    }
    QString failure = writeTotals(totals);
    if (failure.isEmpty() && !commit())
        failure = fail(QStringLiteral("cannot be written"), transactionError.text());
    if (!failure.isEmpty()) {
        rollback();
        forgetIds();
    }
    return failure;
}

qint64 SqlArchiveStore::testerId(const QString &serial, qint64 softwareVersion)
{
    QSqlQuery insert(db);
    insert.prepare(
        QStringLiteral("INSERT INTO testers (serial_number, software_version) VALUES (?, ?) ON CONFLICT DO NOTHING"));
    insert.addBindValue(notNull(serial));
    insert.addBindValue(softwareVersion);
    if (!insert.exec())
        return 0;
    QSqlQuery find(db);
    find.prepare(QStringLiteral("SELECT id FROM testers WHERE serial_number = ? AND software_version = ?"));
    find.addBindValue(notNull(serial));
    find.addBindValue(softwareVersion);
    return find.exec() && find.next() ? find.value(0).toLongLong() : 0;
}

qint64 SqlArchiveStore::runId(const QString &key)
{
    if (const auto known = runIds.constFind(key); known != runIds.constEnd())
        return *known;
    QSqlQuery find(db);
    find.prepare(joinsRuns ? QStringLiteral("SELECT id FROM runs WHERE run_key = ? UNION ALL "
                                            "SELECT run_id FROM run_keys WHERE run_key = ?")
                           : QStringLiteral("SELECT id FROM runs WHERE run_key = ?"));
    find.addBindValue(key);
    if (joinsRuns)
        find.addBindValue(key);
    const qint64 id = find.exec() && find.next() ? find.value(0).toLongLong() : 0;
    if (id)
        runIds.insert(key, id);
    return id;
}

qint64 SqlArchiveStore::configId(qint64 run)
{
    if (const auto known = configIds.constFind(run); known != configIds.constEnd())
        return *known;
    QSqlQuery find(db);
    find.prepare(QStringLiteral("SELECT MAX(id) FROM configs WHERE run_id = ?"));
    find.addBindValue(run);
    const qint64 id = find.exec() && find.next() ? find.value(0).toLongLong() : 0;
    if (id)
        configIds.insert(run, id);
    return id;
}

qint64 SqlArchiveStore::insertConfig(qint64 run, const ArchiveRecord &record)
{
    QSqlQuery insert(db);
    insert.prepare(
        QStringLiteral(
            "INSERT INTO configs (run_id, at_ms, utc_offset, serial_number, %1) VALUES (?, ?, ?, ?, %2) RETURNING id")
            .arg(columnList(ConfigColumns, ConfigColumnCount, QString()), placeholders(ConfigColumnCount)));
    insert.addBindValue(run);
    insert.addBindValue(record.atMs);
    insert.addBindValue(record.utcOffset);
    insert.addBindValue(notNull(record.text));
    for (std::size_t i = 0; i < ConfigColumnCount; ++i)
        insert.addBindValue(record.numbers[i]);
    if (!insert.exec() || !insert.next())
        return 0;
    const qint64 id = insert.value(0).toLongLong();
    configIds.insert(run, id);
    return id;
}

// A failed write: the query's error, or the connection's when the query has
// none; whether the database refused the record itself is kept in `refused`.
QString SqlArchiveStore::writeFailed(const QSqlQuery &query)
{
    const QSqlError error = query.lastError().isValid() ? query.lastError() : db.lastError();
    refused = isRefusal(error, isSqlite(where));
    return fail(QStringLiteral("cannot be written"), error.text());
}

QString SqlArchiveStore::apply(const ArchiveRecord &record, QHash<qint64, RunTotals> &totals)
{
    if (record.kind == ArchiveRecord::RunBegun)
        return joinsRuns ? beginRun(record, totals) : insertRun(record);
    const qint64 run = runId(record.runKey);
    if (!run) {
        // A record of a run the archive never heard of cannot be placed;
        // holding it would hold every later one.
        qWarning("run archive: a record of an unknown run was dropped");
        return QString();
    }
    switch (record.kind) {
    case ArchiveRecord::ConfigChanged: return insertConfig(run, record) ? QString() : writeFailed(QSqlQuery(db));
    case ArchiveRecord::Sample: return insertSample(run, record, totals);
    case ArchiveRecord::Event: return insertEvent(run, record);
    case ArchiveRecord::RunEnded: return endRun(run, record);
    case ArchiveRecord::RunDescribed: {
        QSqlQuery query(db);
        return updateDescription(query, run, descriptionOf(record)) ? QString() : writeFailed(query);
    }
    case ArchiveRecord::RunBegun: break;
    }
    return QString();
}

// A program's run of a tester goes on with the tester's newest run when the
// count carries on from that run's last sample, whoever wrote it; else it is
// a run of its own, and a newest run left running was closed by a counter
// reset.
QString SqlArchiveStore::beginRun(const ArchiveRecord &record, QHash<qint64, RunTotals> &totals)
{
    if (runId(record.runKey))
        return QString();   // written before, read again from the spool
    // The newest run's counts as this transaction left them.
    if (const QString failure = writeTotals(totals); !failure.isEmpty())
        return failure;
    totals.clear();
    QSqlQuery newest(db);
    newest.prepare(QStringLiteral("SELECT r.id, r.cycles, r.end_ms FROM runs r JOIN testers t ON t.id = r.tester_id "
                                  "WHERE t.serial_number = ? ORDER BY r.id DESC LIMIT 1"));
    newest.addBindValue(notNull(record.text));
    if (!newest.exec())
        return writeFailed(newest);
    if (newest.next() && !record.text.isEmpty() && record.cycles >= 0) {
        const qint64 open = newest.value(0).toLongLong();
        if (newest.value(1).toLongLong() <= record.cycles) {
            QSqlQuery alias(db);
            alias.prepare(QStringLiteral("INSERT INTO run_keys (run_key, run_id) VALUES (?, ?)"));
            alias.addBindValue(record.runKey);
            alias.addBindValue(open);
            if (!alias.exec())
                return writeFailed(alias);
            runIds.insert(record.runKey, open);
            return insertConfig(open, record) ? QString() : writeFailed(alias);
        }
        if (newest.value(2).isNull()) {
            QSqlQuery reset(db);
            reset.prepare(QStringLiteral("UPDATE runs SET end_ms = ?, end_offset = ?, ended_how = ? WHERE id = ?"));
            reset.addBindValue(record.atMs);
            reset.addBindValue(record.utcOffset);
            reset.addBindValue(stopCauseText(RunEnd::CountersReset));
            reset.addBindValue(open);
            if (!reset.exec())
                return writeFailed(reset);
        }
    }
    return insertRun(record);
}

QString SqlArchiveStore::insertRun(const ArchiveRecord &record)
{
    const qint64 tester = testerId(record.text, record.numbers[ConfigColumnCount - 1]);
    QSqlQuery insert(db);
    insert.prepare(
        QStringLiteral("INSERT INTO runs (run_key, tester_id, host, program_version, start_ms, start_offset, "
                       "found_running) VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (run_key) DO NOTHING"));
    for (const QVariant &value :
         {QVariant(record.runKey), tester ? QVariant(tester) : QVariant(QMetaType::fromType<qint64>()),
          QVariant(record.host), QVariant(record.programVersion), QVariant(record.atMs), QVariant(record.utcOffset),
          QVariant(record.code)})
        insert.addBindValue(value);
    if (!tester || !insert.exec())
        return writeFailed(insert);
    const qint64 run = runId(record.runKey);
    if (!run || !insertConfig(run, record))
        return writeFailed(insert);
    return QString();
}

QString SqlArchiveStore::insertSample(qint64 run, const ArchiveRecord &record, QHash<qint64, RunTotals> &totals)
{
    const qint64 config = configId(run);
    if (!sampleInsert) {
        sampleInsert = std::make_unique<QSqlQuery>(db);
        sampleInsert->prepare(
            QStringLiteral("INSERT INTO samples (run_id, config_id, at_ms, utc_offset, %1) VALUES (?, ?, ?, ?, %2)")
                .arg(columnList(SampleColumns, SampleColumnCount, QString()), placeholders(SampleColumnCount)));
    }
    QSqlQuery &insert = *sampleInsert;
    insert.bindValue(0, run);
    insert.bindValue(1, config);
    insert.bindValue(2, record.atMs);
    insert.bindValue(3, record.utcOffset);
    for (std::size_t i = 0; i < SampleColumnCount; ++i)
        insert.bindValue(int(i) + 4, record.numbers[i]);
    if (!insert.exec())
        return writeFailed(insert);
    RunTotals &total = totals[run];
    total.cycles = record.numbers[0];
    total.failures = record.numbers[1];
    ++total.samples;
    return QString();
}

QString SqlArchiveStore::insertEvent(qint64 run, const ArchiveRecord &record)
{
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO events (run_id, at_ms, utc_offset, kind, detail) VALUES (?, ?, ?, ?, ?)"));
    query.addBindValue(run);
    query.addBindValue(record.atMs);
    query.addBindValue(record.utcOffset);
    query.addBindValue(runEventText(RunEvent(record.code)));
    query.addBindValue(record.text);
    return query.exec() ? QString() : writeFailed(query);
}

// A run that runs again has no end; a stop found by a later program does not
// overwrite the cause seen when it stopped.
QString SqlArchiveStore::endRun(qint64 run, const ArchiveRecord &record)
{
    const RunEnd how = RunEnd(record.code & ~RunEndUnlessEnded);
    const bool running = how == RunEnd::Running;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE runs SET end_ms = ?, end_offset = ?, ended_how = ? WHERE id = ?")
                  + (record.code & RunEndUnlessEnded ? QStringLiteral(" AND end_ms IS NULL") : QString()));
    query.addBindValue(running ? QVariant(QMetaType::fromType<qint64>()) : QVariant(record.atMs));
    query.addBindValue(running ? QVariant(QMetaType::fromType<qint32>()) : QVariant(record.utcOffset));
    query.addBindValue(running ? QVariant(QMetaType::fromType<QString>()) : QVariant(stopCauseText(how)));
    query.addBindValue(run);
    return query.exec() ? QString() : writeFailed(query);
}

bool SqlArchiveStore::updateDescription(QSqlQuery &query, qint64 run, const RunDescription &description)
{
    if (!describesRuns) {
        // Only tests write an older schema.
        qWarning("run archive: schema before version 4 keeps no run description");
        return true;
    }
    const RunDescription bounded = boundedDescription(description);
    query.prepare(QStringLiteral("UPDATE runs SET part = ?, operator_name = ?, notes = ? WHERE id = ?"));
    for (const QString &text : {bounded.part, bounded.operatorName, bounded.notes})
        query.addBindValue(notNull(text));
    query.addBindValue(run);
    return query.exec();
}

// From View, Runs: written at once, beside the writer's own transactions
// (SQLite waits for its turn, up to the busy time-out).
QString SqlArchiveStore::describeRun(qint64 id, const RunDescription &description)
{
    if (!isOpen())
        return fail(QStringLiteral("is not open"), QString());
    if (!describesRuns)
        return fail(QStringLiteral("cannot be written"), QStringLiteral("its schema is older than version 4"));
    QSqlQuery query(db);
    if (!updateDescription(query, id, description))
        return fail(QStringLiteral("cannot be written"), query.lastError().text());
    if (query.numRowsAffected() == 0)
        return fail(QStringLiteral("holds no run %1").arg(id), QString());
    return QString();
}

QString SqlArchiveStore::writeTotals(const QHash<qint64, RunTotals> &totals)
{
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE runs SET cycles = ?, failures = ?, samples = samples + ? WHERE id = ?"));
    for (auto total = totals.constBegin(); total != totals.constEnd(); ++total) {
        update.addBindValue(total->cycles);
        update.addBindValue(total->failures);
        update.addBindValue(total->samples);
        update.addBindValue(total.key());
        if (!update.exec())
            return fail(QStringLiteral("cannot be written"), update.lastError().text());
    }
    return QString();
}

namespace {

// The WHERE clause of a run filter over "runs r LEFT JOIN testers t", with
// the values to bind in order.
QString runConditions(const RunFilter &filter, QVariantList &values)
{
    QString sql = QStringLiteral(" WHERE 1 = 1");
    const QString serial = filter.serialNumber.trimmed().toLower();
    if (!serial.isEmpty() && filter.wholeSerial) {
        sql += QStringLiteral(" AND LOWER(t.serial_number) = ?");
        values << serial;
    } else if (!serial.isEmpty()) {
        sql += QStringLiteral(" AND LOWER(t.serial_number) LIKE ? ESCAPE '!'");
        QString pattern = serial;
        pattern.replace(QLatin1String("!"), QLatin1String("!!"))
            .replace(QLatin1String("%"), QLatin1String("!%"))
            .replace(QLatin1String("_"), QLatin1String("!_"));
        values << u'%' + pattern + u'%';
    }
    if (!filter.host.trimmed().isEmpty()) {
        sql += QStringLiteral(" AND LOWER(r.host) = ?");
        values << filter.host.trimmed().toLower();
    }
    if (filter.from.isValid()) {
        sql += QStringLiteral(" AND r.start_ms >= ?");
        values << filter.from.startOfDay().toMSecsSinceEpoch();
    }
    if (filter.to.isValid()) {
        sql += QStringLiteral(" AND r.start_ms < ?");
        values << filter.to.addDays(1).startOfDay().toMSecsSinceEpoch();
    }
    if (filter.since.isValid()) {
        // The last sample of a run is one step down the samples' index.
        sql += QStringLiteral(" AND (r.start_ms >= ? OR (SELECT s.at_ms FROM samples s WHERE s.run_id = r.id "
                              "ORDER BY s.id DESC LIMIT 1) >= ?)");
        values << filter.since.toMSecsSinceEpoch() << filter.since.toMSecsSinceEpoch();
    }
    if (filter.until.isValid()) {
        sql += QStringLiteral(" AND r.start_ms <= ?");
        values << filter.until.toMSecsSinceEpoch();
    }
    if (filter.runId > 0) {
        sql += QStringLiteral(" AND r.id = ?");
        values << filter.runId;
    }
    return sql;
}

}   // namespace

QString SqlArchiveStore::countRuns(const RunFilter &filter, qint64 &count)
{
    QVariantList values;
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM runs r LEFT JOIN testers t ON t.id = r.tester_id")
                        + runConditions(filter, values);
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.next())
        return fail(QStringLiteral("cannot be read"), query.lastError().text());
    count = query.value(0).toLongLong();
    return QString();
}

QString SqlArchiveStore::listRuns(const RunFilter &filter, std::vector<RunSummary> &runs)
{
    runs.clear();
    QVariantList values;
    QString sql =
        QStringLiteral("SELECT r.id, t.serial_number, r.host, r.start_ms, r.start_offset, r.end_ms, r.end_offset, "
                       "r.cycles, r.failures, r.samples, r.ended_how, %1 FROM runs r LEFT JOIN testers t ON t.id = "
                       "r.tester_id")
            .arg(describesRuns ? QStringLiteral("r.part, r.operator_name, r.notes") : QStringLiteral("'', '', ''"))
        + runConditions(filter, values);
    sql += QStringLiteral(" ORDER BY r.start_ms DESC, r.id DESC");
    if (filter.limit > 0)
        sql += QStringLiteral(" LIMIT %1 OFFSET %2").arg(filter.limit).arg(std::max<qint64>(filter.offset, 0));
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        return fail(QStringLiteral("cannot be read"), query.lastError().text());
    while (query.next()) {
        RunSummary run;
        run.id = query.value(0).toLongLong();
        run.serialNumber = query.value(1).toString();
        run.host = query.value(2).toString();
        run.start = timeOf(query.value(3), query.value(4));
        run.end = timeOf(query.value(5), query.value(6));
        run.cycles = query.value(7).toLongLong();
        run.failures = query.value(8).toLongLong();
        run.samples = query.value(9).toLongLong();
        run.endedHow = query.value(10).toString();
        run.part = query.value(11).toString();
        run.operatorName = query.value(12).toString();
        run.notes = query.value(13).toString();
        runs.push_back(run);
    }
    return QString();
}

QString SqlArchiveStore::lastRunId(qint64 &id)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT id FROM runs ORDER BY start_ms DESC, id DESC LIMIT 1")))
        return fail(QStringLiteral("cannot be read"), query.lastError().text());
    id = query.next() ? query.value(0).toLongLong() : 0;
    return QString();
}

QString SqlArchiveStore::runIdOf(const QString &runKey, qint64 &id)
{
    QSqlQuery query(db);
    query.prepare(joinsRuns ? QStringLiteral("SELECT id FROM runs WHERE run_key = ? UNION ALL "
                                             "SELECT run_id FROM run_keys WHERE run_key = ?")
                            : QStringLiteral("SELECT id FROM runs WHERE run_key = ?"));
    query.addBindValue(runKey);
    if (joinsRuns)
        query.addBindValue(runKey);
    if (!query.exec())
        return fail(QStringLiteral("cannot be read"), query.lastError().text());
    id = query.next() ? query.value(0).toLongLong() : 0;
    return QString();
}

QString SqlArchiveStore::watchResumed(qint64 id, std::vector<qint64> &atMs)
{
    atMs.clear();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT at_ms, kind FROM events WHERE run_id = ? AND kind IN (?, ?, ?) ORDER BY at_ms, id"));
    query.addBindValue(id);
    const QString found = runEventText(RunEvent::LinkFound), lost = runEventText(RunEvent::LinkLost);
    for (const QString &kind : {found, lost, runEventText(RunEvent::ProgramStarted)})
        query.addBindValue(kind);
    if (!query.exec())
        return fail(QStringLiteral("cannot be read"), query.lastError().text());
    // A program start resumes watching; a link found only after a loss, not
    // as the program that just started finds its tester, which may be told
    // after that program's first sample.
    bool lostBefore = false;
    while (query.next()) {
        const QString kind = query.value(1).toString();
        if (kind == lost) {
            lostBefore = true;
            continue;
        }
        if (kind == found && !lostBefore)
            continue;
        lostBefore = false;
        atMs.push_back(query.value(0).toLongLong());
    }
    return QString();
}

QString SqlArchiveStore::readEvents(qint64 id, std::vector<ArchivedEvent> &events)
{
    events.clear();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT at_ms, utc_offset, kind, detail FROM events WHERE run_id = ? ORDER BY at_ms, id"));
    query.addBindValue(id);
    if (!query.exec())
        return fail(QStringLiteral("cannot be read"), query.lastError().text());
    while (query.next())
        events.push_back(
            {timeOf(query.value(0), query.value(1)), query.value(2).toString(), query.value(3).toString()});
    return QString();
}

QString SqlArchiveStore::readRun(qint64 id, const std::function<void(const TesterState &)> &eachSample)
{
    return readSamples(id, 0, -1, [&eachSample](const TesterState &s, qint64) { eachSample(s); });
}

QString SqlArchiveStore::readRunPage(qint64 id, qint64 afterSample, int most,
                                     const std::function<void(const TesterState &, qint64)> &eachSample)
{
    return readSamples(id, afterSample, std::max(most, 1), eachSample);
}

// The run's samples after the sample `afterSample`, at most `most` of them
// (all when negative). A page begins with the configuration of its first
// sample, so that pages read one by one give what one reading gives.
QString SqlArchiveStore::readSamples(qint64 id, qint64 afterSample, int most,
                                     const std::function<void(const TesterState &, qint64)> &eachSample)
{
    struct Config
    {
        ArchiveNumbers numbers{};
        QString serial;
    };
    QHash<qint64, Config> configs;
    QSqlQuery configQuery(db);
    configQuery.setForwardOnly(true);
    configQuery.prepare(QStringLiteral("SELECT id, serial_number, %1 FROM configs WHERE run_id = ?")
                            .arg(columnList(ConfigColumns, ConfigColumnCount, QString())));
    configQuery.addBindValue(id);
    if (!configQuery.exec())
        return fail(QStringLiteral("cannot be read"), configQuery.lastError().text());
    while (configQuery.next()) {
        Config config;
        config.serial = configQuery.value(1).toString();
        for (std::size_t i = 0; i < ConfigColumnCount; ++i)
            config.numbers[i] = configQuery.value(int(i) + 2).toLongLong();
        configs.insert(configQuery.value(0).toLongLong(), config);
    }
    if (configs.isEmpty())
        return fail(QStringLiteral("holds no run %1").arg(id), QString());

    QSqlQuery samples(db);
    samples.setForwardOnly(true);
    const QString limit = most < 0 ? QString() : QStringLiteral(" LIMIT %1").arg(most);
    samples.prepare(
        QStringLiteral("SELECT config_id, at_ms, utc_offset, id, %1 FROM samples WHERE run_id = ? AND id > ? "
                       "ORDER BY id%2")
            .arg(columnList(SampleColumns, SampleColumnCount, QString()), limit));
    samples.addBindValue(id);
    samples.addBindValue(afterSample);
    if (!samples.exec())
        return fail(QStringLiteral("cannot be read"), samples.lastError().text());
    TesterState s;
    qint64 configShown = 0;
    ArchiveNumbers numbers{};
    while (samples.next()) {
        const qint64 config = samples.value(0).toLongLong();
        if (config != configShown) {
            const Config &c = configs[config];
            applyConfigNumbers(s, c.numbers, c.serial);
            configShown = config;
        }
        s.counters.updateTime = timeOf(samples.value(1), samples.value(2));
        for (std::size_t i = 0; i < SampleColumnCount; ++i)
            numbers[i] = samples.value(int(i) + 4).toLongLong();
        applySampleNumbers(s, numbers);
        eachSample(s, samples.value(3).toLongLong());
    }
    if (samples.lastError().isValid())
        return fail(QStringLiteral("cannot be read"), samples.lastError().text());
    return QString();
}

#pragma once

#include "engine/archive/ArchiveLocation.h"
#include "engine/archive/ArchiveRecord.h"
#include "engine/archive/RunCatalog.h"

#include <QHash>
#include <QLockFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>
#include <vector>

// One connection to the run archive, on the thread that made it: an SQLite
// file or a PostgreSQL database, created or brought up to the current
// schema when it is opened. The writer thread writes through one; the runs
// list and the command line read through another.
class SqlArchiveStore : public RunCatalog
{
public:
    // Version 1: testers, runs, configurations, samples and events.
    // Version 2: each run keeps its cycle and failure counts and its number
    // of samples, so that the runs are listed without reading the samples.
    // Version 3: a run spans one climb of the cycle counter; a program that
    // goes on with a tester's open run writes under a key of its own, kept
    // in run_keys. Runs written before are joined when the archive is
    // brought up to it.
    // Version 4: each run keeps what was tested: part, operator and notes.
    static constexpr int SchemaVersion = 4;

    explicit SqlArchiveStore(const ArchiveLocation &location);
    ~SqlArchiveStore() override;

    // Opens the archive; empty when open, else the message naming what failed
    // and where. Writing locks an SQLite file against a second program;
    // reading does not create a file. `upToVersion` lets tests make an
    // archive of an older schema.
    QString open(bool forWriting, int upToVersion = SchemaVersion);
    void close();
    bool isOpen() const { return db.isValid() && db.isOpen(); }
    const ArchiveLocation &location() const { return where; }
    QSqlDatabase &database() { return db; }
    int schemaVersion();

    // Writes the records in one transaction: all of them, or none. A record
    // the database refuses for its content is dropped and the rest written.
    QString write(const std::vector<ArchiveRecord> &records);

    QString listRuns(const RunFilter &filter, std::vector<RunSummary> &runs) override;
    QString countRuns(const RunFilter &filter, qint64 &count) override;
    QString lastRunId(qint64 &id) override;
    QString runIdOf(const QString &runKey, qint64 &id) override;
    QString readRun(qint64 id, const std::function<void(const TesterState &)> &eachSample) override;
    QString readRunPage(qint64 id, qint64 afterSample, int most,
                        const std::function<void(const TesterState &, qint64)> &eachSample) override;
    QString watchResumed(qint64 id, std::vector<qint64> &atMs) override;
    QString describeRun(qint64 id, const RunDescription &description) override;
    QString readEvents(qint64 id, std::vector<ArchivedEvent> &events) override;

private:
    struct RunTotals
    {
        qint64 cycles = 0, failures = 0, samples = 0;
    };

    QString fail(const QString &what, const QString &detail);
    QString readSamples(qint64 id, qint64 afterSample, int most,
                        const std::function<void(const TesterState &, qint64)> &eachSample);
    QString writeTogether(const std::vector<ArchiveRecord> &records);
    QString openConnection(bool forWriting);
    QString bringSchemaUp(int upToVersion);
    QString beginRun(const ArchiveRecord &record, QHash<qint64, RunTotals> &totals);
    // False on failure, the database's reason then in transactionError.
    bool begin();
    bool commit();
    void rollback();
    QString apply(const ArchiveRecord &record, QHash<qint64, RunTotals> &totals);
    QString insertRun(const ArchiveRecord &record);
    QString insertSample(qint64 run, const ArchiveRecord &record, QHash<qint64, RunTotals> &totals);
    QString insertEvent(qint64 run, const ArchiveRecord &record);
    QString endRun(qint64 run, const ArchiveRecord &record);
    // False on failure, the reason then in the query.
    bool updateDescription(QSqlQuery &query, qint64 run, const RunDescription &description);
    QString writeFailed(const QSqlQuery &query);
    qint64 runId(const QString &key);
    qint64 configId(qint64 run);
    qint64 insertConfig(qint64 run, const ArchiveRecord &record);
    qint64 testerId(const QString &serial, qint64 softwareVersion);
    QString writeTotals(const QHash<qint64, RunTotals> &totals);
    void forgetIds();

    ArchiveLocation where;
    QString connectionName;
    QSqlDatabase db;
    std::unique_ptr<QLockFile> lock;
    std::unique_ptr<QSqlQuery> sampleInsert;   // prepared once per connection
    QHash<QString, qint64> runIds;
    QHash<qint64, qint64> configIds;
    QString lastError;
    QSqlError transactionError;   // why the last begin() or commit() failed
    bool refused = false;         // the last write failed on a record the database refuses
    bool joinsRuns = false;       // version 3: a program goes on with the tester's open run
    bool describesRuns = false;   // version 4: runs keep what was tested
};

#pragma once

#include "engine/archive/ArchiveLocation.h"
#include "engine/archive/ArchiveSink.h"
#include "engine/archive/RunCatalog.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ArchiveSpool;
class SqlArchiveStore;

// The archive's writer: the user-interface thread only queues a record; a
// thread of its own, with its own connection, commits what came at least
// every quarter second. An archive that cannot be written is tried again
// every few seconds while its records wait, in order, in the local spool
// (or in memory when the spool cannot be written either); one message says
// what failed, another when it is written again.
class ArchiveWriter : public QObject, public ArchiveSink
{
    Q_OBJECT

public:
    ArchiveWriter(const ArchiveLocation &location, const QString &spoolPath, int retryMs = 3000);
    ~ArchiveWriter() override;

    const ArchiveLocation &location() const { return where; }
    void start();
    // Writes what is held one last time; what cannot be written stays in
    // the spool for the next start.
    void stop();

    void post(ArchiveRecord &&record) override;
    // Waits until what was posted so far is written (true), or the archive
    // cannot take it or the time is up (false).
    bool flush(int timeoutMs);

    // Records written to the archive so far (tests and the benchmark wait on it).
    qint64 recordsWritten() const { return written.load(); }

Q_SIGNALS:
    void problem(const QString &text);
    void writtenAgain();

private:
    void run();
    void writeRound(bool last);
    bool drainSpool();
    void holdBack();
    void failed(const QString &text);

    ArchiveLocation where;
    QString spoolPath;
    int retryMs;
    std::mutex queueLock;
    std::condition_variable wake;
    std::vector<ArchiveRecord> queue;
    bool stopping = false;
    std::condition_variable roundDone;
    qint64 postedCount = 0;
    qint64 settledCount = 0;   // posted records written by the end of the last round
    bool flushWanted = false;
    std::thread worker;
    std::atomic<qint64> written{0};

    // The writer thread's own.
    SqlArchiveStore *store = nullptr;
    ArchiveSpool *spool = nullptr;
    std::vector<ArchiveRecord> held;
    qint64 lastTryMs = -1;
    bool failing = false;
};

// A reading connection to the writer's archive, after what was posted so
// far is written (waiting at most waitMs); null with the failure when the
// archive cannot be read.
std::unique_ptr<RunCatalog> readArchiveOf(ArchiveWriter &writer, int waitMs, QString &failure);

// The spool file of an archive: in `folder`, named after the archive.
QString spoolPathFor(const ArchiveLocation &location, const QString &folder);

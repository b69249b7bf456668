#include "platform/archive/ArchiveWriter.h"

#include "platform/archive/ArchiveSpool.h"
#include "platform/archive/SqlArchiveStore.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>

namespace {

// How often the writer commits what came; a killed program loses at most this.
constexpr int CommitPeriodMs = 250;
// Records moved from the spool to the archive in one transaction.
constexpr int SpoolChunk = 5000;

#if defined(Q_OS_WIN) && defined(Q_CC_MINGW)
// Qt keeps the regular expressions' JIT stack in a thread_local that
// MinGW's runtime frees before it destroys it: a thread other than the main
// one that matched an expression (the writer's does, inside Qt, when a path
// runs through a linked folder) crashed the program as it ended. Matching
// without the JIT touches no such stack; the program's expressions are few
// and small. Qt reads the switch at the first match, which comes while the
// application object is built (loading the plugins), so it is set before
// main(). A value given wins.
[[maybe_unused]] const bool jitSwitchedOff = [] {
    if (!qEnvironmentVariableIsSet("QT_ENABLE_REGEXP_JIT"))
        qputenv("QT_ENABLE_REGEXP_JIT", "0");
    return true;
}();
#endif

}   // namespace

std::unique_ptr<RunCatalog> readArchiveOf(ArchiveWriter &writer, int waitMs, QString &failure)
{
    writer.flush(waitMs);
    // Reading takes no lock: the writer keeps the file.
    auto store = std::make_unique<SqlArchiveStore>(writer.location());
    failure = store->open(false);
    if (!failure.isEmpty())
        return nullptr;
    return store;
}

QString spoolPathFor(const ArchiveLocation &location, const QString &folder)
{
    const QByteArray name =
        QCryptographicHash::hash(location.shown().toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QDir(folder).filePath(QStringLiteral("archive-spool-%1.sqlite").arg(QString::fromLatin1(name)));
}

ArchiveWriter::ArchiveWriter(const ArchiveLocation &location, const QString &spoolPath, int retryMs)
    : where(location), spoolPath(spoolPath), retryMs(retryMs)
{
}

ArchiveWriter::~ArchiveWriter()
{
    stop();
}

void ArchiveWriter::start()
{
    if (!worker.joinable())
        worker = std::thread([this] { run(); });
}

void ArchiveWriter::stop()
{
    {
        std::lock_guard<std::mutex> guard(queueLock);
        stopping = true;
    }
    wake.notify_one();
    if (worker.joinable())
        worker.join();
}

void ArchiveWriter::post(ArchiveRecord &&record)
{
    bool first = false;
    {
        std::lock_guard<std::mutex> guard(queueLock);
        first = queue.empty();
        queue.push_back(std::move(record));
        ++postedCount;
    }
    if (first)
        wake.notify_one();   // an idle writer sleeps until a record comes
}

bool ArchiveWriter::flush(int timeoutMs)
{
    std::unique_lock<std::mutex> guard(queueLock);
    const qint64 wanted = postedCount;
    flushWanted = true;
    wake.notify_one();
    return roundDone.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return settledCount >= wanted; });
}

void ArchiveWriter::run()
{
    SqlArchiveStore ownStore(where);
    ArchiveSpool ownSpool(spoolPath);
    store = &ownStore;
    spool = &ownSpool;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        bool last = false;
        qint64 taken = 0;
        {
            std::unique_lock<std::mutex> guard(queueLock);
            // With everything written and nothing to try again, the writer
            // sleeps until a record comes instead of waking four times a
            // second; then it gathers for one commit period as usual.
            if (held.empty() && !failing && store->isOpen() && spool->isEmpty())
                wake.wait(guard, [this] { return stopping || flushWanted || !queue.empty(); });
            wake.wait_for(guard, std::chrono::milliseconds(CommitPeriodMs), [this] { return stopping || flushWanted; });
            last = stopping;
            flushWanted = false;
            taken = postedCount;
            for (ArchiveRecord &record : queue)
                held.push_back(std::move(record));
            queue.clear();
        }
        const qint64 now = clock.elapsed();
        if (last || !store->isOpen()) {
            // A closed archive is tried again only every few seconds.
            if (last || lastTryMs < 0 || now - lastTryMs >= retryMs) {
                lastTryMs = now;
                writeRound(last);
            } else {
                holdBack();
            }
        } else {
            writeRound(last);
        }
        if (held.empty() && !failing) {
            std::lock_guard<std::mutex> guard(queueLock);
            settledCount = taken;
        }
        roundDone.notify_all();
        if (last)
            break;
    }
    store = nullptr;
    spool = nullptr;
}

void ArchiveWriter::writeRound(bool last)
{
    if (!store->isOpen()) {
        if (const QString failure = store->open(true); !failure.isEmpty()) {
            failed(failure);
            holdBack();
            return;
        }
    }
    if (!drainSpool()) {
        holdBack();
        return;
    }
    if (!held.empty()) {
        if (const QString failure = store->write(held); !failure.isEmpty()) {
            store->close();
            failed(failure);
            holdBack();
            return;
        }
        written += qint64(held.size());
        held.clear();
    }
    if (failing) {
        failing = false;
        Q_EMIT writtenAgain();
    }
    if (last)
        store->close();
}

// Records spooled earlier go first, so the archive gets them in order.
bool ArchiveWriter::drainSpool()
{
    while (!spool->isEmpty()) {
        qint64 lastId = 0;
        const std::vector<ArchiveRecord> chunk = spool->front(SpoolChunk, lastId);
        if (lastId == 0)
            return true;   // an unreadable spool must not stop the archive
        if (const QString failure = store->write(chunk); !failure.isEmpty()) {
            store->close();
            failed(failure);
            return false;
        }
        written += qint64(chunk.size());
        spool->removeUpTo(lastId);
    }
    return true;
}

void ArchiveWriter::holdBack()
{
    if (!held.empty() && spool->append(held))
        held.clear();
}

void ArchiveWriter::failed(const QString &text)
{
    if (failing)
        return;
    failing = true;
    Q_EMIT problem(text);
}

#include "bench/ArchiveBench.h"

#include "bench/BenchFigures.h"
#include "engine/archive/RunCatalog.h"
#include "engine/archive/RunRecorder.h"
#include "engine/state/TesterState.h"
#include "engine/web/RunStream.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SqlArchiveStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

// The records of runs of `samples` samples each, made by the real rules.
class RunMaker : public ArchiveSink
{
public:
    void post(ArchiveRecord &&record) override { records.push_back(std::move(record)); }

    void makeRun(int samples, const QDateTime &start)
    {
        TesterState s;
        s.vSerialNumber = QStringLiteral("41800123");
        s.vSoftwareVersion = 12;
        s.vRPullUp = 1000;
        s.vCycleLimit = 10000000;
        RunRecorder recorder(s, *this, QStringLiteral("station"), QStringLiteral("bench"));
        recorder.runStarted(start);
        for (int i = 1; i <= samples; ++i) {
            s.Running = true;
            s.vUpdateTime = start.addSecs(i);
            s.CycleCount = i;
            s.FailCount = i / 5000;
            s.vLastMeasuredDownResist = 3 + i % 7;
            s.vLastMeasuredUpResist = 1023;
            s.vLastDownStrokeTime = 45 + i % 3;
            s.vLastUpStrokeTime = 51;
            s.vLastDownBounceTime = 300 + i % 40;
            s.vLastUpBounceTime = 120 + i % 30;
            s.vMaxDownBounce = 1234;
            recorder.sampleTaken();
        }
    }

    // Writes what was made in transactions of 10,000 records.
    bool writeTo(SqlArchiveStore &store)
    {
        for (size_t from = 0; from < records.size(); from += 10000) {
            const std::vector<ArchiveRecord> batch(records.begin() + qint64(from),
                                                   records.begin() + qint64(std::min(records.size(), from + 10000)));
            if (!store.write(batch).isEmpty())
                return false;
        }
        records.clear();
        return true;
    }

    std::vector<ArchiveRecord> records;
};

const QDateTime Start(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC);

// The user-interface thread's part: the rules and the queue, while the
// writer thread commits to an SQLite file.
double appendNanoseconds(const BenchScale &scale, const QString &folder)
{
    ArchiveLocation location;
    location.path = folder + QStringLiteral("/append.sqlite");
    ArchiveWriter writer(location, folder + QStringLiteral("/spool.sqlite"));
    writer.start();
    TesterState s;
    s.vSerialNumber = QStringLiteral("41800123");
    RunRecorder recorder(s, writer, QStringLiteral("station"), QStringLiteral("bench"));
    recorder.runStarted(Start);
    const int samples = scale.count(100000, 1000);
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i <= samples; ++i) {
        s.Running = true;
        s.vUpdateTime = Start.addMSecs(i);
        s.CycleCount = i;
        recorder.sampleTaken();
    }
    const double ns = double(timer.nsecsElapsed()) / samples;
    writer.stop();
    return ns;
}

}   // namespace

// Resident memory now, in kB (0 where /proc is missing).
long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The web view's /api/runs/ID/samples of the million-sample run: the time to
// give it all, and how far resident memory rose meanwhile (the pages are
// given and dropped, as a server passes them to the socket).
void printStreamFigures(const ArchiveLocation &archive, BenchFigures &figures)
{
    auto store = std::make_unique<SqlArchiveStore>(archive);
    store->open(false);
    qint64 id = 0;
    store->lastRunId(id);
    const long before = residentKilobytes();
    long highest = before;
    qint64 bytes = 0;
    QElapsedTimer timer;
    timer.start();
    RunStream stream(std::move(store), id, RunStream::Form::Json);
    stream.start();
    for (QByteArray piece = stream.next(); !piece.isEmpty(); piece = stream.next()) {
        bytes += piece.size();
        highest = std::max(highest, residentKilobytes());
    }
    const QByteArray megabytes = " (" + QByteArray::number(bytes >> 20) + " MB of JSON)";
    figures.add("web_samples_1m_ms", double(timer.elapsed()), 0, bytes > 0, megabytes);
    figures.add("web_samples_1m_rss_growth_kb", double(highest - before), 0, bytes > 0);
}

void printArchiveFigures(const BenchScale &scale, BenchFigures &figures)
{
    QTemporaryDir dir;
    figures.add("archive_append_ns", appendNanoseconds(scale, dir.path()), 0);
    const int samples = scale.count(1000000, 2000);

    ArchiveLocation big;
    big.path = dir.filePath(QStringLiteral("million.sqlite"));
    {
        SqlArchiveStore store(big);
        RunMaker maker;
        maker.makeRun(samples, Start);
        if (!store.open(true).isEmpty() || !maker.writeTo(store)) {
            std::fprintf(stderr, "lifecycle-bench: the archive could not be written\n");
            return;
        }
    }   // closed: the write-ahead log is folded into the file
    figures.add("archive_bytes_per_sample", double(QFileInfo(big.path).size()) / samples, 1);
    {
        SqlArchiveStore store(big);
        store.open(false);
        qint64 id = 0;
        store.lastRunId(id);
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        const QString failure = exportRunToFile(store, id, dir.filePath(QStringLiteral("million.txt")));
        // The CPU time too: on a shared machine the wall time waits for others.
        figures.add("archive_export_1m_samples_ms", double(timer.elapsed()), 0, failure.isEmpty(),
                    failure.isEmpty() ? QByteArray() : QByteArray(" (failed)"));
        figures.add("archive_export_1m_samples_cpu_ms", double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC, 0,
                    failure.isEmpty());
    }

    printStreamFigures(big, figures);

    ArchiveLocation many;
    many.path = dir.filePath(QStringLiteral("runs.sqlite"));
    SqlArchiveStore store(many);
    store.open(true);
    RunMaker maker;
    const int runCount = scale.count(10000, 20);
    for (int run = 0; run < runCount; ++run)
        maker.makeRun(3, Start.addSecs(run * 60));
    maker.writeTo(store);
    std::vector<RunSummary> runs;
    QElapsedTimer timer;
    timer.start();
    store.listRuns(RunFilter(), runs);
    const QByteArray listed = " (" + QByteArray::number(qulonglong(runs.size())) + " runs)";
    figures.add("archive_list_10000_runs_ms", double(timer.elapsed()), 0, runs.size() == size_t(runCount), listed);
}

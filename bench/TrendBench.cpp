#include "bench/TrendBench.h"

#include "bench/BenchFigures.h"
#include "bench/QuietDialogs.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLines.h"
#include "engine/trend/TrendLogReader.h"
#include "engine/trend/TrendReduction.h"
#include "features/trend/TrendWindow.h"
#include "ui/TrendFileDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

class NoTrendFiles : public TrendFileDialog
{
public:
    QString logToPlot(QWidget *) override { return QString(); }
    QString imageToSave(QWidget *) override { return QString(); }
    QString rangeToExport(QWidget *) override { return QString(); }
};

// A week-long run: readings that wander, the odd open contact and failure.
TesterState runSample(int i)
{
    TesterState s;
    s.counters.updateTime = QDateTime(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC).addSecs(i);
    s.counters.cycleCount = i;
    s.counters.failCount = i / 5000;
    s.reported.rangePullUp = 1000;
    s.reported.rangeMode = 0;
    s.identity.softwareVersion = 12;
    s.reported.contact = 1 + 16 + 32 + 64 + 128;
    s.counters.lastDownResistance = 3 + (i * 7919) % 13;
    s.counters.lastUpResistance = (i % 997 == 0) ? 990 : 1023;
    s.counters.lastDownBounceTime = 300 + (i * 104729) % 1200;
    s.counters.lastUpBounceTime = 300 + (i * 7907) % 1200;
    s.counters.lastDownStrokeTime = 35 + (i * 31) % 16;
    s.counters.lastUpStrokeTime = 40 + (i * 17) % 16;
    s.reported.maxDownResistTol = 20;
    s.reported.minUpResistTol = 1000;
    s.reported.maxUpResistTol = 1023;
    s.reported.maxDownBounceTol = 3000;
    s.reported.maxUpBounceTol = 3000;
    s.reported.minDownTime = 10;
    s.reported.maxDownTime = 100;
    s.reported.minUpTime = 10;
    s.reported.maxUpTime = 100;
    s.identity.serialNumber = QStringLiteral("41800123");
    return s;
}

// The best of several runs: the one least disturbed by other programs on a
// shared machine.
template <typename Operation>
double bestOf(int runs, Operation operation)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(operation());
    return *std::min_element(times.begin(), times.end());
}

// Processor time of this thread, which other programs do not lengthen.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Resident memory of this process, from /proc; -1 where there is none.
qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Ranges a user zooms into: wide to a handful of cycles, at the start, in
// the middle and at the end of the run of `samples`.
std::vector<TrendRange> zoomRanges(int samples)
{
    std::vector<TrendRange> ranges;
    for (const double share : {2.0, 20.0, 200.0, 2000.0, 20000.0, 200000.0}) {
        const double span = samples / share;
        for (const double from : {0.0, samples * 499.0 / 1000.0, samples - 1 - span})
            ranges.push_back({from, from + span});
    }
    return ranges;
}

// A redraw's elapsed and processor time, each the best of several runs.
struct RedrawFigures
{
    double wallMs = 0, cpuMs = 0;
};

template <typename Redraw>
RedrawFigures timedRedraw(int runs, Redraw redraw)
{
    RedrawFigures best;
    best.wallMs = bestOf(runs, [&] {
        QElapsedTimer timer;
        timer.start();
        const double cpu = threadCpuMs();
        redraw();
        const double cpuMs = threadCpuMs() - cpu;
        best.cpuMs = best.cpuMs == 0 ? cpuMs : std::min(best.cpuMs, cpuMs);
        return timer.nsecsElapsed() / 1e6;
    });
    return best;
}

// The slowest range to zoom into: the charts at 1200 x 800 reduced again
// for the range and drawn.
RedrawFigures slowestZoomRedraw(const BenchScale &scale, int samples, TrendWindow &window)
{
    RedrawFigures slowest;
    for (const TrendRange &range : zoomRanges(samples)) {
        const RedrawFigures zoomed = timedRedraw(scale.count(3, 1), [&] {
            window.zoomTo(range);
            window.chartsArea()->grab();
        });
        slowest.wallMs = std::max(slowest.wallMs, zoomed.wallMs);
        slowest.cpuMs = std::max(slowest.cpuMs, zoomed.cpuMs);
    }
    return slowest;
}

// Memory after zooming back and forth many times, against before.
qint64 zoomMemoryGrowthKb(const BenchScale &scale, int samples, TrendWindow &window)
{
    const std::vector<TrendRange> ranges = zoomRanges(samples);
    for (const TrendRange &range : ranges) {
        window.zoomTo(range);
        window.chartsArea()->grab();
    }
    const qint64 before = residentKb();
    for (int round = 0; round < scale.count(10, 1); ++round) {
        for (const TrendRange &range : ranges) {
            window.zoomTo(range);
            window.chartsArea()->grab();
        }
    }
    return before < 0 ? -1 : residentKb() - before;
}

// The readout's nearest-sample search at places spread over the run, on
// both axes; the slower axis counts.
double readoutNs(const BenchScale &scale, const TrendHistory &history)
{
    const int searches = scale.count(20000, 200);
    double slowest = 0;
    for (const TrendAxis axis : {TrendAxis::Cycles, TrendAxis::Time}) {
        TrendRange whole;
        history.extent(axis, whole.from, whole.to);
        size_t found = 0;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < searches; ++i)
            found += history.nearest(axis, whole.from + whole.span() * ((i * 7919) % searches) / searches);
        const double ns = double(timer.nsecsElapsed()) / searches;
        slowest = std::max(slowest, found > 0 ? ns : -1.0);
    }
    return slowest;
}

void fill(TrendHistory &history, int samples)
{
    TrendReading reading = trendReadingFromState(runSample(0));
    for (int i = 0; i < samples; ++i) {
        reading.cycleCount = i;
        reading.failCount = i / 5000;
        reading.contact[TrendDown] = 3.0f + float(i % 13);
        history.append(reading);
    }
}

// Reading a data log of `samples` lines, in seconds; -1 when it could not
// be written or read whole.
double plotLogSeconds(const BenchScale &scale, int samples)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("million.txt"));
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly))
        return -1;
    file.write(QByteArray(DataLogHeader) + "\r\n");
    for (int i = 0; i < samples; ++i)
        file.write(sampleLogLine(runSample(i)).toLatin1() + "\r\n");
    file.close();
    return bestOf(scale.count(3, 1), [&] {
        TrendHistory read;
        QElapsedTimer timer;
        timer.start();
        const TrendLogResult result = readTrendLog(path, read);
        const double seconds = timer.nsecsElapsed() / 1e9;
        return result.samples == samples ? seconds : -1.0;
    });
}

// Exporting the whole run from the live run's kept lines, in milliseconds;
// -1 when the file could not be written.
double exportRangeMs(const BenchScale &scale, const TrendHistory &history, TrendLineStore &lines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("range.txt"));
    return bestOf(scale.count(3, 1), [&] {
        QElapsedTimer timer;
        timer.start();
        const TrendRange whole{0, double(history.size())};
        const bool written = exportTrendRange(history, TrendAxis::Cycles, whole, lines, path).isEmpty();
        return written ? timer.nsecsElapsed() / 1e6 : -1.0;
    });
}

}   // namespace

void printTrendFigures(const BenchScale &scale, BenchFigures &figures)
{
    const int samples = scale.count(1000000, 2000);
    const double appendNs = bestOf(scale.count(7, 1), [samples] {
        TrendHistory history;
        QElapsedTimer timer;
        timer.start();
        fill(history, samples);
        return double(timer.nsecsElapsed()) / samples;
    });

    TrendHistory history;
    TrendLineStore lines;
    for (int i = 0; i < samples; ++i) {
        const TesterState s = runSample(i);
        history.append(trendReadingFromState(s));
        lines.append(s);
    }
    const double bytesPerSample = double(history.bytesUsed()) / double(history.size());
    const double lineBytesPerSample = double(lines.bytesUsed()) / double(lines.size());
    const double exportMs = exportRangeMs(scale, history, lines);

    QuietDialogs dialogs;
    NoTrendFiles files;
    TrendWindow window(dialogs, files);
    window.resize(1200, 800);
    window.show();
    window.showLive(history);
    QApplication::processEvents();
    window.redraw();
    const RedrawFigures whole = timedRedraw(scale.count(7, 1), [&] {
        window.redraw();
        window.chartsArea()->grab();
    });
    const RedrawFigures zoom = slowestZoomRedraw(scale, samples, window);
    const qint64 zoomGrowthKb = zoomMemoryGrowthKb(scale, samples, window);
    const double readout = readoutNs(scale, history);
    const double plotLog = plotLogSeconds(scale, samples);

    figures.add("trend_append_ns", appendNs, 1);
    figures.add("trend_bytes_per_sample", bytesPerSample, 1);
    figures.add("trend_lines_bytes_per_sample", lineBytesPerSample, 1);
    figures.add("trend_export_range_ms_1m", exportMs, 0, exportMs >= 0);
    figures.add("trend_redraw_ms_1m", whole.wallMs, 1);
    figures.add("trend_redraw_cpu_ms_1m", whole.cpuMs, 1);
    figures.add("trend_zoom_redraw_ms_1m", zoom.wallMs, 1);
    figures.add("trend_zoom_redraw_cpu_ms_1m", zoom.cpuMs, 1);
    figures.add("trend_zoom_memory_growth_kb", double(zoomGrowthKb), 0, residentKb() >= 0);
    figures.add("trend_readout_ns", readout, 0, readout >= 0);
    figures.add("plot_log_s_1m", plotLog, 2, plotLog >= 0);
}

#include "bench/TrendBench.h"

#include "bench/QuietDialogs.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLogReader.h"
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

constexpr int Million = 1000000;

class NoTrendFiles : public TrendFileDialog
{
public:
    QString logToPlot(QWidget *) override { return QString(); }
    QString imageToSave(QWidget *) override { return QString(); }
};

// A week-long run: readings that wander, the odd open contact and failure.
TesterState runSample(int i)
{
    TesterState s;
    s.vUpdateTime = QDateTime(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC).addSecs(i);
    s.CycleCount = i;
    s.FailCount = i / 5000;
    s.vRPullUp = 1000;
    s.vRMode = 0;
    s.vSoftwareVersion = 12;
    s.vContact = 1 + 16 + 32 + 64 + 128;
    s.vLastMeasuredDownResist = 3 + (i * 7919) % 13;
    s.vLastMeasuredUpResist = (i % 997 == 0) ? 990 : 1023;
    s.vLastDownBounceTime = 300 + (i * 104729) % 1200;
    s.vLastUpBounceTime = 300 + (i * 7907) % 1200;
    s.vLastDownStrokeTime = 35 + (i * 31) % 16;
    s.vLastUpStrokeTime = 40 + (i * 17) % 16;
    s.vMaxDownResistTol = 20;
    s.vMinUpResistTol = 1000;
    s.vMaxUpResistTol = 1023;
    s.vMaxDownBounceTol = 3000;
    s.vMaxUpBounceTol = 3000;
    s.vMinDownTime = 10;
    s.vMaxDownTime = 100;
    s.vMinUpTime = 10;
    s.vMaxUpTime = 100;
    s.vSerialNumber = QStringLiteral("41800123");
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

void fill(TrendHistory &history, int samples)
{
    TrendReading reading = TrendReadingFromState(runSample(0));
    for (int i = 0; i < samples; ++i) {
        reading.cycleCount = i;
        reading.failCount = i / 5000;
        reading.contact[TrendDown] = 3.0f + float(i % 13);
        history.append(reading);
    }
}

} // namespace

void PrintTrendFigures()
{
    const double appendNs = bestOf(7, [] {
        TrendHistory history;
        QElapsedTimer timer;
        timer.start();
        fill(history, Million);
        return double(timer.nsecsElapsed()) / Million;
    });

    TrendHistory history;
    for (int i = 0; i < Million; ++i)
        history.append(TrendReadingFromState(runSample(i)));
    const double bytesPerSample = double(history.bytesUsed()) / double(history.size());

    QuietDialogs dialogs;
    NoTrendFiles files;
    TrendWindow window(dialogs, files);
    window.resize(1200, 800);
    window.show();
    window.showLive(history);
    QApplication::processEvents();
    window.redraw();
    double redrawCpuMs = 0;
    const double redrawMs = bestOf(7, [&] {
        QElapsedTimer timer;
        timer.start();
        const double cpu = threadCpuMs();
        window.redraw();
        window.chartsArea()->grab();
        const double cpuMs = threadCpuMs() - cpu;
        redrawCpuMs = redrawCpuMs == 0 ? cpuMs : std::min(redrawCpuMs, cpuMs);
        return timer.nsecsElapsed() / 1e6;
    });

    double plotSeconds = -1;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("million.txt"));
    QFile file(path);
    if (dir.isValid() && file.open(QIODevice::WriteOnly)) {
        file.write(QByteArray(DataLogHeader) + "\r\n");
        for (int i = 0; i < Million; ++i)
            file.write(SampleLine(runSample(i)).toLatin1() + "\r\n");
        file.close();
        plotSeconds = bestOf(3, [&] {
            TrendHistory read;
            QElapsedTimer timer;
            timer.start();
            const TrendLogResult result = ReadTrendLog(path, read);
            const double seconds = timer.nsecsElapsed() / 1e9;
            return result.samples == Million ? seconds : -1.0;
        });
    }

    std::printf("trend_append_ns: %.1f\n", appendNs);
    std::printf("trend_bytes_per_sample: %.1f\n", bytesPerSample);
    std::printf("trend_redraw_ms_1m: %.1f\n", redrawMs);
    std::printf("trend_redraw_cpu_ms_1m: %.1f\n", redrawCpuMs);
    std::printf("plot_log_s_1m: %.2f\n", plotSeconds);
}

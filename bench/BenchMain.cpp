// lifecycle-bench: what one poll tick, one decoded sample and one logged
// line cost, in nanoseconds, each the median of several runs.
#include "bench/ArchiveBench.h"
#include "bench/BenchPort.h"
#include "bench/LogLineBench.h"
#include "bench/TrendBench.h"
#include "bench/WebBench.h"

#include "engine/datalog/DataLog.h"
#include "engine/state/SilentView.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Median over runs of the time per operation.
qint64 nanosecondsPer(int operations, const std::function<void()> &operation)
{
    std::vector<qint64> runs;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < operations; ++i)
            operation();
        runs.push_back(timer.nsecsElapsed() / operations);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    // The trend figures draw charts; no display is needed for that.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TesterState s;
    BenchPort port;
    SilentView view;
    TesterEngine engine(s, port, view);
    linkUp(s);

    // An idle, linked tick with nothing on the line: the common case.
    const qint64 idle = nanosecondsPer(200000, [&] { engine.Tick(); });

    // The two ticks of one sample: the reply line arrives, then it is
    // decoded into the state and shown.
    const qint64 decode = nanosecondsPer(20000, [&] {
        s.ComSeq = 10;
        s.comDelayed = 174;
        s.ComCnt = 0;
        s.ReplyCnt = 0;
        port.pending = BenchRecord;
        engine.Tick();
        engine.Tick();
    });

    if (s.CycleCount != 1234567 || s.vLastUpBounceTime != 123) {
        std::fprintf(stderr, "lifecycle-bench: the sample was not decoded\n");
        return 1;
    }

    // Every text one sample needs for the data log line.
    const qint64 format = nanosecondsPer(20000, [&] { SampleLine(s); });

    std::printf("idle_tick_ns: %lld\n", static_cast<long long>(idle));
    std::printf("decode_tick_ns: %lld\n", static_cast<long long>(decode));
    std::printf("format_sample_ns: %lld\n", static_cast<long long>(format));
    std::printf("log_line_ns: %lld\n", static_cast<long long>(LogLineNanoseconds()));
    std::printf("sample_to_log_line_ns: %lld\n", static_cast<long long>(PlusToLogLineNanoseconds(false)));
    std::printf("sample_to_log_line_archived_ns: %lld\n", static_cast<long long>(PlusToLogLineNanoseconds(true)));
    PrintTrendFigures();
    PrintArchiveFigures();
    PrintWebFigures();
    return 0;
}

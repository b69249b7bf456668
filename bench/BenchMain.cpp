// lifecycle-bench: what one poll tick, one decoded sample and one logged
// line cost, in nanoseconds, each the median of several runs; then the
// trend, archive and web figures. With --quick every figure is taken with
// small counts, and the run fails when one could not be taken.
#include "bench/ArchiveBench.h"
#include "bench/BenchFigures.h"
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

// Every figure a run prints, in order.
const std::vector<const char *> ExpectedFigures = {
    "idle_tick_ns",
    "decode_tick_ns",
    "format_sample_ns",
    "log_line_ns",
    "sample_to_log_line_ns",
    "sample_to_log_line_archived_ns",
    "trend_append_ns",
    "trend_bytes_per_sample",
    "trend_lines_bytes_per_sample",
    "trend_export_range_ms_1m",
    "trend_redraw_ms_1m",
    "trend_redraw_cpu_ms_1m",
    "trend_zoom_redraw_ms_1m",
    "trend_zoom_redraw_cpu_ms_1m",
    "trend_zoom_memory_growth_kb",
    "trend_readout_ns",
    "plot_log_s_1m",
    "archive_append_ns",
    "archive_bytes_per_sample",
    "archive_export_1m_samples_ms",
    "archive_export_1m_samples_cpu_ms",
    "web_samples_1m_ms",
    "web_samples_1m_rss_growth_kb",
    "test_report_ms_1m",
    "test_report_cpu_ms_1m",
    "archive_list_10000_runs_ms",
    "archive_upgrade_ms_1m",
    "run_list_ms_10k_filtered",
    "run_list_ms_10k_one_tester",
    "web_testers_ms_16",
#ifdef Q_OS_LINUX
    "web_body_get_no_token_rss_growth_mb",
    "web_body_post_rss_growth_mb",
    "web_answer_ms_1100_idle",
#endif
};

// Median over runs of the time per operation.
qint64 nanosecondsPer(const BenchScale &scale, int operations, const std::function<void()> &operation)
{
    std::vector<qint64> runs;
    for (int run = 0; run < scale.count(7, 1); ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < operations; ++i)
            operation();
        runs.push_back(timer.nsecsElapsed() / operations);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

}   // namespace

int main(int argc, char **argv)
{
    // The trend figures draw charts; no display is needed for that.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchScale scale;
    scale.quick = QCoreApplication::arguments().contains(QStringLiteral("--quick"));
    BenchFigures figures;

    TesterState s;
    BenchPort port;
    SilentView view;
    TesterEngine engine(s, port, view);
    linkUp(s);

    // An idle, linked tick with nothing on the line: the common case.
    const qint64 idle = nanosecondsPer(scale, scale.count(200000, 200), [&] { engine.pollTick(); });

    // The two ticks of one sample: the reply line arrives, then it is
    // decoded into the state and shown.
    const qint64 decode = nanosecondsPer(scale, scale.count(20000, 20), [&] {
        s.link.step = LinkStep::AwaitingReply;
        s.link.inFlight = Command::SampleData;
        s.link.quietTicks = 0;
        s.link.replyTicks = 0;
        port.pending = BenchRecord;
        engine.pollTick();
        engine.pollTick();
    });

    if (s.counters.cycleCount != 1234567 || s.counters.lastUpBounceTime != 123) {
        std::fprintf(stderr, "lifecycle-bench: the sample was not decoded\n");
        return 1;
    }

    // Every text one sample needs for the data log line.
    const qint64 format = nanosecondsPer(scale, scale.count(20000, 20), [&] { sampleLogLine(s); });

    figures.add("idle_tick_ns", double(idle), 0);
    figures.add("decode_tick_ns", double(decode), 0);
    figures.add("format_sample_ns", double(format), 0);
    const qint64 logLine = logLineNanoseconds(scale);
    figures.add("log_line_ns", double(logLine), 0, logLine >= 0);
    const qint64 plain = plusToLogLineNanoseconds(scale, false);
    figures.add("sample_to_log_line_ns", double(plain), 0, plain >= 0);
    const qint64 archived = plusToLogLineNanoseconds(scale, true);
    figures.add("sample_to_log_line_archived_ns", double(archived), 0, archived >= 0);
    printTrendFigures(scale, figures);
    printArchiveFigures(scale, figures);
    printWebFigures(scale, figures);

    const QStringList missing = figures.missing(ExpectedFigures);
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "lifecycle-bench: figures not taken: %s\n",
                     qPrintable(missing.join(QStringLiteral(", "))));
        return 1;
    }
    return 0;
}

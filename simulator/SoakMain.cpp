// lifecycle-soak: the engine on the real serial backend and the simulated
// tester on a pseudo-terminal in one process, at full speed, for as many
// samples as asked. Reports lost samples and memory growth:
//
//   samples: 100000
//   lost: 0
//   rss_start_kb: 9876
//   rss_end_kb: 9900
//
// With --testers N, N simulated testers on ports 1 to N and N engines that
// find them as a station does, sharing the claim of the ports; the samples
// are counted for each engine, and the memory each tester adds is reported
// as rss_per_tester_kb.

#include "engine/link/PortClaims.h"
#include "engine/state/DecodedSample.h"
#include "engine/state/SilentView.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "platform/QtSerialPort.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

namespace {

class CountingLog : public SampleListener
{
public:
    void sampleTaken(const DecodedSample &) override { ++samples; }
    qint64 samples = 0;
};

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines)
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

int usageError(const QString &text)
{
    QTextStream(stderr) << "lifecycle-soak: " << text << "\n"
                        << "Try 'lifecycle-soak --help' for more information.\n";
    return 2;
}

// What the command line asks for.
struct SoakRun
{
    int wanted = 1000;       // samples to take
    int periodMs = 1;        // the tester's cycle period
    int pollMs = 1;          // the engine's poll tick
    int breakCount = 1;      // cycles between breaks
    int testers = 1;         // simulated testers, and engines
    bool breakMode = true;   // break-update mode, else running without limits
};

// Reads the options into run; the error text, or empty.
QString readOptions(const QCommandLineParser &parser, const QList<QCommandLineOption> &numbers,
                    const QCommandLineOption &modeOpt, SoakRun &run)
{
    const struct
    {
        int &value;
        int low, high;
        const char *what;
    } ranges[] = {
        {run.wanted, 1, 2000000000, "sample count"}, {run.periodMs, 1, 60000, "cycle period"},
        {run.pollMs, 1, TickPeriodMs, "poll tick"},  {run.breakCount, 1, 32767, "break count"},
        {run.testers, 1, PortCount, "tester count"},
    };
    for (int i = 0; i < int(std::size(ranges)); ++i) {
        if (!parser.isSet(numbers[i]))
            continue;
        bool ok = false;
        ranges[i].value = QLocale::c().toInt(parser.value(numbers[i]), &ok);
        if (!ok || ranges[i].value < ranges[i].low || ranges[i].value > ranges[i].high)
            return QStringLiteral("bad %1").arg(QLatin1String(ranges[i].what));
    }
    const QString mode = parser.value(modeOpt).isEmpty() ? QStringLiteral("break") : parser.value(modeOpt);
    if (mode != QLatin1String("break") && mode != QLatin1String("run"))
        return QStringLiteral("mode must be break or run");
    run.breakMode = mode == QLatin1String("break");
    return QString();
}

// One simulated tester on its pseudo-terminal, and an engine that talks to
// it, or with several, to whichever tester it found, through the real
// serial backend.
class SoakTester
{
public:
    // devices: the device of port N; claims: the ports shared with the
    // other engines, or null for the only one.
    SoakTester(const SoakRun &run, std::function<QString(int)> devices, PortClaims *claims)
        : run(run), tester(testerConfig(run)), pump(tester, pty), port(std::move(devices)), engine(s, port, view)
    {
        engine.setSampleListener(&log);
        engine.link().sharePorts(claims);
    }

    QString device() const { return pty.slavePath(); }
    bool open()
    {
        if (!pty.open())
            return false;
        pump.start(1);
        return true;
    }
    QString errorText() const { return pty.errorText(); }

    // One poll tick; arms the tester once found, and again should the link have dropped.
    void tick()
    {
        engine.pollTick();
        if (!engine.commReady() || !s.session.downloadedOnce)
            return;
        if (run.breakMode ? s.session.goAgainMode : s.counters.running)
            return;
        if (rssAtArming < 0) {
            rssAtArming = residentKb();
            armedAt = log.samples;
        }
        if (run.breakMode) {
            s.session.repeatCount = TesterState::Integer(run.breakCount);
            s.session.saveToDatabase = true;
            engine.sendValueCommand(Command::ArmBreakUpdate, QString::number(run.breakCount));
        } else {
            engine.sendCommand(Command::RunNoLimit);
        }
    }

    bool done() const { return rssAtArming >= 0 && samples() >= run.wanted; }
    qint64 samples() const { return log.samples - armedAt; }
    qint64 lost() const
    {
        return tester.stats().plusSent - tester.stats().plusAnswered - (tester.signalUnanswered() ? 1 : 0);
    }
    qint64 rssAtStart() const { return rssAtArming; }
    const SimulatedTester &simulated() const { return tester; }

private:
    static SimulatorConfig testerConfig(const SoakRun &run)
    {
        SimulatorConfig config;
        config.periodMs = run.periodMs;
        // The tester speaks once the host has surely taken the last reply.
        config.signalQuietMs = 2 * run.pollMs + 2;
        config.signalRetryMs = 2000;
        return config;
    }

    const SoakRun &run;
    SimulatedTester tester;
    PseudoTerminal pty;
    SimulatorPump pump;
    TesterState s;
    SilentView view;
    CountingLog log;
    QtSerialPort port;
    TesterEngine engine;
    qint64 rssAtArming = -1;
    qint64 armedAt = 0;
};

// Every tester of the run, on ports 1 to N.
class SoakStation
{
public:
    explicit SoakStation(const SoakRun &run)
    {
        PortClaims *shared = run.testers > 1 ? &claims : nullptr;
        for (int i = 0; i < run.testers; ++i)
            testers.push_back(std::make_unique<SoakTester>(
                run, [this](int n) { return deviceOf(n); }, shared));
    }

    bool open(QString &error)
    {
        for (auto &tester : testers)
            if (!tester->open()) {
                error = tester->errorText();
                return false;
            }
        return true;
    }
    void tick()
    {
        for (auto &tester : testers)
            tester->tick();
    }
    bool done() const
    {
        return std::all_of(testers.begin(), testers.end(), [](const auto &tester) { return tester->done(); });
    }
    qint64 sum(qint64 (SoakTester::*figure)() const) const
    {
        qint64 total = 0;
        for (const auto &tester : testers)
            total += ((*tester).*figure)();
        return total;
    }
    // The memory once every tester was armed.
    qint64 rssAtStart() const
    {
        qint64 rss = -1;
        for (const auto &tester : testers)
            rss = std::max(rss, tester->rssAtStart());
        return rss;
    }
    SimulatedTester::Stats stats() const
    {
        SimulatedTester::Stats total;
        for (const auto &tester : testers) {
            const SimulatedTester::Stats &one = tester->simulated().stats();
            total.plusSent += one.plusSent;
            total.recordsSent += one.recordsSent;
            total.lostSignals += one.lostSignals;
        }
        return total;
    }
    int count() const { return int(testers.size()); }

private:
    QString deviceOf(int port) const
    {
        return port >= 1 && port <= int(testers.size()) ? testers[size_t(port - 1)]->device() : QString();
    }

    PortClaims claims;
    std::vector<std::unique_ptr<SoakTester>> testers;
};

void printFigures(const SoakStation &soak, qint64 rssBefore, qint64 elapsedMs)
{
    QTextStream out(stdout);
    out << "samples: " << soak.sum(&SoakTester::samples) << "\n"
        << "lost: " << soak.sum(&SoakTester::lost) << "\n"
        << "rss_start_kb: " << soak.rssAtStart() << "\n"
        << "rss_end_kb: " << residentKb() << "\n";
    if (soak.count() > 1)
        out << "testers: " << soak.count() << "\n"
            << "rss_per_tester_kb: " << (soak.rssAtStart() - rssBefore) / soak.count() << "\n";
    const SimulatedTester::Stats stats = soak.stats();
    QTextStream(stderr) << "lifecycle-soak: " << double(elapsedMs) / 1000.0 << " s, " << stats.plusSent << " signals, "
                        << stats.recordsSent << " records, " << stats.lostSignals << " repeated\n";
}

}   // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs the program's conversation engine against the simulated tester at full speed\n"
                       "and counts lost samples and memory growth."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption samplesOpt(QStringLiteral("samples"),
                                        QStringLiteral("Samples to take (default 1000), by each engine."),
                                        QStringLiteral("N"));
    const QCommandLineOption periodOpt(QStringLiteral("period-ms"), QStringLiteral("Tester cycle period (default 1)."),
                                       QStringLiteral("P"));
    const QCommandLineOption pollOpt(QStringLiteral("poll-ms"),
                                     QStringLiteral("Poll tick of the engine (default 1; the program uses 50)."),
                                     QStringLiteral("MS"));
    const QCommandLineOption modeOpt(
        QStringLiteral("mode"), QStringLiteral("break (break-update mode, default) or run (running without limits)."),
        QStringLiteral("MODE"));
    const QCommandLineOption breakOpt(QStringLiteral("break-count"),
                                      QStringLiteral("Cycles between breaks (default 1)."), QStringLiteral("N"));
    const QCommandLineOption testersOpt(
        QStringLiteral("testers"),
        QStringLiteral(
            "Simulated testers and engines, 1 to 16 (default 1); the engines share the ports as a station's do."),
        QStringLiteral("N"));
    parser.addOptions({help, samplesOpt, periodOpt, pollOpt, modeOpt, breakOpt, testersOpt});
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    SoakRun run;
    if (const QString error = readOptions(parser, {samplesOpt, periodOpt, pollOpt, breakOpt, testersOpt}, modeOpt, run);
        !error.isEmpty())
        return usageError(error);

    const qint64 rssBefore = residentKb();
    SoakStation soak(run);
    QString error;
    if (!soak.open(error)) {
        QTextStream(stderr) << "lifecycle-soak: cannot create a pseudo-terminal: " << error << "\n";
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        soak.tick();
        if (soak.done())
            app.quit();
    });
    poll.start(run.pollMs);
    app.exec();
    printFigures(soak, rssBefore, clock.elapsed());
    return 0;
}

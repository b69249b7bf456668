// lifecycle-soak: the engine on the real serial backend and the simulated
// tester on a pseudo-terminal in one process, at full speed, for as many
// samples as asked. Reports lost samples and memory growth:
//
//   samples: 100000
//   lost: 0
//   rss_start_kb: 9876
//   rss_end_kb: 9900

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

namespace {

class CountingLog : public SampleLog
{
public:
    void SaveToFile() override { ++samples; }
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs the program's conversation engine against the simulated tester at full speed\n"
        "and counts lost samples and memory growth."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption samplesOpt(QStringLiteral("samples"), QStringLiteral("Samples to take (default 1000)."), QStringLiteral("N"));
    const QCommandLineOption periodOpt(QStringLiteral("period-ms"), QStringLiteral("Tester cycle period (default 1)."), QStringLiteral("P"));
    const QCommandLineOption pollOpt(QStringLiteral("poll-ms"), QStringLiteral("Poll tick of the engine (default 1; the program uses 50)."), QStringLiteral("MS"));
    const QCommandLineOption modeOpt(QStringLiteral("mode"), QStringLiteral("break (break-update mode, default) or run (running without limits)."), QStringLiteral("MODE"));
    const QCommandLineOption breakOpt(QStringLiteral("break-count"), QStringLiteral("Cycles between breaks (default 1)."), QStringLiteral("N"));
    parser.addOptions({help, samplesOpt, periodOpt, pollOpt, modeOpt, breakOpt});
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    const auto number = [&](const QCommandLineOption &option, int fallback, int low, int high, int &value) {
        if (!parser.isSet(option)) {
            value = fallback;
            return true;
        }
        bool ok = false;
        value = QLocale::c().toInt(parser.value(option), &ok);
        return ok && value >= low && value <= high;
    };
    int wanted = 0, periodMs = 0, pollMs = 0, breakCount = 0;
    if (!number(samplesOpt, 1000, 1, 2000000000, wanted))
        return usageError(QStringLiteral("bad sample count"));
    if (!number(periodOpt, 1, 1, 60000, periodMs))
        return usageError(QStringLiteral("bad cycle period"));
    if (!number(pollOpt, 1, 1, 50, pollMs))
        return usageError(QStringLiteral("bad poll tick"));
    if (!number(breakOpt, 1, 1, 32767, breakCount))
        return usageError(QStringLiteral("bad break count"));
    const QString mode = parser.value(modeOpt).isEmpty() ? QStringLiteral("break") : parser.value(modeOpt);
    if (mode != QLatin1String("break") && mode != QLatin1String("run"))
        return usageError(QStringLiteral("mode must be break or run"));
    const bool breakMode = mode == QLatin1String("break");

    SimulatorConfig config;
    config.periodMs = periodMs;
    // The tester speaks once the host has surely taken the last reply.
    config.signalQuietMs = 2 * pollMs + 2;
    config.signalRetryMs = 2000;
    SimulatedTester tester(config);
    PseudoTerminal pty;
    if (!pty.open()) {
        QTextStream(stderr) << "lifecycle-soak: cannot create a pseudo-terminal: " << pty.errorText() << "\n";
        return 1;
    }
    SimulatorPump pump(tester, pty);
    pump.start(1);

    TesterState s;
    SilentView view;
    CountingLog log;
    QtSerialPort port([&pty](int n) { return n == 1 ? pty.slavePath() : QString(); });
    TesterEngine engine(s, port, view);
    engine.setSampleLog(&log);

    qint64 rssStart = -1;
    qint64 armedAt = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        engine.Tick();
        if (!engine.CommReady() || !s.DownLoadedOnce)
            return;
        // Arm the tester once found, and again should the link have dropped.
        const bool armed = breakMode ? s.GoAgainMode : s.Running;
        if (!armed) {
            if (rssStart < 0) {
                rssStart = residentKb();
                armedAt = log.samples;
            }
            if (breakMode) {
                s.RepeatCount = TesterState::Integer(breakCount);
                s.SaveToDatabase = true;
                engine.SendValueCommand(243, QString::number(breakCount));
            } else {
                engine.SendCommand(172);
            }
            return;
        }
        if (log.samples - armedAt >= wanted)
            app.quit();
    });
    poll.start(pollMs);
    app.exec();

    const qint64 lost = tester.stats().plusSent - tester.stats().plusAnswered
                      - (tester.signalUnanswered() ? 1 : 0);
    QTextStream out(stdout);
    out << "samples: " << (log.samples - armedAt) << "\n"
        << "lost: " << lost << "\n"
        << "rss_start_kb: " << rssStart << "\n"
        << "rss_end_kb: " << residentKb() << "\n";
    QTextStream(stderr) << "lifecycle-soak: " << double(clock.elapsed()) / 1000.0 << " s, "
                        << tester.stats().plusSent << " signals, " << tester.stats().recordsSent
                        << " records, " << tester.stats().lostSignals << " repeated\n";
    return 0;
}

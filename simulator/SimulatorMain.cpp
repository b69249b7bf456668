// lifecycle-sim: a simulated Model 418C tester on a pseudo-terminal (or on a
// real serial device with a null-modem cable), for running and trying the
// program without the instrument.

#include "simulator/SerialDeviceLine.h"
#include "simulator/SimulatedRunLog.h"
#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include "simulator/PseudoTerminal.h"
#else
// Without pseudo-terminals only a real device can be served (--device).
class PseudoTerminal : public SimulatorLine
{
public:
    bool open() { return false; }
    QString errorText() const
    {
        return QStringLiteral("no pseudo-terminals here; serve one end of a null-modem pair with --device COMn");
    }
    QString slavePath() const { return QString(); }
    bool isOpen() const override { return false; }
    QByteArray read() override { return QByteArray(); }
    void write(const QByteArray &) override {}
    void close() override {}
};
#endif

namespace {

constexpr int StepMs = 5;

int usageError(const QString &text)
{
    QTextStream(stderr) << "lifecycle-sim: " << text << "\n"
                        << "Try 'lifecycle-sim --help' for more information.\n";
    return 2;
}

bool readInt(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    value = QLocale::c().toInt(text, &ok);
    return ok && value >= low && value <= high;
}

bool readRate(const QString &text, double &value)
{
    bool ok = false;
    value = QLocale::c().toDouble(text, &ok);
    return ok && value >= 0 && value <= 1;
}

// "resistance", "current", "voltage" or 0, 1, 2.
bool readMode(const QString &text, int &mode)
{
    const QStringList names = {QStringLiteral("resistance"), QStringLiteral("current"), QStringLiteral("voltage")};
    mode = int(names.indexOf(text.toLower()));
    return mode >= 0 || readInt(text, 0, 2, mode);
}

// Tenths ("12") or a dotted version ("1.2").
bool readSoftware(const QString &text, int &tenths)
{
    if (text.contains(QLatin1Char('.'))) {
        bool ok = false;
        const double v = QLocale::c().toDouble(text, &ok);
        tenths = int(v * 10 + 0.5);
        return ok && tenths >= 0 && tenths <= 999;
    }
    return readInt(text, 0, 999, tenths);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lifecycle-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LIFECYCLE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Model 418C life-cycle tester. It creates a pseudo-terminal and prints\n"
        "the device the program should open (lifecycle --port 1=DEVICE), or serves a real\n"
        "serial device with --device."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version and exit."));
    const QCommandLineOption serial(QStringLiteral("serial"), QStringLiteral("Serial number of the tester."), QStringLiteral("TEXT"));
    const QCommandLineOption software(QStringLiteral("software"), QStringLiteral("Software version, 1.2 or 12 (tenths); before 1.2 the data record has 35 fields, else 37."), QStringLiteral("VERSION"));
    const QCommandLineOption mode(QStringLiteral("mode"), QStringLiteral("Measurement mode: resistance, current or voltage (0, 1, 2)."), QStringLiteral("MODE"));
    const QCommandLineOption range(QStringLiteral("range"), QStringLiteral("Range: pull-up ohms, full-scale current in 0.1 mA or full-scale voltage in mV."), QStringLiteral("N"));
    const QCommandLineOption period(QStringLiteral("period-ms"), QStringLiteral("Duration of one test cycle (default 1000)."), QStringLiteral("MS"));
    const QCommandLineOption failure(QStringLiteral("failure-rate"), QStringLiteral("Chance that a cycle fails, 0 to 1 (default 0)."), QStringLiteral("RATE"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the simulated readings."), QStringLiteral("N"));
    const QCommandLineOption device(QStringLiteral("device"), QStringLiteral("Serve this serial device instead of a pseudo-terminal."), QStringLiteral("PATH"));
    const QCommandLineOption running(QStringLiteral("running"), QStringLiteral("Start already running a test to its limits, as a tester left running."));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("Fault: answer nothing."));
    const QCommandLineOption noStar(QStringLiteral("no-star"), QStringLiteral("Fault: answer commands without the leading \"*\"."));
    const QCommandLineOption garbage(QStringLiteral("garbage"), QStringLiteral("Fault: chance that a reply is preceded by stray bytes, 0 to 1."), QStringLiteral("RATE"));
    const QCommandLineOption split(QStringLiteral("split"), QStringLiteral("Fault: write each reply in N pieces, 20 ms apart."), QStringLiteral("N"));
    const QCommandLineOption requireWake(QStringLiteral("require-wake"), QStringLiteral("Drop a command that follows 300 ms of quiet without a wake-up byte."));
    const QCommandLineOption pullAfter(QStringLiteral("pull-after-ms"), QStringLiteral("Fault: pull the cable (close the line) after MS."), QStringLiteral("MS"));
    const QCommandLineOption replugAfter(QStringLiteral("replug-after-ms"), QStringLiteral("Plug the cable back in MS after pulling it (a new pseudo-terminal is printed)."), QStringLiteral("MS"));
    const QCommandLineOption writeLog(QStringLiteral("write-log"), QStringLiteral("Serve no line: play a long run against the program's engine on simulated time, with a night off every 50000 samples, write the data log it leaves to FILE and exit."), QStringLiteral("FILE"));
    const QCommandLineOption samples(QStringLiteral("samples"), QStringLiteral("With --write-log: the samples of the run (default 100000)."), QStringLiteral("N"));
    parser.addOptions({help, version, serial, software, mode, range, period, failure, seed, device,
                       running, silent, noStar, garbage, split, requireWake, pullAfter, replugAfter,
                       writeLog, samples});

    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << "lifecycle-sim " << LIFECYCLE_VERSION << "\n";
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    SimulatorConfig config;
    int n = 0;
    double rate = 0;
    if (parser.isSet(serial))
        config.serialNumber = parser.value(serial);
    if (parser.isSet(software)) {
        if (!readSoftware(parser.value(software), config.softwareVersion))
            return usageError(QStringLiteral("bad software version '%1'").arg(parser.value(software)));
    }
    if (parser.isSet(mode)) {
        if (!readMode(parser.value(mode), config.mode))
            return usageError(QStringLiteral("bad mode '%1'").arg(parser.value(mode)));
    }
    if (parser.isSet(range)) {
        if (!readInt(parser.value(range), 1, 100000000, n))
            return usageError(QStringLiteral("bad range '%1'").arg(parser.value(range)));
        config.range = n;
    }
    if (parser.isSet(period)) {
        if (!readInt(parser.value(period), 1, 3600000, config.periodMs))
            return usageError(QStringLiteral("bad cycle period '%1'").arg(parser.value(period)));
    }
    if (parser.isSet(failure)) {
        if (!readRate(parser.value(failure), config.failureRate))
            return usageError(QStringLiteral("bad failure rate '%1'").arg(parser.value(failure)));
    }
    if (parser.isSet(seed)) {
        if (!readInt(parser.value(seed), 0, 2147483647, n))
            return usageError(QStringLiteral("bad seed '%1'").arg(parser.value(seed)));
        config.seed = uint32_t(n);
    }
    config.startRunning = parser.isSet(running);
    config.silent = parser.isSet(silent);
    config.noStar = parser.isSet(noStar);
    config.requireWake = parser.isSet(requireWake);
    if (parser.isSet(garbage)) {
        if (!readRate(parser.value(garbage), rate))
            return usageError(QStringLiteral("bad garbage rate '%1'").arg(parser.value(garbage)));
        config.garbageRate = rate;
    }
    if (parser.isSet(split)) {
        if (!readInt(parser.value(split), 1, 100, config.splitReplies))
            return usageError(QStringLiteral("bad piece count '%1'").arg(parser.value(split)));
    }
    int pullMs = -1, replugMs = -1;
    if (parser.isSet(pullAfter) && !readInt(parser.value(pullAfter), 0, 86400000, pullMs))
        return usageError(QStringLiteral("bad time '%1'").arg(parser.value(pullAfter)));
    if (parser.isSet(replugAfter) && !readInt(parser.value(replugAfter), 0, 86400000, replugMs))
        return usageError(QStringLiteral("bad time '%1'").arg(parser.value(replugAfter)));

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (parser.isSet(writeLog)) {
        SimulatedRunPlan plan;
        if (parser.isSet(samples) && !readInt(parser.value(samples), 1, 100000000, n))
            return usageError(QStringLiteral("bad sample count '%1'").arg(parser.value(samples)));
        plan.samples = parser.isSet(samples) ? n : plan.samples;
        const QString failed = WriteSimulatedRunLog(parser.value(writeLog), config, plan);
        if (!failed.isEmpty()) {
            err << "lifecycle-sim: " << failed << "\n";
            return 1;
        }
        return 0;
    }
    SimulatedTester tester(config);
    std::unique_ptr<SimulatorLine> line;
    PseudoTerminal *pty = nullptr;
    SerialDeviceLine *serialDevice = nullptr;
    if (parser.isSet(device)) {
        auto deviceLine = std::make_unique<SerialDeviceLine>(parser.value(device));
        if (!deviceLine->open()) {
            err << "lifecycle-sim: cannot open " << parser.value(device) << ": " << deviceLine->errorText() << "\n";
            return 1;
        }
        serialDevice = deviceLine.get();
        line = std::move(deviceLine);
        err << "lifecycle-sim: tester " << config.serialNumber << " on " << parser.value(device) << "\n";
    } else {
        auto ptyLine = std::make_unique<PseudoTerminal>();
        if (!ptyLine->open()) {
            err << "lifecycle-sim: cannot create a pseudo-terminal: " << ptyLine->errorText() << "\n";
            return 1;
        }
        pty = ptyLine.get();
        line = std::move(ptyLine);
        out << pty->slavePath() << "\n";
        out.flush();
        err << "lifecycle-sim: tester " << config.serialNumber << " ready; run: lifecycle --port 1="
            << pty->slavePath() << "\n";
    }
    err.flush();

    SimulatorPump pump(tester, *line);
    pump.start(StepMs);

    if (pullMs >= 0) {
        QTimer::singleShot(pullMs, [&] {
            line->close();
            err << "lifecycle-sim: cable pulled\n";
            err.flush();
            if (replugMs < 0)
                return;
            QTimer::singleShot(replugMs, [&] {
                const bool ok = pty ? pty->open() : serialDevice->open();
                if (!ok) {
                    err << "lifecycle-sim: cannot plug the cable back in\n";
                } else if (pty) {
                    out << pty->slavePath() << "\n";
                    out.flush();
                    err << "lifecycle-sim: cable back on " << pty->slavePath() << "\n";
                } else {
                    err << "lifecycle-sim: cable back\n";
                }
                err.flush();
            });
        });
    }
    return app.exec();
}

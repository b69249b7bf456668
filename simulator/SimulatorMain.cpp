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
#include <functional>
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

// What the command line asks for.
struct SimulatorRun
{
    SimulatorConfig config;
    QString device;      // a real serial device to serve, or empty for a pseudo-terminal
    int pullMs = -1;     // pull the cable after this long; -1 never
    int replugMs = -1;   // plug it back in this long after the pull; -1 never
    int exitMs = -1;     // exit after this long, telling what was done; -1 never
    QString logFile;     // --write-log: play a long run into this data log instead of serving a line
    SimulatedRunPlan plan;
};

// The options, each with its help text.
struct SimulatorOptions
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption serial{QStringLiteral("serial"), QStringLiteral("Serial number of the tester."),
                              QStringLiteral("TEXT")};
    QCommandLineOption software{
        QStringLiteral("software"),
        QStringLiteral("Software version, 1.2 or 12 (tenths); before 1.2 the data record has 35 fields, else 37."),
        QStringLiteral("VERSION")};
    QCommandLineOption mode{QStringLiteral("mode"),
                            QStringLiteral("Measurement mode: resistance, current or voltage (0, 1, 2)."),
                            QStringLiteral("MODE")};
    QCommandLineOption range{
        QStringLiteral("range"),
        QStringLiteral("Range: pull-up ohms, full-scale current in 0.1 mA or full-scale voltage in mV."),
        QStringLiteral("N")};
    QCommandLineOption period{QStringLiteral("period-ms"), QStringLiteral("Duration of one test cycle (default 1000)."),
                              QStringLiteral("MS")};
    QCommandLineOption failure{QStringLiteral("failure-rate"),
                               QStringLiteral("Chance that a cycle fails, 0 to 1 (default 0)."),
                               QStringLiteral("RATE")};
    QCommandLineOption seed{QStringLiteral("seed"), QStringLiteral("Seed of the simulated readings."),
                            QStringLiteral("N")};
    QCommandLineOption device{QStringLiteral("device"),
                              QStringLiteral("Serve this serial device instead of a pseudo-terminal."),
                              QStringLiteral("PATH")};
    QCommandLineOption running{QStringLiteral("running"),
                               QStringLiteral("Start already running a test to its limits, as a tester left running.")};
    QCommandLineOption silent{QStringLiteral("silent"), QStringLiteral("Fault: answer nothing.")};
    QCommandLineOption noStar{QStringLiteral("no-star"),
                              QStringLiteral("Fault: answer commands without the leading \"*\".")};
    QCommandLineOption garbage{QStringLiteral("garbage"),
                               QStringLiteral("Fault: chance that a reply is preceded by stray bytes, 0 to 1."),
                               QStringLiteral("RATE")};
    QCommandLineOption split{QStringLiteral("split"),
                             QStringLiteral("Fault: write each reply in N pieces, 20 ms apart."), QStringLiteral("N")};
    QCommandLineOption requireWake{
        QStringLiteral("require-wake"),
        QStringLiteral("Drop a command that follows 300 ms of quiet without a wake-up byte.")};
    QCommandLineOption pullAfter{QStringLiteral("pull-after-ms"),
                                 QStringLiteral("Fault: pull the cable (close the line) after MS."),
                                 QStringLiteral("MS")};
    QCommandLineOption replugAfter{
        QStringLiteral("replug-after-ms"),
        QStringLiteral("Plug the cable back in MS after pulling it (a new pseudo-terminal is printed)."),
        QStringLiteral("MS")};
    QCommandLineOption exitAfter{
        QStringLiteral("exit-after-ms"),
        QStringLiteral("Exit after MS and print the cycles run and the data records sent on stdout."),
        QStringLiteral("MS")};
    QCommandLineOption writeLog{
        QStringLiteral("write-log"),
        QStringLiteral(
            "Serve no line: play a long run against the program's engine on simulated time, with a night off every 50000 samples, write the data log it leaves to FILE and exit."),
        QStringLiteral("FILE")};
    QCommandLineOption samples{QStringLiteral("samples"),
                               QStringLiteral("With --write-log: the samples of the run (default 100000)."),
                               QStringLiteral("N")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOptions({help,    version,     serial,    software,    mode,      range,    period,
                           failure, seed,        device,    running,     silent,    noStar,   garbage,
                           split,   requireWake, pullAfter, replugAfter, exitAfter, writeLog, samples});
    }
};

// Reads the values of the options into run; the error text, or empty.
QString readOptions(const QCommandLineParser &parser, const SimulatorOptions &o, SimulatorRun &run)
{
    SimulatorConfig &config = run.config;
    // Each option with a value: its reader and the name of what it gives.
    const struct
    {
        const QCommandLineOption &option;
        std::function<bool(const QString &)> read;
        const char *what;
    } valued[] = {
        {o.serial,
         [&](const QString &v) {
             config.serialNumber = v;
             return true;
         },
         ""},
        {o.software, [&](const QString &v) { return readSoftware(v, config.softwareVersion); }, "software version"},
        {o.mode, [&](const QString &v) { return readMode(v, config.mode); }, "mode"},
        {o.range, [&](const QString &v) { return readInt(v, 1, 100000000, config.range); }, "range"},
        {o.period, [&](const QString &v) { return readInt(v, 1, 3600000, config.periodMs); }, "cycle period"},
        {o.failure, [&](const QString &v) { return readRate(v, config.failureRate); }, "failure rate"},
        {o.seed,
         [&](const QString &v) {
             int n = 0;
             const bool ok = readInt(v, 0, 2147483647, n);
             config.seed = uint32_t(n);
             return ok;
         },
         "seed"},
        {o.garbage, [&](const QString &v) { return readRate(v, config.garbageRate); }, "garbage rate"},
        {o.split, [&](const QString &v) { return readInt(v, 1, 100, config.splitReplies); }, "piece count"},
        {o.device,
         [&](const QString &v) {
             run.device = v;
             return true;
         },
         ""},
        {o.pullAfter, [&](const QString &v) { return readInt(v, 0, 86400000, run.pullMs); }, "time"},
        {o.replugAfter, [&](const QString &v) { return readInt(v, 0, 86400000, run.replugMs); }, "time"},
        {o.exitAfter, [&](const QString &v) { return readInt(v, 0, 86400000, run.exitMs); }, "time"},
        {o.writeLog,
         [&](const QString &v) {
             run.logFile = v;
             return !v.isEmpty();
         },
         "log file"},
        {o.samples,
         [&](const QString &v) {
             int n = 0;
             const bool ok = readInt(v, 1, 100000000, n);
             run.plan.samples = n;
             return ok;
         },
         "sample count"},
    };
    for (const auto &entry : valued)
        if (parser.isSet(entry.option) && !entry.read(parser.value(entry.option)))
            return QStringLiteral("bad %1 '%2'").arg(QLatin1String(entry.what), parser.value(entry.option));
    config.startRunning = parser.isSet(o.running);
    config.silent = parser.isSet(o.silent);
    config.noStar = parser.isSet(o.noStar);
    config.requireWake = parser.isSet(o.requireWake);
    return QString();
}

// The line the tester is served on, opened and announced; null when it
// cannot be opened (said on stderr).
std::unique_ptr<SimulatorLine> openLine(const SimulatorRun &run, QTextStream &out, QTextStream &err)
{
    if (!run.device.isEmpty()) {
        auto deviceLine = std::make_unique<SerialDeviceLine>(run.device);
        if (!deviceLine->open()) {
            err << "lifecycle-sim: cannot open " << run.device << ": " << deviceLine->errorText() << "\n";
            return nullptr;
        }
        err << "lifecycle-sim: tester " << run.config.serialNumber << " on " << run.device << "\n";
        return deviceLine;
    }
    auto pty = std::make_unique<PseudoTerminal>();
    if (!pty->open()) {
        err << "lifecycle-sim: cannot create a pseudo-terminal: " << pty->errorText() << "\n";
        return nullptr;
    }
    out << pty->slavePath() << "\n";
    out.flush();
    err << "lifecycle-sim: tester " << run.config.serialNumber << " ready; run: lifecycle --port 1=" << pty->slavePath()
        << "\n";
    return pty;
}

// Plugs the cable back in: the same device, or a new pseudo-terminal, printed.
void replug(SimulatorLine &line, QTextStream &out, QTextStream &err)
{
    auto *pty = dynamic_cast<PseudoTerminal *>(&line);
    auto *serialDevice = dynamic_cast<SerialDeviceLine *>(&line);
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
}

// The fault switch that pulls the cable, and plugs it back in when asked.
void schedulePull(const SimulatorRun &run, SimulatorLine &line, QTextStream &out, QTextStream &err)
{
    if (run.pullMs < 0)
        return;
    const int replugMs = run.replugMs;
    QTimer::singleShot(run.pullMs, [&line, &out, &err, replugMs] {
        line.close();
        err << "lifecycle-sim: cable pulled\n";
        err.flush();
        if (replugMs >= 0)
            QTimer::singleShot(replugMs, [&line, &out, &err] { replug(line, out, err); });
    });
}

// Ends the simulator when asked to, with what it did: a script compares
// the cycles run with the samples the program kept.
void scheduleExit(const SimulatorRun &run, const SimulatedTester &tester, QTextStream &out)
{
    if (run.exitMs < 0)
        return;
    const int32_t cyclesBefore = tester.cycleCount();
    QTimer::singleShot(run.exitMs, [&tester, &out, cyclesBefore] {
        out << "cycles: " << tester.cycleCount() - cyclesBefore << "\n"
            << "records: " << tester.stats().recordsSent << "\n";
        out.flush();
        QCoreApplication::quit();
    });
}

}   // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lifecycle-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LIFECYCLE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated Model 418C life-cycle tester. It creates a pseudo-terminal and prints\n"
                       "the device the program should open (lifecycle --port 1=DEVICE), or serves a real\n"
                       "serial device with --device."));
    const SimulatorOptions options;
    options.addTo(parser);
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(options.help)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (parser.isSet(options.version)) {
        QTextStream(stdout) << "lifecycle-sim " << LIFECYCLE_VERSION << "\n";
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    SimulatorRun run;
    if (const QString error = readOptions(parser, options, run); !error.isEmpty())
        return usageError(error);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!run.logFile.isEmpty()) {
        const QString failed = writeSimulatedRunLog(run.logFile, run.config, run.plan);
        if (!failed.isEmpty()) {
            err << "lifecycle-sim: " << failed << "\n";
            return 1;
        }
        return 0;
    }
    SimulatedTester tester(run.config);
    const std::unique_ptr<SimulatorLine> line = openLine(run, out, err);
    if (!line)
        return 1;
    err.flush();

    SimulatorPump pump(tester, *line);
    pump.start(StepMs);
    schedulePull(run, *line, out, err);
    scheduleExit(run, tester, out);
    return app.exec();
}

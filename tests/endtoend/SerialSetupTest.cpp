// The program's command line, and its serial setup with --simulate: the
// simulated testers are the only ports, and --trace records the conversation.

#include "app/SerialSetup.h"
#include "app/AppOptions.h"
#include "app/ArchiveCommands.h"
#include "engine/archive/RunRecorder.h"
#include "engine/link/SerialPort.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeArchiveSink.h"
#include "support/FakeView.h"
#include "support/Fetched.h"
#include "support/MemorySettingsStore.h"
#include "support/OneLine.h"
#include "support/TestKit.h"

// The options a command line set, "name=value" each in a fixed order; those left as they start out are not shown.
QString setBy(const AppOptions &o)
{
    QStringList ports;
    for (auto port = o.portMap.cbegin(); port != o.portMap.cend(); ++port)
        ports << QString::number(port.key()) + u':' + port.value();
    const auto n = [](auto value) { return QString::number(value); };
    const QStringList options =
        QStringList() << "simulate=" + n(o.simulate) << "testers=" + n(o.simulatedTesters)
                      << "ports=" + ports.join(u',') << "station=" + n(o.station) << "trace=" + o.traceFile
                      << "plot=" + o.plotFile << "log=" + o.logFile
                      << "zoom=" + (o.trendZoomTo != 0 ? n(o.trendZoomFrom) + u':' + n(o.trendZoomTo) : "")
                      << "cursor=" + (qIsNaN(o.trendCursor) ? QString() : n(o.trendCursor)) << "archive=" + o.archive
                      << "list=" + n(o.listRuns) << "serial=" + o.runSerial << "host=" + o.runHost
                      << "since=" + o.runSince << "export=" + o.exportRun << "report=" + o.exportReport
                      << "file=" + o.exportFile << "notify=" + o.notifyUrl << "http=" + o.webAddress
                      << "token=" + o.webToken << "archiveOnly=" + n(o.archiveOnly());
    QStringList set;
    for (const QString &option : options)
        if (const QString value = option.section(u'=', 1); !value.isEmpty() && value != "0")
            set << option;
    return set.join(u' ');
}

// One run of a tester in the archive, its one sample a minute after its start.
void writeRun(SqlArchiveStore &store, const QString &serial, const QString &host, const QDateTime &start)
{
    TesterState s;
    s.identity.serialNumber = serial;
    FakeArchiveSink sink;
    RunRecorder recorder(s, sink, host, "1.0.0");
    recorder.runStarted(start);
    s.counters.updateTime = start.addSecs(60);
    recorder.sampleTaken();
    QCOMPARE(store.write(sink.records), QString());
}

class SerialSetupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandLine_data()
    {
        addColumns<QStringList, int, QString>("args", "exitCode", "set");   // exitCode -1: the program goes on
        const auto row = [](const char *name, const QStringList &args, int exitCode, const QString &set = {}) {
            addRow(name, args, exitCode, set);
        };
        row("ports, repeated, both forms, device with =: a station",
            {"--port", "1=/dev/pts/3", "--port=12=/dev/a=b", "--trace", "/tmp/t.txt"}, -1,
            "ports=1:/dev/pts/3,12:/dev/a=b station=1 trace=/tmp/t.txt");
        row("one port: one tester", {"--port", "3=/dev/ttyUSB0"}, -1, "ports=3:/dev/ttyUSB0");
        row("help wins over a bad option", {"--help", "--bogus"}, 0);
        row("version", {"--version"}, 0);
        row("plot, value after =", {"--plot=/tmp/run 1.txt"}, -1, "plot=/tmp/run 1.txt");
        row("unknown option", {"--simulator"}, 2);
        row("simulate 4: a station", {"--simulate", "4", "--port", "1=/dev/x"}, -1,
            "simulate=1 testers=4 ports=1:/dev/x station=1");
        row("simulate=1: one tester", {"--simulate=1"}, -1, "simulate=1 testers=1");
        row("simulate 17", {"--simulate", "17"}, 2);
        row("a station's report", {"--simulate", "2", "--report", "r.pdf"}, 2);
        row("trend picture zoomed, cursor", {"--trend-zoom", "100:250.5", "--trend-cursor", "120"}, -1,
            "zoom=100:250.5 cursor=120");
        row("trend zoom backwards", {"--trend-zoom=250:100"}, 2);
        row("trend zoom, one end", {"--trend-zoom=250"}, 2);
        row("trend cursor, no number", {"--trend-cursor=x"}, 2);
        row("log with the simulated tester", {"--simulate", "--log", "C:\\runs\\a b.txt"}, -1,
            "simulate=1 testers=1 log=C:\\runs\\a b.txt");
        row("log without a file", {"--log="}, 2);
        row("log with a station", {"--simulate", "2", "--log", "run.txt"}, 2);
        row("list runs of a server", {"--archive", "postgresql://lab@db/runs", "--list-runs"}, -1,
            "archive=postgresql://lab@db/runs list=1 archiveOnly=1");
        row("export the last run", {"--export-run", "last", "out.txt"}, -1, "export=last file=out.txt archiveOnly=1");
        row("export by id", {"--export-run=12", "out.txt"}, -1, "export=12 file=out.txt archiveOnly=1");
        row("export without a file", {"--export-run", "12"}, 2);
        row("export of no run", {"--export-run", "first", "out.txt"}, 2);
        row("run id zero", {"--export-run", "0", "out.txt"}, 2);
        row("list and export at once", {"--list-runs", "--export-run", "1", "f"}, 2);
        row("file without export", {"--list-runs", "f"}, 2);
        row("report by id", {"--export-report=7", "run.pdf"}, -1, "report=7 file=run.pdf archiveOnly=1");
        row("report and data log at once", {"--export-report", "1", "--export-run", "1", "f"}, 2);
        row("empty archive", {"--archive="}, 2);
        row("list runs filtered", {"--list-runs", "--serial", "41800123", "--host=lab-1", "--since", "7d"}, -1,
            "list=1 serial=41800123 host=lab-1 since=7d archiveOnly=1");
        row("filter without --list-runs", {"--serial", "41800123"}, 2);
        row("filter with --export-run", {"--export-run", "1", "f", "--since", "7d"}, 2);
        row("empty filter value", {"--list-runs", "--host="}, 2);
        row("webhook", {"--notify-url", "https://chat.example/hook"}, -1, "notify=https://chat.example/hook");
        row("webhook not http", {"--notify-url", "ftp://x/y"}, 2);
        row("web view on loopback", {"--http", "127.0.0.1:8080"}, -1, "http=127.0.0.1:8080");
        row("the network without a token", {"--http", "0.0.0.0:8080"}, 2);
        row("the network with a token", {"--http", "0.0.0.0:8080", "--http-token", "t0k"}, -1,
            "http=0.0.0.0:8080 token=t0k");
        row("an empty token", {"--http", "0.0.0.0:8080", "--http-token", " "}, 2);
        row("bad address", {"--http", "127.0.0.1:99999"}, 2);
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        const AppOptions options = parseCommandLine(QStringList{"lifecycle"} + args);
        QTEST(options.exitNow ? options.exitCode : -1, "exitCode");
        if (!options.exitNow)
            QTEST(setBy(options), "set");
    }

    // --list-runs with its filters over an archive of two testers on two stations: the runs chosen, or each wrong value.
    void listRunFilters_data()
    {
        addColumns<QStringList, int, QString>("args", "exitCode", "answer");   // the S/N of each line, or the failure
        const QString notADate = "is not a date (YYYY-MM-DD) or a number of days (Nd)";
        addRow("all", QStringList{}, 0, "41800124 41800123");
        addRow("one tester", QStringList{"--serial", "41800123"}, 0, "41800123");
        addRow("one station, any case", QStringList{"--host", "LAB-2"}, 0, "41800124");
        addRow("since a day", QStringList{"--since", "2026-12-03"}, 0, "41800124");
        addRow("last 5 days", QStringList{"--since", "5d"}, 0, "41800124");
        addRow("known tester, no run since", QStringList{"--serial", "41800123", "--since", "2026-12-04"}, 0, "");
        addRow("unknown tester", QStringList{"--serial", "4180012"}, 2,
               "--serial '4180012': no run of that tester in the archive");
        addRow("unknown station", QStringList{"--host", "lab-9"}, 2,
               "--host 'lab-9': no run of that station in the archive");
        addRow("all wrong at once", QStringList{"--since", "yesterday", "--serial", "x", "--host", "y"}, 2,
               "--since 'yesterday' " + notADate
                   + "; --serial 'x': no run of that tester in the archive; --host 'y': no run of that station in the "
                     "archive");
    }
    void listRunFilters()
    {
        QTemporaryDir dir;
        ArchiveLocation location;
        location.path = dir.filePath("runs.sqlite");
        SqlArchiveStore store(location);
        QCOMPARE(store.open(true), QString());
        const QDateTime now(QDate(2026, 12, 7), QTime(12, 0));
        writeRun(store, "41800123", "lab-1", now.addDays(-6));
        writeRun(store, "41800124", "lab-2", now.addDays(-4));
        const AppOptions options =
            parseCommandLine(QStringList{"lifecycle", "--list-runs"} + fetched<QStringList>("args"));
        QVERIFY(!options.exitNow);
        QStringList lines;
        QString failure;
        QTEST(listRunLines(store, options, now, lines, failure), "exitCode");
        QStringList serials;
        for (const QString &line : lines)
            serials << line.section(u'\t', 1, 1);
        QTEST(failure.isEmpty() ? serials.join(u' ') : failure, "answer");
    }

    // --export-run against an archive: the last run, none in an empty one, an id it lacks.
    void exportRunCommand_data()
    {
        addColumns<QString, bool, int>("which", "withRun", "exitCode");
        addRow("the last run", "last", true, 0);
        addRow("the last of an empty archive", "last", false, 2);
        addRow("a run the archive lacks", "99", true, 2);
    }
    void exportRunCommand()
    {
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        const QString path = dir.filePath("runs.sqlite");
        {
            ArchiveLocation location;
            location.path = path;
            SqlArchiveStore store(location);
            QCOMPARE(store.open(true), QString());
            if (fetched<bool>("withRun"))
                writeRun(store, "41800123", "lab-1", QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
        }
        const QString out = dir.filePath("out.txt");
        const AppOptions options =
            parseCommandLine({"lifecycle", "--archive", path, "--export-run", fetched<QString>("which"), out});
        QVERIFY(!options.exitNow);
        MemorySettingsStore settings;
        QCOMPARE(runArchiveCommand(options, settings), exitCode);
        QCOMPARE(QFile::exists(out), exitCode == 0);
    }

    void simulatedTesterIsPortOneAndTraced()
    {
        QTemporaryDir dir;
        MemorySettingsStore settings;
        settings.write("Ports", "Comm2", "/dev/null");   // not a port while simulating
        AppOptions options = parseCommandLine({"lifecycle", "--simulate"});
        options.traceFile = dir.filePath("trace.txt");
        SerialSetup setup(options, settings);
        SerialPort &port = setup.port();
        for (int n = 2; n <= 16; ++n) {
            port.selectPort(n);
            QVERIFY2(!port.open(), qPrintable(QString::number(n)));
        }

        TesterState s;
        FakeView view;
        TesterEngine engine(s, port, view);
        // Ticks at the program's pace: the simulated tester on real time gets the program's reply time-out.
        QElapsedTimer clock;
        clock.start();
        while (!(s.session.downloadedOnce && engine.commReady()) && clock.elapsed() < 20000) {
            engine.pollTick();
            QTest::qWait(50);
        }
        // Switched on in the middle of a test, as a tester left running.
        QCOMPARE(oneLine(s.link.port, s.counters.running), "1 1");
        QVERIFY(!s.identity.serialNumber.isEmpty());

        QFile trace(options.traceFile);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        const QByteArray text = trace.readAll();
        QVERIFY(text.contains(" < *12;"));
    }

    // A simulated station: ports 1 to N, each opened by a port object of its own; the trace names each line's port.
    void simulatedStationHasItsPortsAndNamesThemInTheTrace()
    {
        QTemporaryDir dir;
        MemorySettingsStore settings;
        AppOptions options = parseCommandLine({"lifecycle", "--simulate", "2"});
        options.traceFile = dir.filePath("trace.txt");
        SerialSetup setup(options, settings);
        SerialPort &first = setup.newPort();
        SerialPort &second = setup.newPort();
        const auto opens = [](SerialPort &port, int number) {
            port.selectPort(number);
            return port.open();
        };
        // In the order written: the second port tries 3, then 2.
        QCOMPARE((QList<bool>{opens(first, 1), opens(second, 3), opens(second, 2)}), (QList<bool>{true, false, true}));
        second.write("\x1b");
        QFile trace(options.traceFile);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        QVERIFY(trace.readAll().contains(" [2] > \\e"));
    }
};

QTEST_GUILESS_MAIN(SerialSetupTest)
#include "SerialSetupTest.moc"

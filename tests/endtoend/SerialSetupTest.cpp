// The program's command line: what each option sets, and what ends the
// program before it starts (help, version, a bad option with exit code 2).
// Its serial setup with --simulate: the simulated tester is port 1 and the
// only port, and --trace records the conversation.

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
#include "support/MemorySettingsStore.h"
#include "support/TestRows.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using PortList = QMap<int, QString>;

class SerialSetupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");   // -1: the program goes on
        QTest::addColumn<bool>("simulate");
        QTest::addColumn<PortList>("ports");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<QString>("plot");
        QTest::addColumn<int>("testers");   // simulated
        QTest::addColumn<bool>("station");

        const PortList none;
        addRow("ports, repeated, both forms, device with =: a station",
               QStringList{"--port", "1=/dev/pts/3", "--port=12=/dev/a=b", "--trace", "/tmp/t.txt"}, -1, false,
               PortList{{1, "/dev/pts/3"}, {12, "/dev/a=b"}}, "/tmp/t.txt", "", 0, true);
        addRow("one port: one tester", QStringList{"--port", "3=/dev/ttyUSB0"}, -1, false,
               PortList{{3, "/dev/ttyUSB0"}}, "", "", 0, false);
        addRow("help wins over a bad option", QStringList{"--help", "--bogus"}, 0, false, none, "", "", 0, false);
        addRow("version", QStringList{"--version"}, 0, false, none, "", "", 0, false);
        addRow("plot, value after =", QStringList{"--plot=/tmp/run 1.txt"}, -1, false, none, "", "/tmp/run 1.txt", 0,
               false);
        addRow("unknown option", QStringList{"--simulator"}, 2, false, none, "", "", 0, false);
        addRow("simulate 4: a station", QStringList{"--simulate", "4", "--port", "1=/dev/x"}, -1, true,
               PortList{{1, "/dev/x"}}, "", "", 4, true);
        addRow("simulate=1: one tester", QStringList{"--simulate=1"}, -1, true, none, "", "", 1, false);
        addRow("simulate 17", QStringList{"--simulate", "17"}, 2, false, none, "", "", 0, false);
        addRow("a station's report", QStringList{"--simulate", "2", "--report", "r.pdf"}, 2, false, none, "", "", 0,
               false);
        addRow("trend picture zoomed, cursor", QStringList{"--trend-zoom", "100:250.5", "--trend-cursor", "120"}, -1,
               false, none, "", "", 0, false);
        addRow("trend zoom backwards", QStringList{"--trend-zoom=250:100"}, 2, false, none, "", "", 0, false);
        addRow("trend zoom, one end", QStringList{"--trend-zoom=250"}, 2, false, none, "", "", 0, false);
        addRow("trend cursor, no number", QStringList{"--trend-cursor=x"}, 2, false, none, "", "", 0, false);
    }

    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(PortList, ports);

        const AppOptions options = parseCommandLine(QStringList{"lifecycle"} + args);
        QCOMPARE(options.exitNow, exitCode >= 0);
        if (options.exitNow) {
            QCOMPARE(options.exitCode, exitCode);
            return;
        }
        QTEST(options.simulate, "simulate");
        QCOMPARE(options.portMap, ports);
        QTEST(options.traceFile, "trace");
        QTEST(options.plotFile, "plot");
        QTEST(options.simulatedTesters, "testers");
        QTEST(options.station, "station");
    }

    void archiveOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");      // -1: the program goes on
        QTest::addColumn<QString>("request");   // archive|list|run|file
        addRow("list runs of a server", QStringList{"--archive", "postgresql://lab@db/runs", "--list-runs"}, -1,
               "postgresql://lab@db/runs|1||");
        addRow("export the last run", QStringList{"--export-run", "last", "out.txt"}, -1, "|0|last|out.txt");
        addRow("export by id", QStringList{"--export-run=12", "out.txt"}, -1, "|0|12|out.txt");
        addRow("export without a file", QStringList{"--export-run", "12"}, 2, "");
        addRow("export of no run", QStringList{"--export-run", "first", "out.txt"}, 2, "");
        addRow("run id zero", QStringList{"--export-run", "0", "out.txt"}, 2, "");
        addRow("list and export at once", QStringList{"--list-runs", "--export-run", "1", "f"}, 2, "");
        addRow("file without export", QStringList{"--list-runs", "f"}, 2, "");
        addRow("empty archive", QStringList{"--archive="}, 2, "");
        addRow("list runs filtered",
               QStringList{"--list-runs", "--serial", "41800123", "--host=lab-1", "--since", "7d"}, -1, "|1||");
        addRow("filter without --list-runs", QStringList{"--serial", "41800123"}, 2, "");
        addRow("filter with --export-run", QStringList{"--export-run", "1", "f", "--since", "7d"}, 2, "");
        addRow("empty filter value", QStringList{"--list-runs", "--host="}, 2, "");
    }

    void archiveOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const AppOptions options = parseCommandLine(QStringList{"lifecycle"} + args);
        QCOMPARE(options.exitNow ? options.exitCode : -1, exitCode);
        if (options.exitNow)
            return;
        QTEST(QStringList({options.archive, QString::number(options.listRuns), options.exportRun, options.exportFile})
                  .join(u'|'),
              "request");
        QCOMPARE(options.archiveOnly(), args.contains("--list-runs") || !options.exportRun.isEmpty());
    }

    // --list-runs with its filters over an archive of two testers on two
    // stations: the runs chosen, or one line naming each wrong value.
    void listRunFilters_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("answer");   // the S/N of each line, or the failure
        QTest::newRow("all") << QStringList{} << 0 << "41800124 41800123";
        QTest::newRow("one tester") << QStringList{"--serial", "41800123"} << 0 << "41800123";
        QTest::newRow("one station, any case") << QStringList{"--host", "LAB-2"} << 0 << "41800124";
        QTest::newRow("since a day") << QStringList{"--since", "2026-12-03"} << 0 << "41800124";
        QTest::newRow("last 5 days") << QStringList{"--since", "5d"} << 0 << "41800124";
        QTest::newRow("last 7 days") << QStringList{"--since", "7d"} << 0 << "41800124 41800123";
        QTest::newRow("known tester, no run since")
            << QStringList{"--serial", "41800123", "--since", "2026-12-04"} << 0 << "";
        QTest::newRow("unknown tester") << QStringList{"--serial", "4180012"} << 2
                                        << "--serial '4180012': no run of that tester in the archive";
        QTest::newRow("unknown station") << QStringList{"--host", "lab-9"} << 2
                                         << "--host 'lab-9': no run of that station in the archive";
        QTest::newRow("no such date") << QStringList{"--since", "2026-02-30"} << 2
                                      << "--since '2026-02-30' is not a date (YYYY-MM-DD) or a number of days (Nd)";
        QTest::newRow("days without d") << QStringList{"--since", "7"} << 2
                                        << "--since '7' is not a date (YYYY-MM-DD) or a number of days (Nd)";
        QTest::newRow("all wrong at once")
            << QStringList{"--since", "yesterday", "--serial", "x", "--host", "y"} << 2
            << "--since 'yesterday' is not a date (YYYY-MM-DD) or a number of days (Nd); --serial 'x': no run of that "
               "tester in the archive; --host 'y': no run of that station in the archive";
    }
    void listRunFilters()
    {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        ArchiveLocation location;
        location.path = dir.filePath("runs.sqlite");
        SqlArchiveStore store(location);
        QCOMPARE(store.open(true), QString());
        const QDateTime now(QDate(2026, 12, 7), QTime(12, 0));
        for (int tester = 0; tester < 2; ++tester) {
            TesterState s;
            s.identity.serialNumber = tester ? "41800124" : "41800123";
            FakeArchiveSink sink;
            RunRecorder recorder(s, sink, tester ? "lab-2" : "lab-1", "1.0.0");
            const QDateTime start = now.addDays(tester ? -4 : -6);
            recorder.runStarted(start);
            s.counters.updateTime = start.addSecs(60);
            recorder.sampleTaken();
            QCOMPARE(store.write(sink.records), QString());
        }
        const AppOptions options = parseCommandLine(QStringList{"lifecycle", "--list-runs"} + args);
        QVERIFY(!options.exitNow);
        QStringList lines;
        QString failure;
        QTEST(ListRunLines(store, options, now, lines, failure), "exitCode");
        QStringList serials;
        for (const QString &line : lines)
            serials << line.section(u'\t', 1, 1);
        QTEST(failure.isEmpty() ? serials.join(u' ') : failure, "answer");
    }

    void notifyOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");      // -1: the program goes on
        QTest::addColumn<QString>("request");   // webhook|web view|token
        addRow("webhook", QStringList{"--notify-url", "https://chat.example/hook"}, -1, "https://chat.example/hook||");
        addRow("webhook not http", QStringList{"--notify-url", "ftp://x/y"}, 2, "");
        addRow("web view on loopback", QStringList{"--http", "127.0.0.1:8080"}, -1, "|127.0.0.1:8080|");
        addRow("a port alone", QStringList{"--http=8080"}, -1, "|8080|");
        addRow("the network without a token", QStringList{"--http", "0.0.0.0:8080"}, 2, "");
        addRow("the network with a token", QStringList{"--http", "0.0.0.0:8080", "--http-token", "t0k"}, -1,
               "|0.0.0.0:8080|t0k");
        addRow("an empty token", QStringList{"--http", "0.0.0.0:8080", "--http-token", " "}, 2, "");
        addRow("bad address", QStringList{"--http", "127.0.0.1:99999"}, 2, "");
    }

    void notifyOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const AppOptions options = parseCommandLine(QStringList{"lifecycle"} + args);
        QCOMPARE(options.exitNow ? options.exitCode : -1, exitCode);
        if (!options.exitNow)
            QTEST(QStringList({options.notifyUrl, options.webAddress, options.webToken}).join(u'|'), "request");
    }

    void logOption_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");   // -1: the program goes on
        QTest::addColumn<QString>("logFile");
        addRow("log with the simulated tester", QStringList{"--simulate", "--log", "C:\\runs\\a b.txt"}, -1,
               "C:\\runs\\a b.txt");
        addRow("log, value after =", QStringList{"--log=run.txt"}, -1, "run.txt");
        addRow("log without a file", QStringList{"--log="}, 2, "");
        addRow("log with a station", QStringList{"--simulate", "2", "--log", "run.txt"}, 2, "");
    }

    void logOption()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const AppOptions options = parseCommandLine(QStringList{"lifecycle"} + args);
        QCOMPARE(options.exitNow ? options.exitCode : -1, exitCode);
        if (!options.exitNow)
            QTEST(options.logFile, "logFile");
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
        // The simulated tester runs on real time inside the program: ticks at
        // the program's pace give it the program's reply time-out, however
        // slowly a loaded machine lets it answer.
        QElapsedTimer clock;
        clock.start();
        while (!(s.session.downloadedOnce && engine.commReady()) && clock.elapsed() < 20000) {
            engine.pollTick();
            QTest::qWait(50);
        }
        QCOMPARE(s.link.port, TesterState::Integer(1));
        QVERIFY(!s.identity.serialNumber.isEmpty());
        // Switched on in the middle of a test, as a tester left running.
        QVERIFY(s.counters.running);

        QFile trace(options.traceFile);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        const QByteArray text = trace.readAll();
        QVERIFY(text.contains(" < *12;"));
    }

    // A simulated station: ports 1 to N, each opened by a port object of
    // its own tester; the trace names the port of each line.
    void simulatedStationHasItsPortsAndNamesThemInTheTrace()
    {
        QTemporaryDir dir;
        MemorySettingsStore settings;
        AppOptions options = parseCommandLine({"lifecycle", "--simulate", "2"});
        options.traceFile = dir.filePath("trace.txt");
        SerialSetup setup(options, settings);
        SerialPort &first = setup.newPort();
        SerialPort &second = setup.newPort();
        const struct
        {
            SerialPort &port;
            int number;
            bool opens;
        } tries[] = {{first, 1, true}, {second, 3, false}, {second, 2, true}};
        for (const auto &attempt : tries) {
            attempt.port.selectPort(attempt.number);
            QCOMPARE(attempt.port.open(), attempt.opens);
        }
        second.write("\x1b");
        QFile trace(options.traceFile);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        QVERIFY(trace.readAll().contains(" [2] > \\e"));
    }
};

QTEST_GUILESS_MAIN(SerialSetupTest)
#include "SerialSetupTest.moc"

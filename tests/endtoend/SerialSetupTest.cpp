// The program's command line: what each option sets, and what ends the
// program before it starts (help, version, a bad option with exit code 2).
// Its serial setup with --simulate: the simulated tester is port 1 and the
// only port, and --trace records the conversation.

#include "app/SerialSetup.h"
#include "app/AppOptions.h"
#include "engine/link/SerialPort.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "support/FakeView.h"
#include "support/MemorySettingsStore.h"

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
        QTest::newRow("ports, repeated, both forms, device with =: a station")
            << QStringList{"--port", "1=/dev/pts/3", "--port=12=/dev/a=b", "--trace", "/tmp/t.txt"} << -1 << false
            << PortList{{1, "/dev/pts/3"}, {12, "/dev/a=b"}} << "/tmp/t.txt"
            << "" << 0 << true;
        QTest::newRow("one port: one tester")
            << QStringList{"--port", "3=/dev/ttyUSB0"} << -1 << false << PortList{{3, "/dev/ttyUSB0"}} << ""
            << "" << 0 << false;
        QTest::newRow("help wins over a bad option") << QStringList{"--help", "--bogus"} << 0 << false << none << ""
                                                     << "" << 0 << false;
        QTest::newRow("version") << QStringList{"--version"} << 0 << false << none << ""
                                 << "" << 0 << false;
        QTest::newRow("plot, value after =") << QStringList{"--plot=/tmp/run 1.txt"} << -1 << false << none << ""
                                             << "/tmp/run 1.txt" << 0 << false;
        QTest::newRow("unknown option") << QStringList{"--simulator"} << 2 << false << none << ""
                                        << "" << 0 << false;
        QTest::newRow("simulate 4: a station")
            << QStringList{"--simulate", "4", "--port", "1=/dev/x"} << -1 << true << PortList{{1, "/dev/x"}} << ""
            << "" << 4 << true;
        QTest::newRow("simulate=1: one tester") << QStringList{"--simulate=1"} << -1 << true << none << ""
                                                << "" << 1 << false;
        QTest::newRow("simulate 17") << QStringList{"--simulate", "17"} << 2 << false << none << ""
                                     << "" << 0 << false;
        QTest::newRow("a station's report")
            << QStringList{"--simulate", "2", "--report", "r.pdf"} << 2 << false << none << ""
            << "" << 0 << false;
        QTest::newRow("trend picture zoomed, cursor")
            << QStringList{"--trend-zoom", "100:250.5", "--trend-cursor", "120"} << -1 << false << none << ""
            << "" << 0 << false;
        QTest::newRow("trend zoom backwards") << QStringList{"--trend-zoom=250:100"} << 2 << false << none << ""
                                              << "" << 0 << false;
        QTest::newRow("trend zoom, one end") << QStringList{"--trend-zoom=250"} << 2 << false << none << ""
                                             << "" << 0 << false;
        QTest::newRow("trend cursor, no number") << QStringList{"--trend-cursor=x"} << 2 << false << none << ""
                                                 << "" << 0 << false;
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
        QTest::newRow("list runs of a server") << QStringList{"--archive", "postgresql://lab@db/runs", "--list-runs"}
                                               << -1 << "postgresql://lab@db/runs|1||";
        QTest::newRow("export the last run")
            << QStringList{"--export-run", "last", "out.txt"} << -1 << "|0|last|out.txt";
        QTest::newRow("export by id") << QStringList{"--export-run=12", "out.txt"} << -1 << "|0|12|out.txt";
        QTest::newRow("export without a file") << QStringList{"--export-run", "12"} << 2 << "";
        QTest::newRow("export of no run") << QStringList{"--export-run", "first", "out.txt"} << 2 << "";
        QTest::newRow("run id zero") << QStringList{"--export-run", "0", "out.txt"} << 2 << "";
        QTest::newRow("list and export at once") << QStringList{"--list-runs", "--export-run", "1", "f"} << 2 << "";
        QTest::newRow("file without export") << QStringList{"--list-runs", "f"} << 2 << "";
        QTest::newRow("empty archive") << QStringList{"--archive="} << 2 << "";
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

    void notifyOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");      // -1: the program goes on
        QTest::addColumn<QString>("request");   // webhook|web view|token
        QTest::newRow("webhook") << QStringList{"--notify-url", "https://chat.example/hook"} << -1
                                 << "https://chat.example/hook||";
        QTest::newRow("webhook not http") << QStringList{"--notify-url", "ftp://x/y"} << 2 << "";
        QTest::newRow("web view on loopback") << QStringList{"--http", "127.0.0.1:8080"} << -1 << "|127.0.0.1:8080|";
        QTest::newRow("a port alone") << QStringList{"--http=8080"} << -1 << "|8080|";
        QTest::newRow("the network without a token") << QStringList{"--http", "0.0.0.0:8080"} << 2 << "";
        QTest::newRow("the network with a token")
            << QStringList{"--http", "0.0.0.0:8080", "--http-token", "t0k"} << -1 << "|0.0.0.0:8080|t0k";
        QTest::newRow("an empty token") << QStringList{"--http", "0.0.0.0:8080", "--http-token", " "} << 2 << "";
        QTest::newRow("bad address") << QStringList{"--http", "127.0.0.1:99999"} << 2 << "";
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
        QTest::newRow("log with the simulated tester")
            << QStringList{"--simulate", "--log", "C:\\runs\\a b.txt"} << -1 << "C:\\runs\\a b.txt";
        QTest::newRow("log, value after =") << QStringList{"--log=run.txt"} << -1 << "run.txt";
        QTest::newRow("log without a file") << QStringList{"--log="} << 2 << "";
        QTest::newRow("log with a station") << QStringList{"--simulate", "2", "--log", "run.txt"} << 2 << "";
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
        while (!(s.DownLoadedOnce && engine.commReady()) && clock.elapsed() < 20000) {
            engine.pollTick();
            QTest::qWait(50);
        }
        QCOMPARE(s.link.port, TesterState::Integer(1));
        QVERIFY(!s.vSerialNumber.isEmpty());
        // Switched on in the middle of a test, as a tester left running.
        QVERIFY(s.Running);

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

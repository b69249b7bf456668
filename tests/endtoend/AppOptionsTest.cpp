// The program's command line: what each option sets, and what ends the
// program before it starts (help, version, a bad option with exit code 2).

#include "app/AppOptions.h"

#include <QTest>

using PortList = QMap<int, QString>;

class AppOptionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");          // -1: the program goes on
        QTest::addColumn<bool>("simulate");
        QTest::addColumn<PortList>("ports");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<QString>("plot");

        const PortList none;
        QTest::newRow("simulate") << QStringList{"--simulate"} << -1 << true << none << "" << "";
        QTest::newRow("ports, repeated, both forms, device with =")
            << QStringList{"--port", "1=/dev/pts/3", "--port=12=/dev/a=b", "--trace", "/tmp/t.txt"} << -1 << false
            << PortList{{1, "/dev/pts/3"}, {12, "/dev/a=b"}} << "/tmp/t.txt" << "";
        QTest::newRow("help wins over a bad option") << QStringList{"--help", "--bogus"} << 0 << false << none << "" << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << false << none << "" << "";
        QTest::newRow("plot, value after =")
            << QStringList{"--plot=/tmp/run 1.txt"} << -1 << false << none << "" << "/tmp/run 1.txt";
        QTest::newRow("flag with a value") << QStringList{"--simulate=yes"} << 2 << false << none << "" << "";
        QTest::newRow("plot without a file") << QStringList{"--plot"} << 2 << false << none << "" << "";
        QTest::newRow("unknown option") << QStringList{"--simulator"} << 2 << false << none << "" << "";
    }

    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(PortList, ports);

        const AppOptions options = ParseCommandLine(QStringList{"lifecycle"} + args);
        QCOMPARE(options.exitNow, exitCode >= 0);
        if (options.exitNow) {
            QCOMPARE(options.exitCode, exitCode);
            return;
        }
        QTEST(options.simulate, "simulate");
        QCOMPARE(options.portMap, ports);
        QTEST(options.traceFile, "trace");
        QTEST(options.plotFile, "plot");
    }
};

QTEST_GUILESS_MAIN(AppOptionsTest)
#include "AppOptionsTest.moc"

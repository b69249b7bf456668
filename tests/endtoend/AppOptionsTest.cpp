// The program's command line: what each option sets, and what ends the
// program before it starts (help, version, a bad option with exit code 2).

#include "app/AppOptions.h"

#include <QTest>

using PortList = QMap<int, QString>;

class AppOptionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void AppOptionsTest::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("exitNow");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("simulate");
    QTest::addColumn<PortList>("ports");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<QString>("screenshot");

    const PortList none;
    QTest::newRow("nothing") << QStringList{} << false << 0 << false << none << "" << "";
    QTest::newRow("simulate") << QStringList{"--simulate"} << false << 0 << true << none << "" << "";
    QTest::newRow("ports, repeated, both forms")
        << QStringList{"--port", "1=/dev/pts/3", "--port=12=/dev/serial/by-id/usb-x"} << false << 0 << false
        << PortList{{1, "/dev/pts/3"}, {12, "/dev/serial/by-id/usb-x"}} << "" << "";
    QTest::newRow("device with an equals sign") << QStringList{"--port", "2=/dev/a=b"} << false << 0 << false
                                                << PortList{{2, "/dev/a=b"}} << "" << "";
    QTest::newRow("trace and screenshot")
        << QStringList{"--trace", "/tmp/t.txt", "--screenshot=/tmp/s.png"} << false << 0 << false << none
        << "/tmp/t.txt" << "/tmp/s.png";
    QTest::newRow("help") << QStringList{"--help", "--bogus"} << true << 0 << false << none << "" << "";
    QTest::newRow("short help") << QStringList{"-h"} << true << 0 << false << none << "" << "";
    QTest::newRow("version") << QStringList{"--version"} << true << 0 << false << none << "" << "";
    QTest::newRow("unknown option") << QStringList{"--simulator"} << true << 2 << false << none << "" << "";
    QTest::newRow("stray argument") << QStringList{"file.txt"} << true << 2 << false << none << "" << "";
    QTest::newRow("port 0") << QStringList{"--port", "0=/dev/x"} << true << 2 << false << none << "" << "";
    QTest::newRow("port 17") << QStringList{"--port", "17=/dev/x"} << true << 2 << false << none << "" << "";
    QTest::newRow("port without device") << QStringList{"--port", "3="} << true << 2 << false << none << "" << "";
    QTest::newRow("port without number") << QStringList{"--port", "/dev/x"} << true << 2 << false << none << ""
                                         << "";
    QTest::newRow("port value missing") << QStringList{"--port"} << true << 2 << false << none << "" << "";
    QTest::newRow("trace file missing") << QStringList{"--trace"} << true << 2 << false << none << "" << "";
    QTest::newRow("simulate takes no value") << QStringList{"--simulate=yes"} << true << 2 << false << none << ""
                                             << "";
}

void AppOptionsTest::parse()
{
    QFETCH(QStringList, args);
    QFETCH(bool, exitNow);
    QFETCH(int, exitCode);
    QFETCH(bool, simulate);
    QFETCH(PortList, ports);
    QFETCH(QString, trace);
    QFETCH(QString, screenshot);

    const AppOptions options = ParseCommandLine(QStringList{"lifecycle"} + args);
    QCOMPARE(options.exitNow, exitNow);
    QCOMPARE(options.exitCode, exitCode);
    if (exitNow)
        return;
    QCOMPARE(options.simulate, simulate);
    QCOMPARE(options.portMap, ports);
    QCOMPARE(options.traceFile, trace);
    QCOMPARE(options.screenshotFile, screenshot);
    QCOMPARE(options.pollPeriodMs, 50);
}

QTEST_GUILESS_MAIN(AppOptionsTest)
#include "AppOptionsTest.moc"

// The port layer under the link: which device is port N (the command line,
// the settings store, the system's device list in name order, COMN on
// Windows), and the byte trace, every write and read with its time and
// direction, bytes that are not printable written so they can be read back.

#include "engine/link/TracingSerialPort.h"
#include "platform/PortMap.h"
#include "support/FakeSerialPort.h"
#include "support/MemorySettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using PortList = QMap<int, QString>;

class SerialBackendTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceForPort_data()
    {
        QTest::addColumn<PortList>("given");
        QTest::addColumn<PortList>("stored");          // "Ports" / "CommN"
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");

        const QStringList system = {"/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyUSB1"};
        const PortList none;
        QTest::newRow("n-th system device") << none << none << system << false << 2 << "/dev/ttyUSB0";
        QTest::newRow("stored device wins") << none << PortList{{2, "/dev/serial/by-id/x"}} << system << false << 2
                                            << "/dev/serial/by-id/x";
        QTest::newRow("given ports: the others do not exist") << PortList{{2, "/dev/pts/7"}} << PortList{{1, "/dev/a"}}
                                                              << system << false << 1 << "";
        QTest::newRow("windows: COMn, stored ignored") << none << PortList{{3, "/dev/a"}} << QStringList() << true << 3
                                                       << "COM3";
    }

    void deviceForPort()
    {
        QFETCH(PortList, given);
        QFETCH(PortList, stored);
        QFETCH(QStringList, system);
        QFETCH(bool, windows);
        QFETCH(int, port);
        QFETCH(QString, device);

        MemorySettingsStore settings;
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            settings.write("Ports", QStringLiteral("Comm%1").arg(it.key()), it.value());
        PortMap map(given, &settings);
        map.windowsNames = windows;
        map.listDevices = [system] { return system; };
        QCOMPARE(map.deviceFor(port), device);
    }

    // Numbers inside names compare as numbers, so ttyUSB10 comes after ttyUSB2.
    void systemDevicesSortInNameOrder()
    {
        QCOMPARE(PortMap::SortedByName({"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyACM0", "/dev/c010", "/dev/c9"}),
                 (QStringList{"/dev/c9", "/dev/c010", "/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10"}));
    }

    void traceLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("trace.txt");
        FakeSerialPort inner;
        TracingSerialPort port(inner, path);
        QVERIFY(port.traceOpen());
        QDateTime now(QDate(2024, 5, 2), QTime(14, 3, 7, 5));
        port.clock = [&] { return now; };

        port.selectPort(3);
        QVERIFY(port.open());
        port.write(QByteArray("\x1b"));
        now = now.addMSecs(120);
        inner.queueInput(QByteArray("*\r\x00\x7f\xfe", 5));
        QCOMPARE(port.bytesWaiting(), 5);
        QCOMPARE(port.readAll(), QByteArray("*\r\x00\x7f\xfe", 5));
        port.write("AE\\\n\r");
        port.close();
        QCOMPARE(inner.written, QByteArray("\x1b" "AE\\\n\r"));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> expected = {
            "2024-05-02 14:03:07.005 # open 3 ok",
            "2024-05-02 14:03:07.005 > \\e",
            "2024-05-02 14:03:07.125 < *\\r\\x00\\x7F\\xFE",
            "2024-05-02 14:03:07.125 > AE\\\\\\n\\r",
            "2024-05-02 14:03:07.125 # close",
            "",
        };
        QCOMPARE(file.readAll().split('\n'), expected);
    }
};

QTEST_GUILESS_MAIN(SerialBackendTest)
#include "SerialBackendTest.moc"

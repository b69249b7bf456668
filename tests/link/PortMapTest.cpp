// Which device is port N: the command line, the settings store, the system's
// device list in name order, and COMN on Windows.

#include "link/PortMap.h"
#include "support/MemorySettingsStore.h"

#include <QTest>

using PortList = QMap<int, QString>;

class PortMapTest : public QObject
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
        QTest::newRow("given port wins over stored") << PortList{{2, "/dev/pts/7"}} << PortList{{2, "/dev/a"}} << system
                                                     << false << 2 << "/dev/pts/7";
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
        QCOMPARE(PortMap::DeviceForPort(port, given, &settings, system, windows), device);
    }

    // Numbers inside names compare as numbers, so ttyUSB10 comes after ttyUSB2.
    void systemDevicesSortInNameOrder()
    {
        QCOMPARE(PortMap::SortedByName({"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyACM0", "/dev/c010", "/dev/c9"}),
                 (QStringList{"/dev/c9", "/dev/c010", "/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10"}));
    }
};

QTEST_GUILESS_MAIN(PortMapTest)
#include "PortMapTest.moc"

// The port layer under the link: which device is port N, why a port does not
// open, and the byte trace with unprintable bytes written so they read back.

#include "engine/link/TracingSerialPort.h"
#include "platform/PortMap.h"
#include "platform/QtSerialDevices.h"
#include "platform/QtSerialPort.h"
#include "support/FakeSerialPort.h"
#include "support/Fetched.h"
#include "support/MemorySettingsStore.h"
#include "support/TestKit.h"

using PortList = QMap<int, QString>;

class SerialBackendTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceForPort_data()
    {
        // given: on the command line; stored: "Ports" / "CommN"; system: the device list; pinned: "Ports" /
        // "Tester"; searched: the search tries the port
        addColumns<PortList, PortList, QStringList, bool, QString, int, QString, bool>(
            "given", "stored", "system", "windows", "pinned", "port", "device", "searched");

        const QStringList system = {"/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyUSB1"};
        const PortList none;
        addRow("n-th system device", none, none, system, false, "", 2, "/dev/ttyUSB0", true);
        // A device may be plugged in under it.
        addRow("beyond the system's devices", none, none, system, false, "", 9, "", true);
        addRow("stored device wins", none, PortList{{2, "/dev/serial/by-id/x"}}, system, false, "", 2,
               "/dev/serial/by-id/x", true);
        addRow("given ports: the others do not exist", PortList{{2, "/dev/pts/7"}}, PortList{{1, "/dev/a"}}, system,
               false, "", 1, "", false);
        addRow("given ports: one given", PortList{{2, "/dev/pts/7"}}, none, system, false, "", 2, "/dev/pts/7", true);
        addRow("windows: COMn, stored ignored", none, PortList{{3, "/dev/a"}}, QStringList(), true, "", 3, "COM3",
               true);
        // A pinned device is the only port, under its number (1 when it has none).
        addRow("pinned: its own number", none, none, system, false, "/dev/ttyUSB1", 3, "/dev/ttyUSB1", true);
        addRow("pinned: no other port", none, none, system, false, "/dev/ttyUSB1", 2, "", false);
        addRow("pinned: Comm 16 of the settings", none, PortList{{16, "/dev/ttyACM0"}}, system, false, "/dev/ttyACM0",
               16, "/dev/ttyACM0", true);
        addRow("pinned, not listed: port 1", none, none, system, false, "/dev/pts/9", 1, "/dev/pts/9", true);
        addRow("pinned, not a given port: ignored for the run", PortList{{1, "/dev/pts/3"}}, none, system, false,
               "/dev/ttyUSB1", 1, "/dev/pts/3", true);
        addRow("no port 17", none, none, system, false, "", 17, "", false);
    }

    void deviceForPort()
    {
        QFETCH(PortList, stored);
        QFETCH(QStringList, system);
        QFETCH(int, port);
        MemorySettingsStore settings;
        settings.write("Ports", "Tester", fetched<QString>("pinned"));
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            settings.write("Ports", QStringLiteral("Comm%1").arg(it.key()), it.value());
        PortMap map(fetched<PortList>("given"), &settings);
        map.windowsNames = fetched<bool>("windows");
        map.listDevices = [system] { return system; };
        QTEST(map.deviceFor(port), "device");
        QTEST(map.portExists(port), "searched");
    }

    // A port that does not open says why and what to do.
    void openProblems_data()
    {
        addColumns<int, bool, QString, QString>("error", "mayReadWrite", "group", "problem");
        const int denied = QSerialPort::PermissionError;
        addRow("no access, another group", denied, false, "uucp", "permission denied (add the user to the uucp group)");
        addRow("no access, root's device", denied, false, "root",
               "permission denied (add the user to the dialout group)");
        addRow("access, yet refused: held elsewhere", denied, true, "dialout", "device busy (used by another program)");
        addRow("gone", int(QSerialPort::DeviceNotFoundError), true, "", "not present");
        addRow("anything else gives the system's words", int(QSerialPort::UnsupportedOperationError), true, "",
               "cannot be opened (Invalid argument)");
    }

    void openProblems()
    {
        const auto error = QSerialPort::SerialPortError(fetched<int>("error"));
        QTEST(QtSerialPort::openProblemText(error, fetched<bool>("mayReadWrite"), fetched<QString>("group"),
                                            "Invalid argument"),
              "problem");
    }

    // A mapped device that is not there fails at once and says so; a port without any device says nothing; a
    // device that is there but no serial port (a directory) fails to open and says why.
    void missingDeviceIsNotPresent()
    {
        QTemporaryDir dir;
        const QStringList devices = {"/dev/no-such-tty", QString(), dir.path()};
        QtSerialPort port([&devices](int n) { return devices.value(n - 1); });
        port.selectPort(1);
        QVERIFY(!port.open());
        QCOMPARE(port.openProblem(), QStringLiteral("not present"));
        port.selectPort(2);
        QVERIFY(!port.open());
        QCOMPARE(port.openProblem(), QString());
        port.selectPort(3);
        QVERIFY(!port.open() && !port.isOpen());
        QVERIFY(!port.openProblem().isEmpty());
    }

    // Run, Port... lists the system's devices with their numbers, then those only mapped or pinned; a pin by a
    // device's stable name marks it.
    void devicesWithTheirPorts_data()
    {
        addColumns<PortList, QString, QStringList>("numbering", "pinned", "listed");   // "Comm device ? +"

        const PortList mapped = {{1, "/dev/ttyS1"}, {2, "/dev/ttyUSB0"}, {3, "/dev/pts/4"}};
        addRow("automatic, a pseudo-terminal mapped", mapped, "",
               QStringList{"1 /dev/ttyS1", "2 /dev/ttyUSB0", "3 /dev/pts/4 ?"});
        addRow("pinned by its stable name", mapped, "/dev/serial/by-id/usb-FTDI-if00",
               QStringList{"1 /dev/ttyS1", "2 /dev/ttyUSB0 +", "3 /dev/pts/4 ?"});
        addRow("pinned to a device that is gone", PortList{{1, "/dev/ttyS1"}}, "/dev/ttyACM7",
               QStringList{"1 /dev/ttyS1", "0 /dev/ttyUSB0", "1 /dev/ttyACM7 ? +"});
    }

    void devicesWithTheirPorts()
    {
        QFETCH(PortList, numbering);
        QFETCH(QString, pinned);
        SerialDevice serial, usb;
        serial.device = "/dev/ttyS1";
        usb.device = "/dev/ttyUSB0";
        usb.stableName = "/dev/serial/by-id/usb-FTDI-if00";
        QStringList listed;
        for (const SerialDevice &d : QtSerialDevices::mergeDevices({serial, usb}, numbering, pinned))
            listed << QString::number(d.comm) + ' ' + d.device + (d.listed ? "" : " ?") + (d.pinned ? " +" : "");
        QTEST(listed, "listed");
        QCOMPARE(QtSerialDevices::usbIdText(0x403, 0x6001), QStringLiteral("0403:6001"));
    }

    // Numbers inside names compare as numbers, so ttyUSB10 comes after ttyUSB2.
    void systemDevicesSortInNameOrder()
    {
        QCOMPARE(PortMap::sortedByName({"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyACM0", "/dev/c010", "/dev/c9"}),
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
        QCOMPARE(inner.written, QByteArray("\x1b"
                                           "AE\\\n\r"));

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

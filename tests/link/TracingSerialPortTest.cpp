// The byte trace: every write and read with its time and direction, bytes
// that are not printable written so they can be read back.

#include "link/TracingSerialPort.h"
#include "support/FakeSerialPort.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TracingSerialPortTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escaped_data();
    void escaped();
    void traceLines();
};

void TracingSerialPortTest::escaped_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("command") << QByteArray("AE\r") << QByteArray("AE\\r");
    QTest::newRow("wake-up") << QByteArray("\x1b") << QByteArray("\\e");
    QTest::newRow("value with minus") << QByteArray("E4-1\r") << QByteArray("E4-1\\r");
    QTest::newRow("line feed and backslash") << QByteArray("a\\b\n") << QByteArray("a\\\\b\\n");
    QTest::newRow("high and control bytes") << QByteArray("\x00\x7f\xfe", 3) << QByteArray("\\x00\\x7F\\xFE");
}

void TracingSerialPortTest::escaped()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    QCOMPARE(TracingSerialPort::Escaped(bytes), text);
}

void TracingSerialPortTest::traceLines()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("trace.txt");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier run\n");
    }
    FakeSerialPort inner;
    TracingSerialPort port(inner, path);
    QVERIFY(port.traceOpen());
    QDateTime now(QDate(2024, 5, 2), QTime(14, 3, 7, 5));
    port.clock = [&] { return now; };

    port.selectPort(3);
    QVERIFY(port.open());
    port.write(QByteArray("\x1b"));
    now = now.addMSecs(120);
    inner.queueInput("*\r");
    QCOMPARE(port.bytesWaiting(), 2);
    QCOMPARE(port.readAll(), QByteArray("*\r"));
    QCOMPARE(port.readAll(), QByteArray());       // an empty read leaves no line
    port.write("AE\r");
    port.close();
    port.close();                                 // closing a closed port leaves no line

    // The port underneath saw exactly the same traffic.
    QCOMPARE(inner.selectedPort, 3);
    QCOMPARE(inner.written, QByteArray("\x1b" "AE\r"));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    const QList<QByteArray> expected = {
        "earlier run",
        "2024-05-02 14:03:07.005 # open 3 ok",
        "2024-05-02 14:03:07.005 > \\e",
        "2024-05-02 14:03:07.125 < *\\r",
        "2024-05-02 14:03:07.125 > AE\\r",
        "2024-05-02 14:03:07.125 # close",
        "",
    };
    QCOMPARE(lines, expected);
}

QTEST_GUILESS_MAIN(TracingSerialPortTest)
#include "TracingSerialPortTest.moc"

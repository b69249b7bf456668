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

QTEST_GUILESS_MAIN(TracingSerialPortTest)
#include "TracingSerialPortTest.moc"

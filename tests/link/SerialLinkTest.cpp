#include "support/FakeSerialPort.h"
#include "support/FakeView.h"
#include "link/SerialLink.h"
#include "state/TesterState.h"

#include <QTest>

class SerialLinkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openCommPort_data();
    void openCommPort();
    void getSerial_data();
    void getSerial();
    void lineArrivingInPieces();
    void streamWithoutLineEndStaysBounded();
};

void SerialLinkTest::openCommPort_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<bool>("alreadyOpen");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("selected");

    QTest::newRow("port 1") << 1 << false << false << true << 1;
    QTest::newRow("port 16") << 16 << false << false << true << 16;
    QTest::newRow("port 0 is not a port") << 0 << false << false << false << 0;
    QTest::newRow("port 17 is not a port") << 17 << false << false << false << 0;
    QTest::newRow("a port is already open") << 3 << true << false << false << 0;
    QTest::newRow("port in use") << 5 << false << true << false << 5;
}

void SerialLinkTest::openCommPort()
{
    QFETCH(int, portNumber);
    QFETCH(bool, alreadyOpen);
    QFETCH(bool, refused);
    QFETCH(bool, ok);
    QFETCH(int, selected);

    TesterState s;
    FakeSerialPort port;
    FakeView view;
    SerialLink link(s, port, view);
    if (alreadyOpen) {
        port.open();
        port.selectedPort = 0;
    }
    if (refused)
        port.refusePort(portNumber);
    link.RxBuffer = "stale";
    link.ReplyLine = QStringLiteral("stale");
    s.ComCnt = 3;

    bool result = !ok;
    link.OpenCommPort(portNumber, result);

    QCOMPARE(result, ok);
    QCOMPARE(port.selectedPort, selected);
    // A freshly opened port starts with clean buffers and a quiet line.
    QCOMPARE(s.ComCnt, ok ? 260 : 3);
    QCOMPARE(link.RxBuffer.isEmpty(), ok);
    QCOMPARE(port.discardInputCount, ok ? 1 : 0);
    QCOMPARE(port.discardOutputCount, ok ? 1 : 0);
}

void SerialLinkTest::getSerial_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("replyLine");
    QTest::addColumn<QByteArray>("leftOver");
    QTest::addColumn<int>("comCnt");
    QTest::addColumn<QByteArray>("kept");       // tester signals kept for the idle link

    QTest::newRow("nothing waiting") << QByteArray() << false << QString() << QByteArray() << 40 << QByteArray();
    QTest::newRow("star line") << QByteArray("*\r") << true << "*" << QByteArray() << 0 << QByteArray();
    QTest::newRow("characters after the CR are dropped")
        << QByteArray("*\r+*12\r") << true << "*" << QByteArray() << 0 << QByteArray();
    QTest::newRow("no CR yet") << QByteArray("*12;3") << false << QString() << QByteArray("*12;3") << 0 << QByteArray();
    QTest::newRow("empty line") << QByteArray("\r") << true << "" << QByteArray() << 0 << QByteArray();
    QTest::newRow("line without star") << QByteArray("?\r") << true << "?" << QByteArray() << 0 << QByteArray();
    // "+" and "-" that crossed a command on the wire.
    QTest::newRow("new data in front of a reply") << QByteArray("+*12\r") << true << "*12" << QByteArray() << 0 << QByteArray("+");
    QTest::newRow("both signals in front of a reply") << QByteArray("-+*\r") << true << "*" << QByteArray() << 0 << QByteArray("+-");
    QTest::newRow("new data right behind a reply") << QByteArray("*7\r+") << true << "*7" << QByteArray() << 0 << QByteArray("+");
    QTest::newRow("a minus in the data is no signal") << QByteArray("*-1;-2\r") << true << "*-1;-2" << QByteArray() << 0 << QByteArray();
    QTest::newRow("a minus in front of text is no signal") << QByteArray("-5\r") << true << "-5" << QByteArray() << 0 << QByteArray();
    QTest::newRow("signs among other text behind a reply") << QByteArray("*\r-5") << true << "*" << QByteArray() << 0 << QByteArray();
}

void SerialLinkTest::getSerial()
{
    QFETCH(QByteArray, received);
    QFETCH(bool, complete);
    QFETCH(QString, replyLine);
    QFETCH(QByteArray, leftOver);
    QFETCH(int, comCnt);
    QFETCH(QByteArray, kept);

    TesterState s;
    FakeSerialPort port;
    FakeView view;
    SerialLink link(s, port, view);
    s.ComCnt = 40;
    port.queueInput(received);

    QCOMPARE(link.GetSerial(), complete);
    QCOMPARE(link.ReplyLine, replyLine);
    QCOMPARE(link.RxBuffer, leftOver);
    QCOMPARE(int(s.ComCnt), comCnt);
    QVERIFY(port.input.isEmpty());
    QCOMPARE(link.takePendingSignals(), kept);
    QVERIFY(link.takePendingSignals().isEmpty());
}

void SerialLinkTest::lineArrivingInPieces()
{
    TesterState s;
    FakeSerialPort port;
    FakeView view;
    SerialLink link(s, port, view);

    port.queueInput("*1");
    QVERIFY(!link.GetSerial());
    port.queueInput("2;3");
    QVERIFY(!link.GetSerial());
    port.queueInput("4\r");
    QVERIFY(link.GetSerial());
    QCOMPARE(link.ReplyLine, QStringLiteral("*12;34"));
}

void SerialLinkTest::streamWithoutLineEndStaysBounded()
{
    TesterState s;
    FakeSerialPort port;
    FakeView view;
    SerialLink link(s, port, view);

    // Each new character still restarts the timeout, but memory stays bounded.
    for (int chunk = 0; chunk < 500; ++chunk) {
        s.ComCnt = 100;
        port.queueInput(QByteArray(100, char('a' + chunk % 26)));
        QVERIFY(!link.GetSerial());
        QCOMPARE(int(s.ComCnt), 0);
        QVERIFY(link.RxBuffer.size() <= SerialLink::RxBufferLimit);
    }
    QCOMPARE(int(link.RxBuffer.size()), SerialLink::RxBufferLimit);
    // The newest characters are the ones kept.
    QVERIFY(link.RxBuffer.endsWith(QByteArray(100, char('a' + 499 % 26))));

    port.queueInput("xyz\r");
    QVERIFY(link.GetSerial());
    QVERIFY(link.ReplyLine.endsWith(QStringLiteral("xyz")));
    QVERIFY(link.RxBuffer.isEmpty());
}

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "SerialLinkTest.moc"

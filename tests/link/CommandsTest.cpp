#include "support/FakeSerialPort.h"
#include "support/FakeView.h"
#include "link/Commands.h"
#include "link/SerialLink.h"
#include "state/TesterState.h"

#include <QTest>

class CommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void send_data();
    void send();
};

// What one call of SendCommand (no value) or SendValueCommand does to the
// line and to the link fields. Before the call: comDelayed = 200 and
// comDelayedStr = "old"; MustWait is set while a reply is awaited.
void CommandsTest::send_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("comSeq");
    QTest::addColumn<int>("comCnt");
    // expected
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("newComSeq");
    QTest::addColumn<int>("newComDelayed");
    QTest::addColumn<QString>("newComDelayedStr");

    const QByteArray esc("\x1b");
    QTest::newRow("data request on a lively line")
        << 174 << QString() << true << 0 << 3 << QByteArray("AE\r") << 10 << 174 << "old";
    QTest::newRow("exactly five quiet ticks need no wake-up")
        << 161 << QString() << true << 0 << 5 << QByteArray("A1\r") << 10 << 161 << "old";
    QTest::newRow("negative cycle limit")
        << 228 << "-1" << true << 0 << 3 << QByteArray("E4-1\r") << 10 << 228 << "-1";
    QTest::newRow("break count after a quiet line is parked with its value")
        << 243 << "100" << true << 0 << 260 << esc << 5 << 243 << "100";
    QTest::newRow("a value command needs a value")
        << 225 << QString() << true << 0 << 3 << QByteArray() << 0 << 0 << "old";
    QTest::newRow("port closed")
        << 174 << QString() << false << 0 << 3 << QByteArray() << 0 << 200 << "old";
    QTest::newRow("reply awaited")
        << 174 << QString() << true << 10 << 3 << QByteArray() << 10 << 200 << "old";
}

void CommandsTest::send()
{
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(bool, portOpen);
    QFETCH(int, comSeq);
    QFETCH(int, comCnt);
    QFETCH(QByteArray, wire);
    QFETCH(int, newComSeq);
    QFETCH(int, newComDelayed);
    QFETCH(QString, newComDelayedStr);

    TesterState s;
    FakeSerialPort port;
    FakeView view;
    SerialLink link(s, port, view);
    Commands commands(s, link, view);
    s.ComChanOpen = portOpen;
    s.ComSeq = comSeq;
    s.ComCnt = comCnt;
    s.MustWait = comSeq >= 10;
    s.comDelayed = 200;
    s.comDelayedStr = QStringLiteral("old");

    if (value.isNull())
        commands.SendCommand(code);
    else
        commands.SendValueCommand(code, value);

    QCOMPARE(port.written, wire);
    QCOMPARE(int(s.ComSeq), newComSeq);
    QCOMPARE(int(s.comDelayed), newComDelayed);
    QCOMPARE(s.comDelayedStr, newComDelayedStr);
    // Only a command on the wire blocks the operator; a wake-up leaves the
    // link waiting for the star line.
    QCOMPARE(s.MustWait, newComSeq >= 10);
    QCOMPARE(int(s.ComCnt), wire.isEmpty() ? comCnt : 0);
}

QTEST_GUILESS_MAIN(CommandsTest)
#include "CommandsTest.moc"

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
    void commandText_data();
    void commandText();
};

// What one call of SendCommand / SendValueCommand does to the line and to
// the link fields. Before the call: the port is open, comDelayed = 200 and
// comDelayedStr = "old" unless the row says otherwise.
void CommandsTest::send_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("withValue");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("comSeq");
    QTest::addColumn<int>("comCnt");
    QTest::addColumn<bool>("mustWait");
    // expected
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("newComSeq");
    QTest::addColumn<int>("newComCnt");
    QTest::addColumn<int>("newComDelayed");
    QTest::addColumn<QString>("newComDelayedStr");
    QTest::addColumn<bool>("newMustWait");
    QTest::addColumn<int>("controlUpdates");

    const QByteArray esc("\x1b");
    QTest::newRow("data request on a lively line")
        << 174 << false << QString() << true << 0 << 3 << false
        << QByteArray("AE\r") << 10 << 0 << 174 << "old" << true << 1;
    QTest::newRow("data request after a quiet line wakes the tester first")
        << 174 << false << QString() << true << 0 << 6 << false
        << esc << 5 << 0 << 174 << "old" << false << 0;
    QTest::newRow("exactly five quiet ticks need no wake-up")
        << 161 << false << QString() << true << 0 << 5 << false
        << QByteArray("A1\r") << 10 << 0 << 161 << "old" << true << 1;
    QTest::newRow("already waiting: controls not recomputed")
        << 162 << false << QString() << true << 0 << 0 << true
        << QByteArray("A2\r") << 10 << 0 << 162 << "old" << true << 0;
    QTest::newRow("a code without text")
        << 168 << false << QString() << true << 0 << 3 << false
        << QByteArray() << 0 << 3 << 0 << "old" << false << 0;
    QTest::newRow("a code without text after a quiet line is not parked")
        << 185 << false << QString() << true << 0 << 100 << false
        << QByteArray() << 0 << 100 << 0 << "old" << false << 0;
    QTest::newRow("a value command needs a value")
        << 225 << false << QString() << true << 0 << 3 << false
        << QByteArray() << 0 << 3 << 0 << "old" << false << 0;
    QTest::newRow("a bare command takes no value")
        << 174 << true << "5" << true << 0 << 3 << false
        << QByteArray() << 0 << 3 << 0 << "old" << false << 0;
    QTest::newRow("negative cycle limit")
        << 228 << true << "-1" << true << 0 << 3 << false
        << QByteArray("E4-1\r") << 10 << 0 << 228 << "-1" << true << 1;
    QTest::newRow("fail limit 5")
        << 226 << true << "5" << true << 0 << 0 << false
        << QByteArray("E25\r") << 10 << 0 << 226 << "5" << true << 1;
    QTest::newRow("break count after a quiet line is parked with its value")
        << 243 << true << "100" << true << 0 << 260 << false
        << esc << 5 << 0 << 243 << "100" << false << 0;
    QTest::newRow("serial number text as stored")
        << 224 << true << "AB 12" << true << 0 << 1 << false
        << QByteArray("E0AB 12\r") << 10 << 0 << 224 << "AB 12" << true << 1;
    QTest::newRow("port closed: nothing changes")
        << 174 << false << QString() << false << 0 << 3 << false
        << QByteArray() << 0 << 3 << 200 << "old" << false << 0;
    QTest::newRow("reply awaited: nothing changes")
        << 174 << false << QString() << true << 10 << 3 << true
        << QByteArray() << 10 << 3 << 200 << "old" << true << 0;
    QTest::newRow("reply awaited, gap code: nothing changes")
        << 168 << false << QString() << true << 10 << 3 << true
        << QByteArray() << 10 << 3 << 200 << "old" << true << 0;
    QTest::newRow("probing a port: nothing changes")
        << 174 << false << QString() << true << 32 << 3 << true
        << QByteArray() << 32 << 3 << 200 << "old" << true << 0;
    QTest::newRow("woken moments ago: the new command goes out at once")
        << 161 << false << QString() << true << 5 << 2 << false
        << QByteArray("A1\r") << 10 << 0 << 161 << "old" << true << 1;
    QTest::newRow("woken long ago: another wake-up")
        << 161 << false << QString() << true << 5 << 6 << false
        << esc << 5 << 0 << 161 << "old" << false << 0;
}

void CommandsTest::send()
{
    QFETCH(int, code);
    QFETCH(bool, withValue);
    QFETCH(QString, value);
    QFETCH(bool, portOpen);
    QFETCH(int, comSeq);
    QFETCH(int, comCnt);
    QFETCH(bool, mustWait);
    QFETCH(QByteArray, wire);
    QFETCH(int, newComSeq);
    QFETCH(int, newComCnt);
    QFETCH(int, newComDelayed);
    QFETCH(QString, newComDelayedStr);
    QFETCH(bool, newMustWait);
    QFETCH(int, controlUpdates);

    TesterState s;
    FakeSerialPort port;
    FakeView view;
    SerialLink link(s, port, view);
    Commands commands(s, link, view);
    s.ComChanOpen = portOpen;
    s.ComSeq = comSeq;
    s.ComCnt = comCnt;
    s.MustWait = mustWait;
    s.comDelayed = 200;
    s.comDelayedStr = QStringLiteral("old");

    if (withValue)
        commands.SendValueCommand(code, value);
    else
        commands.SendCommand(code);

    QCOMPARE(port.written, wire);
    QCOMPARE(int(s.ComSeq), newComSeq);
    QCOMPARE(int(s.ComCnt), newComCnt);
    QCOMPARE(int(s.comDelayed), newComDelayed);
    QCOMPARE(s.comDelayedStr, newComDelayedStr);
    QCOMPARE(s.MustWait, newMustWait);
    QCOMPARE(view.count(QStringLiteral("SetControls")), controlUpdates);
}

void CommandsTest::commandText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("first bare") << 160 << "A0";
    QTest::newRow("data request") << 174 << "AE";
    QTest::newRow("before a gap") << 184 << "B8";
    QTest::newRow("after the gap") << 192 << "C0";
    QTest::newRow("last bare") << 223 << "DF";
    QTest::newRow("first value") << 224 << "E0";
    QTest::newRow("break count") << 243 << "F3";
    QTest::newRow("gap 168") << 168 << "";
    QTest::newRow("gap 169") << 169 << "";
    QTest::newRow("gap 173") << 173 << "";
    QTest::newRow("gap 185") << 185 << "";
    QTest::newRow("gap 191") << 191 << "";
    QTest::newRow("below") << 159 << "";
    QTest::newRow("above") << 244 << "";
    QTest::newRow("nothing") << 0 << "";
}

void CommandsTest::commandText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(CommandText(code), text);
}

QTEST_GUILESS_MAIN(CommandsTest)
#include "CommandsTest.moc"

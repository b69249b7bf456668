#include "support/FakeSerialPort.h"
#include "support/FakeView.h"
#include "link/SerialLink.h"
#include "state/TesterState.h"

#include <QTest>

struct LinkRig
{
    TesterState s;
    FakeSerialPort port;
    FakeView view;
    SerialLink link{s, port, view};
};

class SerialLinkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getSerial_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("replyLine");
        QTest::addColumn<QByteArray>("leftOver");
        QTest::addColumn<QByteArray>("kept");       // tester signals kept for the idle link

        QTest::newRow("characters after the CR are dropped") << QByteArray("*\r+*12\r") << true << "*" << QByteArray() << QByteArray();
        QTest::newRow("no CR yet") << QByteArray("*12;3") << false << QString() << QByteArray("*12;3") << QByteArray();
        // "+" and "-" that crossed a command on the wire.
        QTest::newRow("new data in front of a reply") << QByteArray("+*12\r") << true << "*12" << QByteArray() << QByteArray("+");
        QTest::newRow("both signals in front of a reply") << QByteArray("-+*\r") << true << "*" << QByteArray() << QByteArray("+-");
        QTest::newRow("new data right behind a reply") << QByteArray("*7\r+") << true << "*7" << QByteArray() << QByteArray("+");
        QTest::newRow("a minus in the data is no signal") << QByteArray("*-1;-2\r") << true << "*-1;-2" << QByteArray() << QByteArray();
        QTest::newRow("signs among other text behind a reply") << QByteArray("*\r-5") << true << "*" << QByteArray() << QByteArray();
    }

    void getSerial()
    {
        QFETCH(QByteArray, received);

        LinkRig rig;
        rig.s.ComCnt = 40;
        rig.port.queueInput(received);

        QTEST(rig.link.GetSerial(), "complete");
        QTEST(rig.link.ReplyLine, "replyLine");
        QTEST(rig.link.RxBuffer, "leftOver");
        QCOMPARE(int(rig.s.ComCnt), 0);   // any character restarts the timeout
        QTEST(rig.link.takePendingSignals(), "kept");
        QVERIFY(rig.link.takePendingSignals().isEmpty());
    }

    void streamWithoutLineEndStaysBounded()
    {
        LinkRig rig;
        for (int chunk = 0; chunk < 500; ++chunk) {
            rig.s.ComCnt = 100;
            rig.port.queueInput(QByteArray(100, char('a' + chunk % 26)));
            QVERIFY(!rig.link.GetSerial());
            QCOMPARE(int(rig.s.ComCnt), 0);
        }
        // The newest characters are the ones kept, and a line end still completes them.
        const QByteArray kept = rig.link.RxBuffer;
        QCOMPARE(int(kept.size()), SerialLink::RxBufferLimit);
        QVERIFY(kept.endsWith(QByteArray(100, char('a' + 499 % 26))));
        rig.port.queueInput("xyz\r");
        QVERIFY(rig.link.GetSerial());
        QCOMPARE(rig.link.ReplyLine, QString::fromLatin1(kept + "xyz"));
        QVERIFY(rig.link.RxBuffer.isEmpty());
    }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "SerialLinkTest.moc"

#include "supervision/EngineRig.h"

#include <QTest>

// What one command puts on the line, and whether the link is free for the
// next one, against a tester that answers at once (a data request with the
// record "12;1;2").
class CommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void send_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("value");         // none: sent without a value
        QTest::addColumn<int>("quietTicks");
        QTest::addColumn<QString>("link");          // "open", "closed", "busy": a data request awaits its reply
        QTest::addColumn<QStringList>("frames");    // what the tester receives until the link is idle again
        QTest::addColumn<bool>("readyAtOnce");      // the operator may send the next command right away

        QTest::newRow("lively line") << 200 << QString() << 3 << "open" << QStringList{"C8"} << false;
        QTest::newRow("five quiet ticks need no wake-up") << 200 << QString() << 5 << "open" << QStringList{"C8"} << false;
        QTest::newRow("quiet line: wake-up, then the parked command with its value")
            << 243 << "100" << 6 << "open" << QStringList{"<ESC>", "F3100"} << true;
        QTest::newRow("a value command needs a value, no wake-up for it")
            << 225 << QString() << 260 << "open" << QStringList() << true;
        QTest::newRow("a code without meaning") << 168 << QString() << 0 << "open" << QStringList() << true;
        QTest::newRow("port closed") << 200 << QString() << 0 << "closed" << QStringList() << false;
        QTest::newRow("reply awaited: refused, that reply still counts")
            << 200 << QString() << 0 << "busy" << QStringList{"AE"} << false;
    }

    void send()
    {
        QFETCH(int, code);
        QFETCH(QString, value);
        QFETCH(int, quietTicks);
        QFETCH(QString, link);

        EngineRig rig;
        rig.answerEverything("12;1;2");
        rig.port.refuseAll = link == "closed";
        if (link != "closed")
            rig.linkUp();
        rig.s.ComCnt = TesterState::Integer(quietTicks);
        if (link == "busy")
            rig.engine.SendCommand(174);
        if (value.isNull())
            rig.engine.SendCommand(code);
        else
            rig.engine.SendValueCommand(code, value);
        QTEST(rig.engine.CommReady(), "readyAtOnce");

        rig.runUntilIdle();
        QTEST(rig.port.frames(), "frames");
        QCOMPARE(rig.log.saved, link == "busy" ? 1 : 0);
        QCOMPARE(rig.engine.CommReady(), link != "closed");
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "CommandsTest.moc"

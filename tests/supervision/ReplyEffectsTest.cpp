#include "EngineRig.h"

#include <QTest>

// Sends `code` on a lively line and feeds the reply `data` back.
static void exchange(EngineRig &rig, int code, const QByteArray &data)
{
    rig.engine.SendCommand(code);
    QCOMPARE(rig.port.takeFrames().size(), 1);
    rig.port.queueInput("*" + data + "\r");
    rig.tick(2);
}

// Distinct settings, so that every value on the wire shows which one it is.
static void fillSettings(TesterState &s)
{
    s.sSerialNumber = QStringLiteral("SN0042");
    s.sContact = 241;
    s.sFailLimit = 10; s.sSeqLimit = 11; s.sCycleLimit = 1000000;
    s.sMaxDownTime = 500; s.sMinDownTime = 51; s.sMaxUpTime = 499; s.sMinUpTime = 52;
    s.sUpperBounce = 129; s.sLowerBounce = 125;
    s.sMaxUpResistTol = 1023; s.sMinUpResistTol = 1020;
    s.sMaxDownResistTol = 16; s.sMinDownResistTol = 0;
    s.sRPullUp = 1000; s.sRMode = 0;
    s.sMaxDownBounceTol = 62500; s.sMaxUpBounceTol = -3;
}

static const QStringList settingsFrames = {
    "E1241", "E210", "E311", "E41000000", "E5500", "E651", "E7499", "E852",
    "E9129", "EA125", "EB1023", "EC1020", "ED16", "EE0"};

static const QStringList masterFrames = {"EF1000", "F00"};

static const QStringList bounceFrames = {"F162500", "F2-3"};

static const QStringList fullReset = {"C2", "C9", "CA", "CB"};

// What the engine does with an acknowledged reply, driven through the poll
// cycle: the command goes out, the tester's "*" line comes back, and two
// ticks later the effect is applied. The configuration download and the
// counter reset are chains of such effects: what the tester receives, in order.
class ReplyEffectsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void singleValues_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("value");

        QTest::newRow("contact keeps the low byte") << 216 << QByteArray("300") << "vContact" << qint64(44);
        QTest::newRow("limit beyond 32 bits keeps the old value") << 197 << QByteArray("3000000000") << "vCycleLimit" << qint64(77);
        QTest::newRow("empty data reads 0") << 176 << QByteArray() << "vMaxDownBounceTol" << qint64(0);
    }

    void singleValues()
    {
        QFETCH(int, code);
        QFETCH(QByteArray, data);
        QFETCH(QString, name);
        QFETCH(qint64, value);

        EngineRig rig;
        rig.linkUp();
        rig.s.vCycleLimit = 77;
        rig.s.vMaxDownBounceTol = 5;
        exchange(rig, code, data);

        const QHash<QString, qint64> fields = {
            {"vContact", rig.s.vContact}, {"vCycleLimit", rig.s.vCycleLimit},
            {"vMaxDownBounceTol", rig.s.vMaxDownBounceTol}};
        QCOMPARE(fields.value(name), value);
        QVERIFY(rig.engine.CommReady());
        QCOMPARE(rig.port.frames().size(), 1);       // nothing further sent
    }

    void sampleInBreakUpdateMode_data()
    {
        QTest::addColumn<bool>("goAgainMode");
        QTest::addColumn<bool>("goAgainFlag");
        QTest::addColumn<bool>("saveToDatabase");
        QTest::addColumn<QStringList>("next");
        QTest::addColumn<int>("saved");

        QTest::newRow("armed, no break signalled yet") << true << false << true << QStringList() << 1;
        QTest::newRow("break reached, not logging") << true << true << false << QStringList{"F325"} << 0;
    }

    void sampleInBreakUpdateMode()
    {
        QFETCH(bool, goAgainMode);
        QFETCH(bool, goAgainFlag);
        QFETCH(bool, saveToDatabase);
        QFETCH(QStringList, next);
        QFETCH(int, saved);

        EngineRig rig;
        rig.linkUp();
        rig.s.GoAgainMode = goAgainMode;
        rig.s.GoAgainFlag = goAgainFlag;
        rig.s.SaveToDatabase = saveToDatabase;
        rig.s.RepeatCount = 25;
        exchange(rig, 174, QByteArray("11;1;2"));

        QCOMPARE(rig.port.takeFrames(), next);
        QCOMPARE(rig.log.saved, saved);
        QCOMPARE(rig.engine.CommReady(), next.isEmpty());
    }

    void download_data()
    {
        QTest::addColumn<bool>("master");           // start with the serial number
        QTest::addColumn<bool>("learn");
        QTest::addColumn<QStringList>("frames");

        QTest::newRow("ordinary") << false << false
            << settingsFrames + bounceFrames + QStringList{"AE"};
        QTest::newRow("master") << true << false
            << QStringList{"E0SN0042"} + settingsFrames + masterFrames + bounceFrames + fullReset
                   + QStringList{"AE"};
        QTest::newRow("learn") << false << true
            << settingsFrames + bounceFrames + fullReset + QStringList{"A2"};
    }

    void download()
    {
        QFETCH(bool, master);
        QFETCH(bool, learn);

        EngineRig rig;
        rig.linkUp();
        rig.answerEverything("12;1;1;1;1;1;1;0");     // status 0: stopped
        fillSettings(rig.s);
        rig.s.LearnConfigure = learn;
        rig.s.ClearCycleCount = false;      // a leftover selection

        if (master)
            rig.engine.StartMasterDownload();
        else
            rig.engine.StartOrdinaryDownload();
        rig.runUntilIdle();

        QTEST(rig.port.frames(), "frames");
        QVERIFY(!rig.s.MasterUpdate);
        QVERIFY(!rig.s.LearnConfigure);
        QVERIFY(rig.engine.CommReady());
    }

    // Min / max and sequential count only: the unselected steps are skipped.
    void partialCounterReset()
    {
        EngineRig rig;
        rig.linkUp();
        rig.answerEverything();
        rig.s.ClearFailCount = false;
        rig.s.ClearCycleCount = false;

        rig.engine.DoNextClear(0);
        rig.runUntilIdle();

        QCOMPARE(rig.port.frames(), (QStringList{"C2", "CA", "AE"}));
        // The selection is back to everything for the next reset.
        QVERIFY(rig.s.ClearCycleCount && rig.s.ClearFailCount && rig.s.ClearSeqCount && rig.s.ClearMinMax);
        QVERIFY(rig.engine.CommReady());
    }
};

QTEST_GUILESS_MAIN(ReplyEffectsTest)
#include "ReplyEffectsTest.moc"

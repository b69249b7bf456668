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

// What the engine does with an acknowledged reply, driven through the poll
// cycle: the command goes out, the tester's "*" line comes back, and two
// ticks later the effect is applied.
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
};

QTEST_GUILESS_MAIN(ReplyEffectsTest)
#include "ReplyEffectsTest.moc"

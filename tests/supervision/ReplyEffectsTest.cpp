#include "EngineRig.h"

#include <QTest>

// What the engine does with an acknowledged reply, driven through the poll
// cycle: the command goes out, the tester's "*" line comes back, and two
// ticks later the effect is applied.
class ReplyEffectsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void singleValues_data();
    void singleValues();
    void runCommands_data();
    void runCommands();
    void sampleInBreakUpdateMode_data();
    void sampleInBreakUpdateMode();
    void displayedReplies_data();
    void displayedReplies();
    void breakCountArmsTheTester();
};

// Sends `code` on a lively line and feeds the reply `data` back.
static void exchange(EngineRig &rig, int code, const QByteArray &data)
{
    rig.engine.SendCommand(code);
    QCOMPARE(rig.port.takeFrames().size(), 1);
    rig.port.queueInput("*" + data + "\r");
    rig.tick(2);
}

static qint64 field(const TesterState &s, const QString &name)
{
    const QHash<QString, qint64> values = {
        {"CycleCount", s.CycleCount}, {"FailCount", s.FailCount},
        {"vContact", s.vContact}, {"vUpperBounce", s.vUpperBounce},
        {"vRMode", s.vRMode}, {"vErrorCode", s.vErrorCode}, {"vCycleLimit", s.vCycleLimit},
        {"vMaxDownBounceTol", s.vMaxDownBounceTol}, {"vMaxUpBounce", s.vMaxUpBounce},
    };
    return values.value(name, -999999);
}

void ReplyEffectsTest::singleValues_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("value");

    QTest::newRow("cycle count") << 200 << QByteArray("12") << "CycleCount" << qint64(12);
    QTest::newRow("fail count rounds half to even") << 193 << QByteArray("7.5") << "FailCount" << qint64(8);
    QTest::newRow("contact keeps the low byte") << 216 << QByteArray("300") << "vContact" << qint64(44);
    QTest::newRow("upper bounce of -1 is 255") << 214 << QByteArray("-1") << "vUpperBounce" << qint64(255);
    QTest::newRow("mode") << 222 << QByteArray("2") << "vRMode" << qint64(2);
    QTest::newRow("mode beyond 16 bits keeps the old value") << 222 << QByteArray("70000") << "vRMode" << qint64(-1);
    QTest::newRow("error code without digits reads 0") << 223 << QByteArray("x") << "vErrorCode" << qint64(0);
    QTest::newRow("limit beyond 32 bits keeps the old value") << 197 << QByteArray("3000000000") << "vCycleLimit" << qint64(77);
    QTest::newRow("limit, largest Long") << 197 << QByteArray("2147483647") << "vCycleLimit" << qint64(2147483647);
    QTest::newRow("empty data reads 0") << 176 << QByteArray() << "vMaxDownBounceTol" << qint64(0);
    QTest::newRow("largest up bounce") << 212 << QByteArray("62500") << "vMaxUpBounce" << qint64(62500);
}

void ReplyEffectsTest::singleValues()
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

    QCOMPARE(field(rig.s, name), value);
    QVERIFY(rig.engine.CommReady());
    QCOMPARE(int(rig.s.ComSeq), 0);
    QCOMPARE(int(rig.s.comDelayed), 0);
    QVERIFY(rig.port.frames().size() == 1);       // nothing further sent
}

void ReplyEffectsTest::runCommands_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("running");
    // expected
    QTest::addColumn<QStringList>("next");       // frames written by the effect
    QTest::addColumn<bool>("nowRunning");
    QTest::addColumn<int>("ledState");
    QTest::addColumn<bool>("ready");

    // A running tester needs a wake-up before the next command.
    QTest::newRow("found, tester running") << 160 << true << QStringList{"<ESC>"} << true << 0 << false;
    QTest::newRow("found, tester stopped") << 160 << false << QStringList{"AE"} << false << 0 << false;
    QTest::newRow("stop a running tester") << 161 << true << QStringList{"<ESC>"} << false << 0 << false;
    QTest::newRow("stop a stopped tester") << 161 << false << QStringList{"AE"} << false << 0 << false;
    QTest::newRow("run to limits") << 162 << false << QStringList() << true << 1 << true;
    QTest::newRow("run once") << 170 << false << QStringList() << true << 1 << true;
    QTest::newRow("run without limit blinks") << 172 << false << QStringList() << true << 2 << true;
    QTest::newRow("piston down, running") << 163 << true << QStringList{"<ESC>"} << true << 0 << false;
    QTest::newRow("piston up, stopped") << 164 << false << QStringList{"C0"} << false << 0 << false;
    QTest::newRow("unused action code") << 171 << false << QStringList() << false << 0 << true;
}

void ReplyEffectsTest::runCommands()
{
    QFETCH(int, code);
    QFETCH(bool, running);
    QFETCH(QStringList, next);
    QFETCH(bool, nowRunning);
    QFETCH(int, ledState);
    QFETCH(bool, ready);

    EngineRig rig;
    rig.linkUp();
    rig.s.Running = running;
    rig.s.LEDState = 0;
    rig.s.GoAgainMode = true;
    rig.s.GoAgainFlag = true;
    exchange(rig, code, QByteArray());

    QCOMPARE(rig.port.takeFrames(), next);
    QCOMPARE(rig.s.Running, nowRunning);
    QCOMPARE(int(rig.s.LEDState), ledState);
    QCOMPARE(rig.engine.CommReady(), ready);
    // Run and stop commands end break-update mode.
    const bool endsBreakMode = code == 161 || code == 162 || code == 170 || code == 172;
    QCOMPARE(rig.s.GoAgainMode, !endsBreakMode);
}

void ReplyEffectsTest::sampleInBreakUpdateMode_data()
{
    QTest::addColumn<bool>("goAgainMode");
    QTest::addColumn<bool>("goAgainFlag");
    QTest::addColumn<bool>("saveToDatabase");
    QTest::addColumn<QStringList>("next");
    QTest::addColumn<int>("saved");
    QTest::addColumn<bool>("ready");

    QTest::newRow("ordinary sample") << false << false << true << QStringList() << 1 << true;
    QTest::newRow("armed, no break signalled yet") << true << false << true << QStringList() << 1 << true;
    QTest::newRow("break reached, logging") << true << true << true << QStringList{"F325"} << 1 << false;
    QTest::newRow("break reached, not logging") << true << true << false << QStringList{"F325"} << 0 << false;
}

void ReplyEffectsTest::sampleInBreakUpdateMode()
{
    QFETCH(bool, goAgainMode);
    QFETCH(bool, goAgainFlag);
    QFETCH(bool, saveToDatabase);
    QFETCH(QStringList, next);
    QFETCH(int, saved);
    QFETCH(bool, ready);

    EngineRig rig;
    rig.linkUp();
    rig.s.GoAgainMode = goAgainMode;
    rig.s.GoAgainFlag = goAgainFlag;
    rig.s.SaveToDatabase = saveToDatabase;
    rig.s.RepeatCount = 25;
    exchange(rig, 174, QByteArray("11;1;2"));

    QCOMPARE(rig.s.vSoftwareVersion, 11);
    QCOMPARE(rig.port.takeFrames(), next);
    QCOMPARE(rig.log.saved, saved);
    QCOMPARE(rig.engine.CommReady(), ready);
}

void ReplyEffectsTest::displayedReplies_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("shown");      // view calls, SetControls left out

    QTest::newRow("manual reading, 1000 ohm pull-up") << 180 << QByteArray("512") << QStringList{"manual:1002.0"};
    QTest::newRow("manual reading, open contact") << 180 << QByteArray("1023") << QStringList{"manual:open"};
    QTest::newRow("software version") << 175 << QByteArray("12") << QStringList{"version:Software Ver 1.2"};
    QTest::newRow("serial number as text") << 198 << QByteArray("A 12;x") << QStringList{"DisplaySerialNum"};
    QTest::newRow("range value") << 221 << QByteArray("2200") << QStringList{"DisplayRValue"};
    QTest::newRow("status: running, blinking, piston down") << 192 << QByteArray("27") << QStringList{"piston:1"};
    QTest::newRow("status: LED on, piston up") << 192 << QByteArray("2") << QStringList{"piston:0"};
}

void ReplyEffectsTest::displayedReplies()
{
    QFETCH(int, code);
    QFETCH(QByteArray, data);
    QFETCH(QStringList, shown);

    EngineRig rig;
    rig.linkUp();
    rig.s.vRPullUp = 1000;
    rig.s.vRMode = 0;
    exchange(rig, code, data);

    QStringList calls = rig.view.calls;
    calls.removeAll(QStringLiteral("SetControls"));
    QCOMPARE(calls, shown);
    QVERIFY(rig.engine.CommReady());
    switch (code) {
    case 180: QCOMPARE(rig.s.vLastMeasuredResist, data.toInt()); break;
    case 175: QCOMPARE(rig.s.vSoftwareVersion, 12); break;
    case 198: QCOMPARE(rig.s.vSerialNumber, QString::fromLatin1(data)); break;
    case 221: QCOMPARE(rig.s.vRPullUp, 2200); break;
    case 192:
        QCOMPARE(int(rig.s.vStatus), data.toInt());
        QCOMPARE(rig.s.Running, (data.toInt() & 1) != 0);
        QCOMPARE(int(rig.s.LEDState), data == "27" ? 2 : 0);
        break;
    }
}

void ReplyEffectsTest::breakCountArmsTheTester()
{
    EngineRig rig;
    rig.linkUp();
    rig.s.GoAgainFlag = true;
    rig.s.LEDState = 2;
    rig.engine.SendValueCommand(243, QStringLiteral("100"));
    QCOMPARE(rig.port.takeFrames(), QStringList{"F3100"});
    rig.port.queueInput("*\r");
    rig.tick(2);
    QVERIFY(rig.s.GoAgainMode);
    QVERIFY(!rig.s.GoAgainFlag);
    QCOMPARE(int(rig.s.LEDState), 1);
    QVERIFY(rig.engine.CommReady());
}

QTEST_GUILESS_MAIN(ReplyEffectsTest)
#include "ReplyEffectsTest.moc"

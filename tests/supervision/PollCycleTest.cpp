#include "EngineRig.h"

#include <QTest>

// The poll tick against a fake port, tick by tick: the port search, the
// probe, the wake-up rule, the reply timeout and the tester's own signals.
class PollCycleTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void searchStartsAfterTheSavedPort_data();
    void searchStartsAfterTheSavedPort();
    void searchWrapsWhenNoPortOpens();
    void probeFindsTheTester();
    void foundMessageLifetime_data();
    void foundMessageLifetime();
    void probeIgnoresLinesWithoutStar();
    void silentPortIsAbandoned();
    void commandAfterQuietLineWaitsForTheWakeUpAnswer();
    void replyTimeoutClosesAndSearchesOn();
    void testerSignals_data();
    void testerSignals();
    void plusOnQuietLineWakesFirst();
    void replyWithoutStarFreesTheLink();
    void signalCrossingACommand_data();
    void signalCrossingACommand();
    void vanishedDeviceClosesAtOnce();
    void invalidStateIsReset_data();
    void invalidStateIsReset();
    void errorLed_data();
    void errorLed();
};

static QStringList barMessages(const FakeView &view)
{
    QStringList bars;
    for (const QString &call : view.calls)
        if (call.startsWith(QLatin1String("bar:")))
            bars.append(call.mid(4));
    return bars;
}

void PollCycleTest::searchStartsAfterTheSavedPort_data()
{
    QTest::addColumn<int>("comChan");      // saved port minus one, limited to 0..8
    QTest::addColumn<QList<int>>("tried");

    QTest::newRow("nothing saved") << 0 << QList<int>{1, 2, 3};
    QTest::newRow("saved port 3") << 2 << QList<int>{3, 4, 5};
    QTest::newRow("saved port 12") << 8 << QList<int>{9, 10, 11, 12};
}

void PollCycleTest::searchStartsAfterTheSavedPort()
{
    QFETCH(int, comChan);
    QFETCH(QList<int>, tried);

    EngineRig rig;
    rig.port.refuseAll = true;
    rig.s.ComChan = comChan;
    rig.tick(int(tried.size()));
    QCOMPARE(rig.port.openAttempts, tried);
}

void PollCycleTest::searchWrapsWhenNoPortOpens()
{
    EngineRig rig;
    rig.port.refuseAll = true;
    rig.s.MustWait = false;

    QStringList expected;
    for (int round = 0; round < 2; ++round)
        for (int n = 1; n <= 16; ++n)
            expected.append(QStringLiteral("Searching For Tester On Comm %1").arg(n));
    for (int i = 0; i < 32; ++i) {
        rig.tick();
        QVERIFY(rig.s.MustWait);
        QVERIFY(!rig.s.ComChanOpen);
        QCOMPARE(int(rig.s.ComCnt), 60);
    }
    QCOMPARE(barMessages(rig.view), expected);
    QCOMPARE(rig.view.count(QStringLiteral("SetControls")), 32);
    QVERIFY(rig.port.written.isEmpty());
}

void PollCycleTest::probeFindsTheTester()
{
    EngineRig rig;
    rig.port.refusePort(1);
    rig.port.refusePort(2);

    rig.tick(3);                                      // ports 1, 2 refused, 3 opens
    QVERIFY(rig.s.ComChanOpen);
    QCOMPARE(int(rig.s.ComSeq), 30);
    QCOMPARE(rig.view.barText, QStringLiteral("Searching For Tester On Comm 3"));

    rig.tick();                                       // first wake-up
    QCOMPARE(rig.port.takeFrames(), QStringList{"<ESC>"});
    rig.tick(3);                                      // no answer yet
    QCOMPARE(int(rig.s.ComSeq), 32);

    rig.port.queueInput("*\r*\r");                    // the stale rest is dropped
    rig.tick();                                       // second wake-up
    QCOMPARE(rig.port.takeFrames(), QStringList{"<ESC>"});
    QCOMPARE(int(rig.s.ComSeq), 34);

    rig.port.queueInput("*\r");
    rig.tick();                                       // found: first command
    QCOMPARE(rig.port.takeFrames(), QStringList{"A0"});
    QCOMPARE(rig.view.barText, QStringLiteral("Tester Found On Comm 3"));
    QCOMPARE(int(rig.s.StatusDelay), 6);
    QCOMPARE(int(rig.s.ComSeq), 10);
    QVERIFY(rig.s.MustWait);

    rig.port.queueInput("*\r");                       // acknowledges 160
    rig.tick(2);
    QCOMPARE(rig.port.takeFrames(), QStringList{"AE"});

    // The first record frees the link for the operator.
    rig.port.queueInput("*12;1;2;3;4;5;6;0;SN1\r");
    rig.tick(2);
    QCOMPARE(rig.s.vSerialNumber, QStringLiteral("SN1"));
    QVERIFY(rig.engine.CommReady());
    QVERIFY(rig.s.DownLoadedOnce);
    QCOMPARE(rig.log.saved, 1);
}

void PollCycleTest::foundMessageLifetime_data()
{
    QTest::addColumn<int>("phase");
    for (int phase = 0; phase < 9; ++phase)
        QTest::addRow("slow-task phase %d", phase) << phase;
}

void PollCycleTest::foundMessageLifetime()
{
    QFETCH(int, phase);

    EngineRig rig;
    rig.answerEverything();
    rig.s.LEDCounter = phase;
    int ticks = 0;
    while (rig.view.barText != QLatin1String("Tester Found On Comm 1") && ticks < 20) {
        rig.tick();
        ++ticks;
    }
    QCOMPARE(rig.view.barText, QStringLiteral("Tester Found On Comm 1"));
    int shown = 0;
    while (!rig.view.barText.isEmpty() && shown < 100) {
        rig.tick();
        ++shown;
    }
    QVERIFY2(shown >= 46 && shown <= 54, qPrintable(QString::number(shown)));
}

void PollCycleTest::probeIgnoresLinesWithoutStar()
{
    EngineRig rig;
    rig.tick(2);                           // port 1 opens, first wake-up
    rig.port.queueInput("hello\r");        // any line answers the first wake-up
    rig.tick();
    QCOMPARE(int(rig.s.ComSeq), 34);
    rig.port.queueInput("nope\r");
    rig.tick(5);
    QCOMPARE(int(rig.s.ComSeq), 34);
    QCOMPARE(rig.port.frames(), QStringList({"<ESC>", "<ESC>"}));
    rig.port.queueInput("*\r");
    rig.tick();
    QCOMPARE(rig.port.frames().last(), QStringLiteral("A0"));
}

void PollCycleTest::silentPortIsAbandoned()
{
    EngineRig rig;
    rig.port.refusePort(2);
    rig.tick(2);                           // port 1 opens, first wake-up
    rig.tick(259);
    QVERIFY(rig.s.ComChanOpen);
    rig.tick();                            // 260 ticks of silence
    QVERIFY(!rig.s.ComChanOpen);
    QVERIFY(!rig.port.isOpen());
    rig.tick(2);
    QCOMPARE(rig.port.openAttempts, QList<int>({1, 2, 3}));
    QCOMPARE(rig.view.barText, QStringLiteral("Searching For Tester On Comm 3"));
}

void PollCycleTest::commandAfterQuietLineWaitsForTheWakeUpAnswer()
{
    EngineRig rig;
    rig.linkUp();
    rig.tick(6);                           // more than 5 quiet ticks
    rig.engine.SendCommand(174);
    QCOMPARE(rig.port.takeFrames(), QStringList{"<ESC>"});
    QCOMPARE(int(rig.s.ComSeq), 5);
    QVERIFY(!rig.s.MustWait);

    rig.tick(3);
    rig.port.queueInput("?\r");            // not an acknowledgement: keep waiting
    rig.tick();
    QCOMPARE(int(rig.s.ComSeq), 5);
    QVERIFY(rig.port.takeFrames().isEmpty());

    rig.port.queueInput("*\r");
    rig.tick();
    QCOMPARE(rig.port.takeFrames(), QStringList{"AE"});
    QCOMPARE(int(rig.s.ComSeq), 10);
    QCOMPARE(int(rig.s.comDelayed), 174);
    QVERIFY(rig.s.MustWait);
}

void PollCycleTest::replyTimeoutClosesAndSearchesOn()
{
    EngineRig rig;
    rig.linkUp();
    rig.s.DownLoadedOnce = true;
    rig.engine.SendCommand(174);
    QCOMPARE(int(rig.s.ComSeq), 10);

    rig.tick(259);
    QVERIFY(rig.s.ComChanOpen);
    rig.tick();
    QVERIFY(!rig.s.ComChanOpen);
    QVERIFY(!rig.s.DownLoadedOnce);
    QCOMPARE(int(rig.s.ComSeq), 0);
    QCOMPARE(rig.view.calls.last(), QStringLiteral("SetControls"));

    rig.port.refusePort(2);
    rig.tick();
    QCOMPARE(rig.view.barText, QStringLiteral("Searching For Tester On Comm 2"));
    QVERIFY(rig.s.MustWait);
}

void PollCycleTest::testerSignals_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("fetch");
    QTest::addColumn<bool>("goAgainFlag");
    QTest::addColumn<bool>("goAgainMode");
    QTest::addColumn<bool>("terminated");
    QTest::addColumn<int>("beeps");

    QTest::newRow("new data") << QByteArray("+") << true << true << true << false << 0;
    QTest::newRow("test ended") << QByteArray("-") << true << false << false << true << 1;
    QTest::newRow("minus then plus counts as plus") << QByteArray("-+") << true << true << true << false << 0;
    QTest::newRow("plus then minus counts as plus") << QByteArray("x+-\r") << true << true << true << false << 0;
    QTest::newRow("other characters are discarded") << QByteArray("*12\r") << false << false << true << false << 0;
}

void PollCycleTest::testerSignals()
{
    QFETCH(QByteArray, received);
    QFETCH(bool, fetch);
    QFETCH(bool, goAgainFlag);
    QFETCH(bool, goAgainMode);
    QFETCH(bool, terminated);
    QFETCH(int, beeps);

    EngineRig rig;
    rig.linkUp();
    rig.s.GoAgainMode = true;              // break-update mode armed
    rig.port.queueInput(received);
    rig.tick();

    QCOMPARE(rig.port.frames(), fetch ? QStringList{"AE"} : QStringList());
    QCOMPARE(rig.s.GoAgainFlag, goAgainFlag);
    QCOMPARE(rig.s.GoAgainMode, goAgainMode);
    QCOMPARE(rig.s.Terminated, terminated);
    QCOMPARE(rig.view.beeps, beeps);
    QVERIFY(rig.engine.link().RxBuffer.isEmpty());
}

void PollCycleTest::plusOnQuietLineWakesFirst()
{
    EngineRig rig;
    rig.linkUp();
    rig.s.ComCnt = 260;
    rig.port.queueInput("+");
    rig.tick();
    QCOMPARE(rig.port.takeFrames(), QStringList{"<ESC>"});
    rig.port.queueInput("*\r");
    rig.tick();
    QCOMPARE(rig.port.takeFrames(), QStringList{"AE"});
}

void PollCycleTest::replyWithoutStarFreesTheLink()
{
    EngineRig rig;
    rig.linkUp();
    rig.engine.SendCommand(161);
    QVERIFY(!rig.engine.CommReady());
    rig.port.queueInput("?\r");
    rig.tick();

    // The command is over: nothing in flight and the operator may go on.
    QCOMPARE(int(rig.s.ComSeq), 0);
    QCOMPARE(int(rig.s.comDelayed), 0);
    QVERIFY(rig.engine.CommReady());
    QVERIFY(rig.s.ComChanOpen);
    rig.tick(3);
    QCOMPARE(rig.port.frames(), QStringList{"A1"});   // nothing retried or chained
}

void PollCycleTest::signalCrossingACommand_data()
{
    QTest::addColumn<bool>("quiet");            // the command waits behind a wake-up
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<bool>("terminated");

    QTest::newRow("new data before the reply") << false << QByteArray("+") << false;
    QTest::newRow("test ended before the reply") << false << QByteArray("-") << true;
    QTest::newRow("new data before the wake-up answer") << true << QByteArray("+") << false;
}

void PollCycleTest::signalCrossingACommand()
{
    QFETCH(bool, quiet);
    QFETCH(QByteArray, signal);
    QFETCH(bool, terminated);

    EngineRig rig;
    rig.linkUp();
    rig.s.ComCnt = quiet ? 100 : 0;
    rig.engine.SendCommand(200);
    rig.port.queueInput(signal);              // the signal was already on its way
    rig.tick();
    if (quiet) {
        rig.port.queueInput("*\r");
        rig.tick();
    }
    rig.port.queueInput("*12\r");
    rig.tick(2);
    QCOMPARE(rig.s.CycleCount, 12);           // the reply counted
    QCOMPARE(rig.port.frames().last(), QStringLiteral("C8"));

    rig.tick();                               // idle: the kept signal fetches a record
    QCOMPARE(rig.port.frames().last(), QStringLiteral("AE"));
    QCOMPARE(rig.s.Terminated, terminated);
    QCOMPARE(rig.view.beeps, terminated ? 1 : 0);
}

void PollCycleTest::vanishedDeviceClosesAtOnce()
{
    EngineRig rig;
    rig.linkUp();
    rig.engine.SendCommand(174);
    rig.port.vanish();
    rig.tick();
    QVERIFY(!rig.s.ComChanOpen);
    QCOMPARE(int(rig.s.ComSeq), 0);
    QCOMPARE(rig.view.calls.last(), QStringLiteral("SetControls"));
    rig.tick();                                      // the search goes on at once
    QCOMPARE(rig.port.openAttempts.last(), 2);
    QCOMPARE(int(rig.s.ComSeq), 30);
}

void PollCycleTest::invalidStateIsReset_data()
{
    QTest::addColumn<int>("comSeq");
    QTest::newRow("between states") << 7;
    QTest::newRow("just below the probe") << 33;
    QTest::newRow("above the probe") << 35;
    QTest::newRow("negative") << -1;
}

void PollCycleTest::invalidStateIsReset()
{
    QFETCH(int, comSeq);
    EngineRig rig;
    rig.linkUp();
    rig.engine.SendCommand(174);
    rig.s.ComSeq = comSeq;
    rig.tick();
    // Nothing can be in flight any more: the link is idle and free.
    QCOMPARE(int(rig.s.ComSeq), 0);
    QCOMPARE(int(rig.s.comDelayed), 0);
    QVERIFY(rig.engine.CommReady());
    QCOMPARE(rig.port.frames(), QStringList{"AE"});
}

void PollCycleTest::errorLed_data()
{
    QTest::addColumn<int>("ledState");
    QTest::addColumn<int>("drawn");
    QTest::addColumn<QStringList>("draws");   // over 4 slow-task periods

    QTest::newRow("dark and hollow: nothing redrawn") << 1 << 1 << QStringList();
    QTest::newRow("lit") << 0 << 1 << QStringList{"led:0"};
    QTest::newRow("dark") << 1 << 0 << QStringList{"led:1"};
    QTest::newRow("blinking") << 2 << 1 << QStringList{"led:0", "led:1", "led:0", "led:1"};
}

void PollCycleTest::errorLed()
{
    QFETCH(int, ledState);
    QFETCH(int, drawn);
    QFETCH(QStringList, draws);

    EngineRig rig;
    rig.linkUp();
    rig.view.led = drawn;
    rig.s.LEDState = ledState;
    QStringList seen;
    for (int i = 1; i <= 36; ++i) {
        rig.tick();
        for (const QString &call : rig.view.calls)
            if (call.startsWith(QLatin1String("led:"))) {
                seen.append(call);
                QCOMPARE(i % 9, 0);            // only on the slow-task tick
            }
        rig.view.clear();
    }
    QCOMPARE(seen, draws);
}

QTEST_GUILESS_MAIN(PollCycleTest)
#include "PollCycleTest.moc"

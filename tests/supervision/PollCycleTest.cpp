#include "EngineRig.h"

#include <QTest>

// The poll tick against a fake port, tick by tick: the port search, the
// probe, the wake-up rule, the reply timeout and the tester's own signals.
class PollCycleTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Two full rounds over the 16 ports, none of which opens.
    void searchWithoutAnOpenablePort()
    {
        EngineRig rig;
        rig.port.refuseAll = true;
        QList<int> tried;
        QStringList messages;
        for (int i = 0; i < 32; ++i) {
            tried.append(i % 16 + 1);
            messages.append(QStringLiteral("bar:Searching For Tester On Comm %1").arg(tried.last()));
        }
        rig.tick(32);

        QCOMPARE(rig.port.openAttempts, tried);
        rig.view.calls.removeAll(QStringLiteral("SetControls"));
        QCOMPARE(rig.view.calls, messages);
        QVERIFY(!rig.s.ComChanOpen);
        QVERIFY(rig.port.written.isEmpty());
    }

    void probeFindsTheTester()
    {
        EngineRig rig;
        rig.port.refusePort(1);
        rig.port.refusePort(2);
        rig.tick(4);                                      // ports 1, 2 refused, 3 opens, first wake-up
        QCOMPARE(rig.port.takeFrames(), QStringList{"<ESC>"});

        rig.port.queueInput("hello\r*\r");                // any line answers it, the stale rest is dropped
        rig.tick();
        QCOMPARE(rig.port.takeFrames(), QStringList{"<ESC>"});
        rig.port.queueInput("nope\r");                    // the second wake-up needs a star line
        rig.tick(5);
        QVERIFY(rig.port.takeFrames().isEmpty());

        rig.port.queueInput("*\r");
        rig.tick();
        QCOMPARE(rig.port.takeFrames(), QStringList{"A0"});
        QCOMPARE(rig.view.barText, QStringLiteral("Tester Found On Comm 3"));
        rig.port.queueInput("*\r");
        rig.tick(2);
        QCOMPARE(rig.port.takeFrames(), QStringList{"AE"});

        // The first record frees the link for the operator.
        rig.port.queueInput("*12;1;2;3;4;5;6;0;SN1\r");
        rig.tick(2);
        QCOMPARE(rig.s.vSerialNumber, QStringLiteral("SN1"));
        QVERIFY(rig.engine.CommReady());
        QCOMPARE(rig.log.saved, 1);
    }

    void foundMessageLifetime_data()
    {
        QTest::addColumn<int>("phase");
        for (int phase = 0; phase < 9; ++phase)
            QTest::addRow("slow-task phase %d", phase) << phase;
    }

    void foundMessageLifetime()
    {
        QFETCH(int, phase);

        EngineRig rig;
        rig.answerEverything();
        rig.s.LEDCounter = phase;
        for (int i = 0; i < 20 && rig.view.barText != QLatin1String("Tester Found On Comm 1"); ++i)
            rig.tick();
        QCOMPARE(rig.view.barText, QStringLiteral("Tester Found On Comm 1"));
        int shown = 0;
        for (; shown < 100 && !rig.view.barText.isEmpty(); ++shown)
            rig.tick();
        QVERIFY2(shown >= 46 && shown <= 54, qPrintable(QString::number(shown)));
    }

    // A data request goes unanswered for 13 s, counted from the request.
    void lostTesterClosesAndSearchesOn()
    {
        EngineRig rig;
        rig.linkUp();
        rig.s.DownLoadedOnce = true;
        rig.s.ComCnt = 5;
        rig.engine.SendCommand(174);
        rig.tick(259);
        QVERIFY(rig.s.ComChanOpen);

        rig.tick();
        QVERIFY(!rig.s.ComChanOpen);
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.s.DownLoadedOnce);
        QCOMPARE(rig.view.calls.last(), QStringLiteral("SetControls"));

        rig.tick();                                       // the search goes on at the next port
        QCOMPARE(rig.port.openAttempts.last(), 2);
        QCOMPARE(rig.view.barText, QStringLiteral("Searching For Tester On Comm 2"));
    }

    void commandAfterQuietLineWaitsForTheWakeUpAnswer()
    {
        EngineRig rig;
        rig.linkUp();
        rig.tick(6);                           // more than 5 quiet ticks
        rig.engine.SendCommand(174);
        QCOMPARE(rig.port.takeFrames(), QStringList{"<ESC>"});

        rig.tick(3);
        rig.port.queueInput("?\r");            // not an acknowledgement: keep waiting
        rig.tick();
        QVERIFY(rig.port.takeFrames().isEmpty());

        rig.port.queueInput("*\r");
        rig.tick();
        QCOMPARE(rig.port.takeFrames(), QStringList{"AE"});
    }

    void testerSignals_data()
    {
        QTest::addColumn<int>("crossing");          // 0 idle link, 1 before a reply, 2 before a wake-up answer
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("fetch");
        QTest::addColumn<bool>("goAgainFlag");
        QTest::addColumn<bool>("terminated");

        QTest::newRow("new data") << 0 << QByteArray("+") << true << true << false;
        QTest::newRow("test ended") << 0 << QByteArray("-") << true << false << true;
        QTest::newRow("both in one read count as new data") << 0 << QByteArray("x+-\r") << true << true << false;
        QTest::newRow("other characters are discarded") << 0 << QByteArray("*12\r") << false << false << false;
        // A signal already on its way when a command went out is kept for the idle link.
        QTest::newRow("new data before the reply") << 1 << QByteArray("+") << true << true << false;
        QTest::newRow("new data before the wake-up answer") << 2 << QByteArray("+") << true << true << false;
    }

    void testerSignals()
    {
        QFETCH(int, crossing);
        QFETCH(QByteArray, received);
        QFETCH(bool, terminated);

        EngineRig rig;
        rig.linkUp();
        rig.s.GoAgainMode = true;              // break-update mode armed
        rig.s.ComCnt = crossing == 2 ? 100 : 0;
        if (crossing)
            rig.engine.SendCommand(200);
        rig.port.queueInput(received);
        rig.tick();
        if (crossing == 2) {
            rig.port.queueInput("*\r");
            rig.tick();
        }
        if (crossing) {
            rig.port.queueInput("*12\r");
            rig.tick(3);
            QCOMPARE(rig.s.CycleCount, 12);    // the reply counted
        }

        QTEST(rig.port.frames().endsWith(QStringLiteral("AE")), "fetch");
        QTEST(rig.s.GoAgainFlag, "goAgainFlag");
        QCOMPARE(rig.s.GoAgainMode, !terminated);
        QCOMPARE(rig.s.Terminated, terminated);
        QCOMPARE(rig.view.beeps, terminated ? 1 : 0);
        QVERIFY(rig.engine.link().RxBuffer.isEmpty());
    }

    // A reply without "*" and a link state no path can set both end the command
    // and free the link.
    void linkFreedAfterAFailedCommand_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("comSeq");

        QTest::newRow("reply without star") << QByteArray("?\r") << 10;
        QTest::newRow("unknown state") << QByteArray() << 7;
    }

    void linkFreedAfterAFailedCommand()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, comSeq);

        EngineRig rig;
        rig.linkUp();
        rig.engine.SendCommand(161);
        rig.s.ComSeq = comSeq;
        rig.port.queueInput(reply);
        rig.tick();

        QVERIFY(rig.engine.CommReady());
        QVERIFY(rig.s.ComChanOpen);
        rig.tick(3);
        QCOMPARE(rig.port.frames(), QStringList{"A1"});   // nothing retried or chained
    }
};

QTEST_GUILESS_MAIN(PollCycleTest)
#include "PollCycleTest.moc"

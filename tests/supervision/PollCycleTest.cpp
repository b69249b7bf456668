#include "EngineRig.h"

#include "engine/link/Commands.h"
#include "engine/procedures/DefaultConfig.h"
#include "engine/supervision/PollCycle.h"
#include "engine/supervision/SilenceWatch.h"
#include "support/Fetched.h"
#include "support/TestKit.h"

// What the engine sends in `ticks` poll ticks after the tester said `input`.
static QStringList answer(EngineRig &rig, const QByteArray &input, int ticks)
{
    rig.port.queueInput(input);
    rig.tick(ticks);
    return rig.port.takeFrames();
}

// Sends the command of wire code `code` on a lively line and answers it with `data`.
static void exchange(EngineRig &rig, int code, const QByteArray &data)
{
    rig.engine.sendCommand(Command(code));
    QCOMPARE(rig.port.takeFrames().size(), 1);
    rig.port.queueInput("*" + data + "\r");
    rig.tick(2);
}

// The poll tick against a fake port, tick by tick.
class PollCycleTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void probeFindsTheTester()
    {
        EngineRig rig;
        rig.port.refusePort(1);
        rig.port.refusePort(2);
        // A port that cannot be opened says why, in front of the search.
        const QString problem = QStringLiteral("permission denied (add the user to the dialout group)");
        rig.port.problems[1] = problem;
        rig.tick(2);
        QCOMPARE(rig.view.barText, "Comm 1: " + problem + ". Searching For Tester On Comm 2");
        rig.tick(2);   // ports 1, 2 refused, 3 opens, first wake-up
        QCOMPARE(rig.port.takeFrames(), QStringList{"<ESC>"});

        QCOMPARE(answer(rig, "hello\r*\r", 1), QStringList{"<ESC>"});   // any line answers, the rest is dropped
        QVERIFY(answer(rig, "nope\r", 5).isEmpty());                    // the second wake-up needs a star line
        QCOMPARE(answer(rig, "*\r", 1), QStringList{"A0"});
        QCOMPARE(rig.view.barText, QStringLiteral("Tester Found On Comm 3"));
        QCOMPARE(answer(rig, "*\r", 2), QStringList{"AE"});
        // The first record frees the link for the operator.
        answer(rig, "*12;1;2;3;4;5;6;0;SN1\r", 2);
        QCOMPARE(rig.s.identity.serialNumber, QStringLiteral("SN1"));
        QVERIFY(rig.engine.commReady());
        QCOMPARE(rig.log.saved, 1);
    }

    // With the ports fixed (--port, a pinned device), the search tries those alone.
    void searchTriesOnlyThePortsThatExist()
    {
        EngineRig rig;
        rig.port.refuseAll = true;
        rig.port.existing = {3, 9};
        rig.tick(5);
        QCOMPARE(rig.port.openAttempts, (QList<int>{3, 9, 3, 9, 3}));
        QCOMPARE(rig.view.barText, QStringLiteral("Searching For Tester On Comm 3"));
    }

    void errorLed_data()
    {
        // drawn: after each of three slow periods
        addColumns<int, QList<int>>("ledState", "drawn");
        addRow("lit", 0, QList<int>{0, 0, 0});
        addRow("dark", 1, QList<int>{1, 1, 1});
        addRow("blinking: one change per slow period", 2, QList<int>{0, 1, 0});
    }

    // The engine decides the lamp and tells the window what to draw.
    void errorLed()
    {
        QFETCH(int, ledState);
        EngineRig rig;
        rig.linkUp();
        rig.s.counters.ledState = TesterState::Integer(ledState);
        QList<int> drawn;
        for (int period = 0; period < 3; ++period) {
            rig.tick(PollCycle::SlowTaskPeriod);
            QCOMPARE(rig.view.led, rig.engine.ledDrawing());
            drawn << rig.engine.ledDrawing();
        }
        QTEST(drawn, "drawn");
    }

    void foundMessageLifetime_data()
    {
        QTest::addColumn<int>("phase");
        for (int phase = 0; phase < 9; ++phase)
            QTest::addRow("slow-task phase %d", phase) << phase;
    }

    void foundMessageLifetime()
    {
        EngineRig rig;
        rig.answerEverything();
        rig.s.link.slowTaskTicks = fetched<int>("phase");
        for (int i = 0; i < 20 && rig.view.barText != QLatin1String("Tester Found On Comm 1"); ++i)
            rig.tick();
        QCOMPARE(rig.view.barText, QStringLiteral("Tester Found On Comm 1"));
        int shown = 0;
        for (; shown < 100 && !rig.view.barText.isEmpty(); ++shown)
            rig.tick();
        QVERIFY2(shown >= 46 && shown <= 54, qPrintable(QString::number(shown)));
    }

    void testerSignals_data()
    {
        // crossing: 0 idle, 1 before a reply, 2 before a wake-up answer; after: AE sent, flag, mode, ended, beeps
        addColumns<int, QByteArray, QList<int>>("crossing", "received", "after");
        addRow("test ended", 0, QByteArray("-"), QList<int>{1, 0, 0, 1, 1});
        addRow("both in one read count as new data", 0, QByteArray("x+-\r"), QList<int>{1, 1, 1, 0, 0});
        addRow("other characters are discarded", 0, QByteArray("*12\r"), QList<int>{0, 0, 1, 0, 0});
        // A signal already on its way when a command went out is kept for the idle link.
        addRow("new data before the reply", 1, QByteArray("+"), QList<int>{1, 1, 1, 0, 0});
        addRow("new data before the wake-up answer", 2, QByteArray("+"), QList<int>{1, 1, 1, 0, 0});
    }

    void testerSignals()
    {
        QFETCH(int, crossing);
        EngineRig rig;
        rig.linkUp();
        rig.s.session.goAgainMode = true;   // break-update mode armed
        rig.s.link.quietTicks = crossing == 2 ? 100 : 0;
        if (crossing)
            rig.engine.sendCommand(Command::ReadCycleCount);
        rig.port.queueInput(fetched<QByteArray>("received"));
        rig.tick();
        if (crossing == 2) {
            rig.port.queueInput("*\r");
            rig.tick();
        }
        if (crossing) {
            rig.port.queueInput("*12\r");
            rig.tick(3);
            QCOMPARE(rig.s.counters.cycleCount, 12);   // the reply counted
        }

        QTEST((QList<int>{rig.port.frames().endsWith(QStringLiteral("AE")), rig.s.session.goAgainFlag,
                          rig.s.session.goAgainMode, rig.s.session.terminated, rig.view.beeps}),
              "after");
        QVERIFY(rig.engine.link().RxBuffer.isEmpty());
    }

    void singleValues_data()
    {
        // after: the contact, the cycle limit and the down bounce tolerance, from 0, 77 and 5
        addColumns<int, QByteArray, QList<int>>("code", "data", "after");
        addRow("contact keeps the low byte", 216, QByteArray("300"), QList<int>{44, 77, 5});
        addRow("limit beyond 32 bits keeps the old value", 197, QByteArray("3000000000"), QList<int>{0, 77, 5});
        addRow("empty data reads 0", 176, QByteArray(), QList<int>{0, 77, 0});
    }

    void singleValues()
    {
        EngineRig rig;
        rig.linkUp();
        rig.s.reported.cycleLimit = 77;
        rig.s.reported.maxDownBounceTol = 5;
        exchange(rig, fetched<int>("code"), fetched<QByteArray>("data"));

        QTEST((QList<int>{rig.s.reported.contact, rig.s.reported.cycleLimit, rig.s.reported.maxDownBounceTol}),
              "after");
        QVERIFY(rig.engine.commReady());
        QCOMPARE(rig.port.frames().size(), 1);   // nothing further sent
    }

    void runControl_data()
    {
        // after: running, the lamp, break-update mode; next: what follows at once on the line
        addColumns<int, QList<int>, QStringList>("code", "after", "next");
        addRow("run to limits", wireCode(Command::RunToLimits), QList<int>{1, 1, 0}, QStringList());
        addRow("run without limit: the lamp blinks", wireCode(Command::RunNoLimit), QList<int>{1, 2, 0}, QStringList());
        addRow("stop: the lamp as it was, the last counters asked for", wireCode(Command::Stop), QList<int>{0, 1, 0},
               QStringList{"<ESC>"});
    }

    // Running or stopped as soon as the tester takes the command, before a record says so; break-update mode ends.
    void runControl()
    {
        EngineRig rig;
        rig.linkUp();
        rig.s.counters.running = !fetched<QList<int>>("after").first();   // each command changes it
        rig.s.session.goAgainMode = true;
        exchange(rig, fetched<int>("code"), QByteArray());
        QTEST((QList<int>{rig.s.counters.running, rig.s.counters.ledState, rig.s.session.goAgainMode}), "after");
        QTEST(rig.port.takeFrames(), "next");
    }

    void sampleInBreakUpdateMode_data()
    {
        // armedHere: armed by the command, not already armed; after: samples logged, at a break, the link free
        addColumns<bool, bool, bool, QStringList, QList<int>>("goAgainFlag", "saveToDatabase", "armedHere", "next",
                                                              "after");
        addRow("armed, no break signalled yet", false, true, false, QStringList(), QList<int>{1, 0, 1});
        addRow("break reached, not logging", true, false, false, QStringList{"F325"}, QList<int>{0, 1, 0});
        addRow("break reached, logging", true, true, false, QStringList{"F325"}, QList<int>{1, 1, 0});
        // Whatever an earlier break left, the arming leaves no break pending.
        addRow("armed from here after a break", true, false, true, QStringList(), QList<int>{1, 0, 1});
    }

    void sampleInBreakUpdateMode()
    {
        QFETCH(bool, goAgainFlag);
        QFETCH(bool, saveToDatabase);
        QFETCH(bool, armedHere);
        EngineRig rig;
        rig.linkUp();
        rig.s.session.goAgainMode = !armedHere;   // break-update mode armed
        rig.s.session.goAgainFlag = goAgainFlag;
        rig.s.session.saveToDatabase = saveToDatabase;
        rig.s.session.repeatCount = 25;
        if (armedHere) {
            rig.engine.sendValueCommand(Command::ArmBreakUpdate, QStringLiteral("25"));
            QCOMPARE(rig.port.takeFrames(), QStringList{"F325"});
            rig.port.queueInput("*\r");
            rig.tick(2);
            QVERIFY(rig.s.session.goAgainMode);
        }
        exchange(rig, 174, QByteArray("11;1;2"));

        QTEST(rig.port.takeFrames(), "next");
        QTEST((QList<int>{rig.log.saved, rig.log.atBreak, rig.engine.commReady()}), "after");
        QCOMPARE(rig.log.taken, 1);        // every sample is handed on, logged or not
        QCOMPARE(rig.view.dataShown, 1);   // shown, logged or not
    }

    // Whatever arrives meanwhile, an answer that never comes times out 13 s after the byte that asked for it.
    void noisyLineStillTimesOut_data()
    {
        // waitingStep: the link's step while the answer is awaited; askedAgain: the command sent again meanwhile
        addColumns<int, QByteArray, bool>("waitingStep", "noise", "askedAgain");
        const int reply = int(LinkStep::AwaitingReply), wakeUp = int(LinkStep::AwaitingWakeUp);
        const int firstProbe = int(LinkStep::ProbeFirstAnswer), secondProbe = int(LinkStep::ProbeSecondAnswer);
        QTest::newRow("reply to a command") << reply << QByteArray("+") << false;
        QTest::newRow("answer to a wake-up") << wakeUp << QByteArray("+\x85?\r") << false;
        QTest::newRow("answer to a wake-up, asked again") << wakeUp << QByteArray("+") << true;
        QTest::newRow("first probe answer") << firstProbe << QByteArray("+") << false;
        QTest::newRow("second probe answer") << secondProbe << QByteArray("-\x85?\r") << false;
    }

    void noisyLineStillTimesOut()
    {
        const LinkStep waitingIn = LinkStep(fetched<int>("waitingStep"));
        EngineRig rig;
        if (waitingIn >= LinkStep::ProbeFirstAnswer) {
            rig.tick(2);   // port 1 opened, first wake-up sent
            if (waitingIn == LinkStep::ProbeSecondAnswer)
                answer(rig, "\r", 1);
        } else {
            rig.linkUp();
            rig.s.link.quietTicks = waitingIn == LinkStep::AwaitingWakeUp ? 100 : 0;
            rig.engine.sendCommand(Command::SampleData);
        }
        QCOMPARE(rig.s.link.step, waitingIn);
        for (int tick = 1; tick < ReplyTimeoutTicks; ++tick) {
            if (tick % 40 == 0)
                rig.port.queueInput(fetched<QByteArray>("noise"));
            if (tick % 40 == 20 && fetched<bool>("askedAgain"))
                rig.engine.sendCommand(Command::SampleData);   // a second wake-up goes out
            rig.tick();
            QVERIFY2(rig.s.link.portOpen && rig.s.link.step == waitingIn, qPrintable(QString::number(tick)));
        }
        rig.tick();
        QVERIFY(!rig.s.link.portOpen);
    }

    void silenceBound_data()
    {
        // pluses: ticks of running before each "+"; 0 stands for a stop of 1000 ticks and a new start
        addColumns<QList<int>, int>("pluses", "bound");
        QTest::newRow("nothing known: the floor") << QList<int>{} << 200;
        QTest::newRow("one \"+\" is no interval") << QList<int>{100} << 200;
        QTest::newRow("fast: the floor") << QList<int>{20, 20, 20} << 200;
        QTest::newRow("three intervals") << QList<int>{100, 100, 100} << 300;
        QTest::newRow("one slow cycle does not move it") << QList<int>{100, 100, 100, 100, 2000} << 300;
        QTest::newRow("a stop is no interval") << QList<int>{100, 100, 0, 100} << 300;
        QTest::newRow("a new pace takes over") << QList<int>{400, 400, 400, 400, 400, 100, 100, 100} << 300;
    }

    void silenceBound()
    {
        SilenceWatch watch;
        watch.restart();
        for (int ticks : fetched<QList<int>>("pluses")) {
            if (ticks == 0) {
                watch.runStopped();
                for (int i = 0; i < 1000; ++i)
                    watch.tick(false);
                continue;
            }
            for (int i = 0; i < ticks; ++i)
                watch.tick(true);
            watch.signalSeen();
        }
        QTEST(watch.boundTicks(), "bound");
    }

    // A master download broken off leaves no master or learn ending behind, or the next download would clear
    // counters or start a test; the link is free again.
    void interruptedChainLeavesNothingBehind_data()
    {
        addColumns<int, bool>("brokenAt", "silent");   // brokenAt 0: the link's step unknown
        addRow("range value rejected", wireCode(Command::WriteRange), false);
        addRow("counter reset unanswered", wireCode(Command::ClearSeqCount), true);
        addRow("unknown link state", 0, false);
    }

    void interruptedChainLeavesNothingBehind()
    {
        QFETCH(int, brokenAt);
        QFETCH(bool, silent);
        EngineRig rig;
        rig.linkUp();
        QByteArray broken = brokenAt ? commandText(Command(brokenAt)).toLatin1() : QByteArray();
        rig.port.onWrite = [&](const QByteArray &bytes) {
            const bool breakHere = !broken.isEmpty() && bytes.startsWith(broken);
            if (breakHere)
                broken.clear();
            if (!(breakHere && silent))
                rig.port.queueInput(breakHere ? "?\r" : "*\r");
        };
        rig.s.session.learnConfigure = true;
        if (brokenAt) {
            rig.engine.startMasterDownload();
        } else {
            rig.s.link.step = LinkStep(7);
            rig.s.link.busy = rig.s.session.masterUpdate = true;
        }
        for (int i = 0; i < 600 && !rig.engine.commReady(); ++i)
            rig.tick();
        QVERIFY(rig.engine.commReady() && !rig.s.link.busy && broken.isEmpty());
        QVERIFY(!rig.s.session.masterUpdate && !rig.s.session.learnConfigure);
    }

    // A master download: the serial number first, every setting, the range and mode, then every counter cleared.
    // On a quiet line the serial number waits, value and all, for the wake-up's answer.
    void masterDownload()
    {
        EngineRig rig;
        rig.linkUp();
        rig.answerEverything();
        rig.s.link.quietTicks = 100;
        setDefaultConfig(rig.s);   // as a master reset loads it
        rig.s.pending.serialNumber = QStringLiteral("Q7");
        rig.s.pending.rangeMode = 1;
        rig.s.pending.rangePullUp = 40000;
        rig.engine.startMasterDownload();
        rig.runUntilIdle();
        QCOMPARE(rig.port.frames().join(u' '),
                 "<ESC> E0Q7 E10 E210 E310 E410 E5500 E6500 E7500 E8500 E9129 EA125 EB1023 EC0 "
                 "ED1023 EE0 EF40000 F01 F162500 F262500 C2 C9 CA CB AE");
        QVERIFY(rig.engine.commReady() && !rig.s.session.masterUpdate);
    }

    // Min / max and sequential count only: the others are skipped, and the next reset clears everything again.
    void partialCounterReset()
    {
        EngineRig rig;
        rig.linkUp();
        rig.answerEverything();
        rig.s.session.clearFailCount = false;
        rig.s.session.clearCycleCount = false;
        rig.engine.doNextClear(Command::None);
        rig.runUntilIdle();
        QCOMPARE(rig.port.frames(), (QStringList{"C2", "CA", "AE"}));
        QVERIFY(rig.s.session.clearCycleCount && rig.s.session.clearFailCount && rig.s.session.clearSeqCount
                && rig.s.session.clearMinMax);
    }
};

QTEST_GUILESS_MAIN(PollCycleTest)
#include "PollCycleTest.moc"

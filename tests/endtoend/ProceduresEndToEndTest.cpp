// Learn, master reset and manual control against the simulated tester on a
// pseudo-terminal: what the tester receives and what it ends up holding.

#include "SimulatedRig.h"

#include "config/ConfigRecord.h"
#include "procedures/LearnProcedure.h"
#include "procedures/ManualControl.h"
#include "procedures/MasterReset.h"

#include <QTest>

namespace {

// Ticks of the rig in one second of the learn window's clock.
constexpr int TicksPerSecond = 20;

QStringList withoutWakeUps(QStringList frames)
{
    frames.removeAll(QStringLiteral("<ESC>"));
    return frames;
}

} // namespace

class ProceduresEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void learn_data()
    {
        QTest::addColumn<int>("cancelAtSecond");   // 0: the window waits for the end of the run
        QTest::newRow("run ends in time, editor accepted") << 0;
        QTest::newRow("window cancelled, the run goes on") << 3;
    }

    // At the tester's own pace (one cycle a second), so the ten learn cycles
    // must end inside the window's fifteen seconds.
    void learn()
    {
        QFETCH(int, cancelAtSecond);
        SimulatedRig rig{SimulatorConfig()};
        QVERIFY(rig.connect());
        QVERIFY(rig.settle());
        rig.takeFrames();

        QList<bool> editorRuns;
        TesterState learned;
        LearnProcedure learn(rig.s, *rig.engine,
            {[] { return true; },
             [] { return LearnChoice{true, 1 | 240, true}; },
             [&] {
                 LearnProgress window;
                 do
                     rig.tick(TicksPerSecond);
                 while (!window.tick(rig.s) && window.value() != cancelAtSecond);
                 return !window.Canceled;
             },
             [&](bool newLearn) {
                 editorRuns << newLearn;
                 learned = rig.s;
                 // The operator accepts the learned values as shown.
                 rig.engine->StartOrdinaryDownload();
             }});
        learn.ConfigureLearnMenu();

        if (cancelAtSecond) {
            // The download, clears and cycles run on; their end shows the
            // data and touches neither the edit copy nor the editor.
            const TesterState atCancel = rig.s;
            QVERIFY(rig.tickUntil([&rig] { return LearnRunDataIn(rig.s); }, 400));
            QVERIFY(editorRuns.isEmpty());
            QCOMPARE(rig.s.sCycleLimit, atCancel.sCycleLimit);
            QCOMPARE(rig.s.sMinUpResistTol, atCancel.sMinUpResistTol);
            QCOMPARE(rig.s.sContact, TesterState::Integer(241));
            QCOMPARE(rig.s.CycleCount, 10);
            QVERIFY(!rig.s.LearnConfigure);
            return;
        }
        QCOMPARE(editorRuns, QList<bool>{true});

        // The defaults with the chosen contact, the four clears, the run to
        // the limits, and the data after the tester's end of run.
        const QStringList before = withoutWakeUps(rig.takeFrames());
        const QStringList expected = {"E1241", "E210", "E310", "E410", "E5500", "E6500", "E7500", "E8500",
                                      "E9129", "EA125", "EB1023", "EC0", "ED1023", "EE0", "F162500", "F262500",
                                      "C2", "C9", "CA", "CB", "A2"};
        QCOMPARE(before.mid(0, expected.size()), expected);
        QCOMPARE(before.last(), QStringLiteral("AE"));
        QCOMPARE(rig.tester.stats().minusSent, 1);
        QCOMPARE(rig.s.CycleCount, 10);

        // Learned from a switch that closes on the way down.
        QCOMPARE(learned.sContact, TesterState::Integer(241));
        QCOMPARE(learned.sCycleLimit, 1000000);
        QCOMPARE(learned.sMinUpResistTol, 1020);
        QCOMPARE(learned.sMaxUpResistTol, 1023);
        QCOMPARE(learned.sMaxDownResistTol, 15);
        QVERIFY(learned.sMinDownTime >= 50 && learned.sMinDownTime < 100);

        QVERIFY(rig.tickUntil([&rig] { return rig.s.ComSeq == 0 && rig.engine->CommReady(); }, 400));
        const QStringList after = withoutWakeUps(rig.takeFrames());
        QCOMPARE(after.first(), QStringLiteral("E1241"));
        QCOMPARE(after.last(), QStringLiteral("AE"));
        const SimulatedTester::Settings &held = rig.tester.settings();
        QCOMPARE(held.cycleLimit, 1000000);
        QCOMPARE(held.minUpResistTol, learned.sMinUpResistTol);
        QCOMPARE(held.maxDownResistTol, learned.sMaxDownResistTol);
        QCOMPARE(held.maxUpBounceTol, learned.sMaxUpBounceTol);
        QCOMPARE(held.minDownTime, learned.sMinDownTime);
    }

    void masterResetGivesTheTesterItsIdentity()
    {
        SimulatedRig rig;
        // A tester with results to clear.
        rig.tester.receive("A2\r");
        rig.tester.advance(7 * rig.tester.config().periodMs + 10);
        rig.tester.receive("A1\r");
        rig.tester.takeOutput();
        QVERIFY(rig.connect());
        QCOMPARE(rig.s.CycleCount, 7);
        QVERIFY(rig.settle());
        rig.takeFrames();

        ConfigureMasterReset(rig.s, *rig.engine, [&rig] {
            rig.s.sSerialNumber = QStringLiteral("Q7");
            rig.s.sRMode = 1;
            rig.s.sRPullUp = 40000;
            return true;
        });
        QVERIFY(rig.tickUntil([&rig] { return rig.s.ComSeq == 0 && rig.engine->CommReady(); }, 400));

        const QStringList frames = withoutWakeUps(rig.takeFrames());
        QCOMPARE(frames.first(), QStringLiteral("E0Q7"));
        QCOMPARE(frames.mid(frames.size() - 9),
                 (QStringList{"EF40000", "F01", "F162500", "F262500", "C2", "C9", "CA", "CB", "AE"}));
        QCOMPARE(rig.tester.serialNumber(), QStringLiteral("Q7"));
        QCOMPARE(rig.tester.config().mode, 1);
        QCOMPARE(rig.tester.config().range, 40000);
        QCOMPARE(rig.tester.cycleCount(), 0);
        QCOMPARE(rig.s.vSerialNumber, QStringLiteral("Q7"));
        QCOMPARE(rig.s.vRMode, TesterState::Integer(1));
    }

    void manualPistonAndReading()
    {
        SimulatedRig rig;
        QVERIFY(rig.connect());
        QVERIFY(rig.settle());
        rig.takeFrames();

        ManualControl manual(rig.s, *rig.engine);
        bool boxWhileDown = false;
        manual.RunManualMenu([&] {
            manual.ReadData();
            QVERIFY(rig.settle());
            manual.PistonDown();
            QVERIFY(rig.tickUntil([&rig] { return rig.tester.pistonDown() && rig.s.ComSeq == 0; }, 100));
            boxWhileDown = rig.view.pistonTicked;
            manual.Close();
        });
        QVERIFY(rig.settle());

        QCOMPARE(withoutWakeUps(rig.takeFrames()), (QStringList{"B4", "A3", "C0", "A4", "C0"}));
        // Piston up, a normally open contact reads full scale: open.
        QVERIFY(rig.view.calls.contains(QStringLiteral("manual:open")));
        QVERIFY(boxWhileDown);
        QVERIFY(!rig.view.pistonTicked);
        QVERIFY(!rig.tester.pistonDown());
    }
};

QTEST_GUILESS_MAIN(ProceduresEndToEndTest)
#include "ProceduresEndToEndTest.moc"

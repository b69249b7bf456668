// Learn, master reset and manual control from the main window's menus
// against the simulated tester on a pseudo-terminal: what the tester
// receives and what it ends up holding.

#include "MainWindowRig.h"

#include "engine/procedures/LearnProcedure.h"
#include "features/procedures/LearnTransfer.h"
#include "support/ModalAnswerer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSet>
#include <QTest>

namespace {

// Ticks of the rig in one second of the learn window's clock.
constexpr int TicksPerSecond = 20;

// The tester at its own pace (one cycle a second), so the ten learn cycles
// must end inside the learn window's time.
struct Station : MainWindowRig
{
    Station() : MainWindowRig(SimulatorConfig()) {}
    QStringList frames()   // what the tester received since the last call, without the wake-ups
    {
        QStringList taken = rig.takeFrames();
        taken.removeAll(QStringLiteral("<ESC>"));
        return taken;
    }
};

}   // namespace

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

    void learn()
    {
        QFETCH(int, cancelAtSecond);
        Station station;
        station.rig.runCycles(4);   // counts a learn must clear
        QVERIFY(station.connect() && !station.frames().isEmpty());

        TesterState learned;
        SimulatedTester::Settings heldInTheRun;
        QStringList learnFrames;
        ModalAnswerer answerer;
        answerer.then([](QDialog *dialog) { clickButton(dialog, "OKButton"); });   // normally open, with bounce
        answerer.then([&](QDialog *dialog) {
            for (int second = 1; dialog->isVisible(); ++second) {
                station.rig.tick(TicksPerSecond);
                if (second == cancelAtSecond)
                    clickButton(dialog, "CancelButton");
                else
                    static_cast<LearnTransfer *>(dialog)->tick();
            }
        });
        answerer.then([&](QDialog *editor) {
            learned = station.s();
            heldInTheRun = station.rig.tester.settings();
            learnFrames = station.frames();
            clickButton(editor, "okButton");
        });
        station.trigger("ConfigureLearnMenu");

        if (cancelAtSecond) {
            // The download, clears and cycles run on; their end shows the
            // data and touches neither the edit copy nor the editor.
            const TesterState atCancel = station.s();
            QVERIFY(station.rig.tickUntil([&] { return learnRunDataIn(station.s()); }, 400));
            QCOMPARE(answerer.answered, 2);
            QCOMPARE(station.s().sCycleLimit, atCancel.sCycleLimit);
            QCOMPARE(station.s().CycleCount, 10);
            return;
        }
        QCOMPARE(answerer.answered, 3);
        QVERIFY(station.s().IsDirtyConfig);
        // What the tester saw: its sixteen settings, its four counters
        // cleared, the run to its limits and, at the run's end, the data request.
        QStringList steps;
        QSet<QString> settingsAndClears;
        for (const QString &frame : learnFrames) {
            const bool setting = frame.startsWith(u'E') || frame.startsWith(u'F');
            const QString step = setting ? QStringLiteral("settings") : frame.startsWith(u'C') ? "clears" : frame;
            if (step != frame)
                settingsAndClears << frame.left(2);
            if (steps.isEmpty() || steps.last() != step)
                steps << step;
        }
        QCOMPARE(steps, (QStringList{"settings", "clears", "A2", "AE"}));
        QCOMPARE(settingsAndClears.size(), 16 + 4);
        // A normally open contact with both bounces, run ten cycles from a
        // cleared count with the widest tolerances: a golden switch passes all.
        // (Ten failures, or ten in a row, would stop it early.)
        QCOMPARE(heldInTheRun.contact, 1 | 16 | 32 | 64 | 128);
        QCOMPARE((QList<int>{heldInTheRun.cycleLimit, heldInTheRun.failLimit, heldInTheRun.seqLimit}),
                 (QList<int>{10, 10, 10}));
        QCOMPARE((QList<int>{heldInTheRun.minDownResistTol, heldInTheRun.maxDownResistTol, heldInTheRun.minUpResistTol,
                             heldInTheRun.maxUpResistTol}),
                 (QList<int>{0, 1023, 0, 1023}));
        QCOMPARE((QList<int>{learned.CycleCount, learned.FailCount}), (QList<int>{10, 0}));
        QCOMPARE(station.rig.tester.stats().minusSent, 1);
        QVERIFY(station.settle());
        const QStringList frames = station.frames();
        // The editor's OK sent the learned values: a switch that closes on
        // the way down, a million cycles.
        QCOMPARE(frames.mid(frames.indexOf("E1241") + 1, 2), (QStringList{"E21000000", "E31000000"}));
        const SimulatedTester::Settings &held = station.rig.tester.settings();
        QCOMPARE((QList<int>{held.minDownResistTol, held.maxDownResistTol, held.minUpResistTol, held.maxUpResistTol}),
                 (QList<int>{0, 15, 1020, 1023}));
        QCOMPARE(held.minDownTime, learned.sMinDownTime);
        QVERIFY(learned.sMinDownTime >= 50 && learned.sMinDownTime < 100);
    }

    void masterResetGivesTheTesterItsIdentity()
    {
        Station station;
        station.rig.runCycles(7);   // results to clear
        QVERIFY(station.connect() && !station.frames().isEmpty());
        QCOMPARE(station.s().CycleCount, 7);

        ModalAnswerer answerer;
        answerer.then([](QDialog *dialog) {
            dialog->findChild<QLineEdit *>("serialNumberEdit")->setText("Q7");
            dialog->findChild<QLineEdit *>("modeEdit")->setText("1");
            dialog->findChild<QLineEdit *>("pullupEdit")->setText("40000");
            clickButton(dialog, "OKButton");
        });
        station.trigger("ConfigureMasterResetMenu");
        QVERIFY(station.settle());

        const QStringList frames = station.frames();
        QCOMPARE(frames.first(), QStringLiteral("E0Q7"));
        QCOMPARE(frames.mid(frames.size() - 9),
                 (QStringList{"EF40000", "F01", "F162500", "F262500", "C2", "C9", "CA", "CB", "AE"}));
        const SimulatorConfig &identity = station.rig.tester.config();
        QCOMPARE((QStringList{identity.serialNumber, QString::number(identity.mode), QString::number(identity.range)}),
                 (QStringList{"Q7", "1", "40000"}));
        QCOMPARE(station.s().CycleCount, 0);
    }

    void manualPistonAndReading()
    {
        Station station;
        QVERIFY(station.connect() && !station.frames().isEmpty());
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            clickButton(dialog, "ReadDataBtn");
            QVERIFY(station.settle());
            // Piston up, a normally open contact reads full scale: open.
            QCOMPARE(dialog->findChild<QLineEdit *>("readingBox")->text(), QStringLiteral("open"));
            clickButton(dialog, "PistonDownBtn");
            QVERIFY(station.rig.tickUntil([&] { return station.rig.tester.pistonDown() && station.idle(); }, 100));
            QVERIFY(dialog->findChild<QCheckBox *>("PistonCheck")->isChecked());
            clickButton(dialog, "CloseButton");
        });
        station.trigger("RunManualMenu");
        QVERIFY(station.settle());
        QCOMPARE(answerer.answered, 1);
        QCOMPARE(station.frames(), (QStringList{"B4", "A3", "C0", "A4", "C0"}));
        QVERIFY(!station.rig.tester.pistonDown());
    }
};

QTEST_MAIN(ProceduresEndToEndTest)
#include "ProceduresEndToEndTest.moc"

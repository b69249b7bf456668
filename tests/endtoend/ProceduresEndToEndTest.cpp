// The main window's procedures against the simulated tester on a pseudo-terminal.

#include "MainWindowRig.h"

#include "engine/procedures/LearnProcedure.h"
#include "features/procedures/LearnTransfer.h"
#include "support/ModalAnswerer.h"

#include "support/TestKit.h"
#include <QtWidgets>
#include <memory>

namespace {

// Ticks of the rig in one second of the learn window's clock.
constexpr int TicksPerSecond = 20;

// The tester at its own pace (a cycle a second): the ten learn cycles must end inside the learn window's time.
struct Station : MainWindowRig
{
    Station() : MainWindowRig(SimulatorConfig()) {}
    QStringList frames()   // what the tester received since the last call, without the wake-ups
    {
        QStringList taken = rig.takeFrames();
        taken.removeAll(QStringLiteral("<ESC>"));
        return taken;
    }
    // Configure, Learn, cancelled at that second (0: never) and the editor accepted; keeps what the tester held
    // in the run and received until the editor opened; the dialogs answered.
    int learn(int cancelAtSecond)
    {
        answerer = std::make_unique<ModalAnswerer>();
        answerer->then([](QDialog *dialog) { clickButton(dialog, "OKButton"); });
        answerer->then([this, cancelAtSecond](QDialog *dialog) {
            for (int second = 1; dialog->isVisible(); ++second) {
                rig.tick(TicksPerSecond);
                if (second == cancelAtSecond)
                    clickButton(dialog, "CancelButton");
                else
                    static_cast<LearnTransfer *>(dialog)->tick();
            }
        });
        answerer->then([this](QDialog *editor) {
            learned = s();
            heldInTheRun = rig.tester.settings();
            learnFrames = frames();
            clickButton(editor, "okButton");
        });
        trigger("ConfigureLearnMenu");
        return answerer->answered;
    }

    std::unique_ptr<ModalAnswerer> answerer;
    TesterState learned;
    SimulatedTester::Settings heldInTheRun;
    QStringList learnFrames;
};

// The learn's frames in steps: "settings" (E, F), "clears" (C), the others as they are; distinct: those sent.
QStringList learnSteps(const QStringList &frames, qsizetype &distinct)
{
    QStringList steps;
    QSet<QString> settingsAndClears;
    for (const QString &frame : frames) {
        const bool setting = frame.startsWith(u'E') || frame.startsWith(u'F');
        const QString step = setting ? QStringLiteral("settings") : frame.startsWith(u'C') ? "clears" : frame;
        if (step != frame)
            settingsAndClears << frame.left(2);
        if (steps.isEmpty() || steps.last() != step)
            steps << step;
    }
    distinct = settingsAndClears.size();
    return steps;
}

}   // namespace

class ProceduresEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void learn_data()
    {
        addColumns<int, int>("cancelAtSecond", "answered");   // 0: the learn window waits for the run's end
        addRow("to the run's end, the editor accepted", 0, 3);
        addRow("cancelled: the run goes on, the editor never opens", 3, 2);
    }

    void learn()
    {
        QFETCH(int, cancelAtSecond);
        Station station;
        station.rig.runCycles(4);   // counts a learn must clear
        QVERIFY(station.connect() && !station.frames().isEmpty());
        QTEST(station.learn(cancelAtSecond), "answered");
        if (cancelAtSecond) {
            // The run's end shows the data and touches neither the edit copy nor the editor.
            const TesterState atCancel = station.s();
            QVERIFY(station.rig.tickUntil([&] { return learnRunDataIn(station.s()); }, 400));
            QCOMPARE(station.answerer->answered, 2);
            QCOMPARE(station.s().pending.cycleLimit, atCancel.pending.cycleLimit);
            QCOMPARE(station.s().counters.cycleCount, 10);
            return;
        }
        QVERIFY(station.s().session.dirtyConfig);
        // Its sixteen settings, its four counters cleared, the run to its limits and the data request at its end.
        qsizetype distinct = 0;
        QCOMPARE(learnSteps(station.learnFrames, distinct), (QStringList{"settings", "clears", "A2", "AE"}));
        QCOMPARE(distinct, 16 + 4);
        // Ten cycles with the widest tolerances: a golden switch passes all (ten failures would stop it early).
        const SimulatedTester::Settings &run = station.heldInTheRun;
        QCOMPARE((QList<int>{run.contact, run.cycleLimit, run.failLimit, run.seqLimit}),
                 (QList<int>{1 | 16 | 32 | 64 | 128, 10, 10, 10}));
        QCOMPARE((QList<int>{run.minDownResistTol, run.maxDownResistTol, run.minUpResistTol, run.maxUpResistTol}),
                 (QList<int>{0, 1023, 0, 1023}));
        const TesterState &learned = station.learned;
        QCOMPARE((QList<int>{learned.counters.cycleCount, learned.counters.failCount}), (QList<int>{10, 0}));
        QCOMPARE(station.rig.tester.stats().minusSent, 1);
        QVERIFY(station.settle());
        const QStringList frames = station.frames();
        // The editor's OK sent the learned values: a switch that closes on the way down, a million cycles.
        QCOMPARE(frames.mid(frames.indexOf("E1241") + 1, 2), (QStringList{"E21000000", "E31000000"}));
        const SimulatedTester::Settings &held = station.rig.tester.settings();
        QCOMPARE((QList<int>{held.minDownResistTol, held.maxDownResistTol, held.minUpResistTol, held.maxUpResistTol}),
                 (QList<int>{0, 15, 1020, 1023}));
        QCOMPARE(held.minDownTime, learned.pending.minDownTime);
    }

    // A master reset ends with the counters cleared and the data request: no learn the session began with runs.
    void masterResetStartsNothing()
    {
        Station station;
        QVERIFY(station.connect() && !station.frames().isEmpty());
        ModalAnswerer answerer;
        answerer.then([](QDialog *dialog) { clickButton(dialog, "OKButton"); });
        station.trigger("ConfigureMasterResetMenu");
        QVERIFY(station.settle());
        QCOMPARE(station.frames().last(5), (QStringList{"C2", "C9", "CA", "CB", "AE"}));
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

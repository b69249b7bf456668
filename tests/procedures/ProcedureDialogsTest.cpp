// The learn arithmetic, and the learn, master reset and manual control dialogs over a fake tester.

#include "engine/procedures/DefaultConfig.h"
#include "engine/procedures/ManualControl.h"
#include "engine/supervision/TesterEngine.h"
#include "features/procedures/LearnTransfer.h"
#include "mainwindow/TesterWindow.h"
#include "support/Fetched.h"
#include "support/ModalAnswerer.h"
#include "support/TestKit.h"
#include "support/WindowRig.h"

#include <QtWidgets>

namespace {

// The main window, the tester found and idle; it acknowledges all, moves its piston on A3 / A4 and reports it.
struct Rig : WindowRig
{
    Rig()
    {
        port.selectPort(1);
        port.open();
        s.link.portOpen = true;
        s.link.quietTicks = 0;
        s.link.busy = false;
        s.reported.rangeMode = 0;
        s.reported.rangePullUp = 1000;
        form->updateControls();
        port.onWrite = [this, pistonDown = false](const QByteArray &bytes) mutable {
            if (bytes == "A3\r" || bytes == "A4\r")
                pistonDown = bytes == "A3\r";
            port.queueInput(bytes == "C0\r" ? (pistonDown ? "*8\r" : "*0\r") : "*\r");
        };
    }
    void trigger(const char *name) { action(name)->trigger(); }
    // Ticks until the tester has answered everything sent.
    void settle()
    {
        for (int i = 0; i < 20 && (s.link.step != LinkStep::Idle || s.link.busy); ++i)
            form->engine().pollTick();
    }
    QStringList frames()
    {
        QStringList taken = port.takeFrames();
        taken.removeAll(QStringLiteral("<ESC>"));
        return taken;
    }

    TesterState &s = form->state();
};

void clickButton(QWidget *dialog, const char *name)
{
    QTest::mouseClick(dialog->findChild<QAbstractButton *>(name), Qt::LeftButton);
}

}   // namespace

class ProcedureDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The margins, their clamps and halves rounded to even.
    void learnedBounceAndStroke()
    {
        for (auto [measured, learned] : {std::pair{500, 1250}, {2000, 3000}, {50000, 62500}})
            QCOMPARE(learnedBounceTol(measured), learned);
        for (auto [measured, learned] : {std::pair{20, 50}, {120, 180}, {101, 152}, {99, 148}, {400, 500}})
            QCOMPARE(learnedStrokeTime(measured), learned);
    }

    // The extremes measured on a golden switch, 1000 ohm pull-up (or full scale in current and voltage).
    void learnedContactTolerances_data()
    {
        // in: contact, mode, both down extremes, both up extremes; out: min down, max down, min up, max up
        addColumns<QList<int>, QList<int>>("in", "out");
        QTest::newRow("NO resistance") << QList<int>{1, 0, 10, 1023} << QList<int>{0, 16, 1020, 1023};
        // Odd counts give halves, rounded to the even count: 601 -> 902.5 and 299.5, 603 -> 905.5 and 300.5.
        QTest::newRow("NO current, odd counts") << QList<int>{1, 1, 601, 603} << QList<int>{0, 902, 300, 906};
        QTest::newRow("NC resistance, 1022 stays") << QList<int>{2, 0, 1023, 0} << QList<int>{1022, 1023, 0, 15};
        QTest::newRow("NC voltage, odd counts") << QList<int>{2, 2, 603, 601} << QList<int>{300, 906, 0, 902};
    }

    void learnedContactTolerances()
    {
        QFETCH(QList<int>, in);
        TesterState s;
        s.reported.rangeMode = s.pending.rangeMode = TesterState::Integer(in[1]);
        s.reported.rangePullUp = s.pending.rangePullUp = 1000;
        s.pending.contact = TesterState::Integer(in[0]);
        s.counters.maxDownResistance = s.counters.minDownResistance = in[2];
        s.counters.maxUpResistance = s.counters.minUpResistance = in[3];
        setLearnedConfig(s);
        QTEST((QList<int>{s.pending.minDownResistTol, s.pending.maxDownResistTol, s.pending.minUpResistTol,
                          s.pending.maxUpResistTol}),
              "out");
    }

    // Configure, Learn: the learn dialog, the learn window ticking once a second, the editor with what was learned.
    void learn_data()
    {
        // switchType: list position; leave: the button clicked, or "Enter on" the control with the focus; comSeq: the link when OK is pressed;
        // closesAt: the learn window's second that closes it, 0: cancelled; ended: the tester said "-"; inFlight: the
        // command then in flight; dataFileOpen: no samples unsaved
        addColumns<int, bool, QString, int, QStringList, int, bool, int, bool, bool>(
            "switchType", "bounce", "leave", "comSeq", "frames", "closesAt", "ended", "inFlight", "dataFileOpen",
            "editor");
        const QStringList learned = {"E150"}, none;
        addRow("normally closed without bounce", 1, false, "OKButton", 0, learned, 0, false, 0, false, false);
        addRow("Enter cancels", 1, false, "Enter on switchTypeSelect", 0, none, 0, false, 0, false, false);
        addRow("Enter on OK cancels too", 1, false, "Enter on OKButton", 0, none, 0, false, 0, false, false);
        // A learn that never started leaves nothing to turn the next download into a counter reset and a test run.
        addRow("a reply awaited", 0, true, "OKButton", int(LinkStep::AwaitingReply), none, 0, false, 0, false, false);
        addRow("never ends: gives up at the 16th second", 1, false, "OKButton", 0, learned, 16, false, 0, false, false);
        addRow("end of run logged to an open data file", 1, false, "OKButton", 0, learned, 1, true, 0, true, true);
        addRow("end of run, its data still awaited", 1, false, "OKButton", 0, learned, 16, true,
               wireCode(Command::SampleData), false, false);
    }

    void learn()
    {
        QFETCH(QString, leave);
        QFETCH(QStringList, frames);
        QFETCH(int, inFlight);
        QFETCH(int, closesAt);
        QFETCH(bool, editor);
        Rig rig;
        rig.s.link.step = LinkStep(fetched<int>("comSeq"));
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            dialog->findChild<QComboBox *>("switchTypeSelect")->setCurrentIndex(fetched<int>("switchType"));
            dialog->findChild<QCheckBox *>("includeBounceCheck")->setChecked(fetched<bool>("bounce"));
            if (leave.startsWith("Enter on "))
                QTest::keyClick(dialog->findChild<QWidget *>(leave.mid(9)), Qt::Key_Return);
            else
                clickButton(dialog, qPrintable(leave));
        });
        answerer.then([&](QDialog *dialog) {
            if (!closesAt)
                return clickButton(dialog, "CancelButton");
            rig.s.session.terminated = fetched<bool>("ended");
            rig.s.link.inFlight = Command(inFlight);
            rig.s.link.step = inFlight ? LinkStep::AwaitingReply : LinkStep::Idle;
            rig.s.session.dirtyData = !fetched<bool>("dataFileOpen");
            rig.s.counters.lastUpStrokeTime = 101;
            for (int second = 1; second < closesAt; ++second)
                static_cast<LearnTransfer *>(dialog)->tick();
            QVERIFY(dialog->isVisible());
            static_cast<LearnTransfer *>(dialog)->tick();
            QVERIFY(!dialog->isVisible());
        });
        answerer.then([&rig](QDialog *dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("ConfigEditorDialog"));
            QCOMPARE(rig.s.pending.minUpTime, 152);   // the learned values
            clickButton(dialog, "cancelButton");
        });
        rig.trigger("ConfigureLearnMenu");
        QCOMPARE(answerer.answered, frames.isEmpty() ? 1 : editor ? 3 : 2);
        QCOMPARE(rig.frames(), frames);
        QCOMPARE(rig.s.session.learnConfigure, !frames.isEmpty());
        QCOMPARE(rig.s.pending.cycleLimit, editor ? 1000000 : 10);   // the defaults stay unless learned
        QCOMPARE(rig.s.session.dirtyConfig, editor);   // a learned configuration is unsaved, even cancelled
    }

    // A running test is stopped by a master reset only when the operator agrees; a bad entry keeps the dialog open.
    void masterDialog_data()
    {
        // answers: to the question a running test brings; entries: serial, mode, pull-up, none when the dialog does
        // not open; error: empty when accepted; stored: mode, pull-up
        addColumns<QList<int16_t>, QStringList, QString, QList<int>>("answers", "entries", "error", "stored");
        auto row = [](const QString &entries, const QString &error, QList<int> stored = {0, 1000}) {
            QTest::newRow(qPrintable(entries)) << QList<int16_t>() << entries.split('|') << error << stored;
        };
        row("aB3dE6gH|0|1000", "");
        row("7|3|65535", "", {3, 65535});
        row("Z9|1.5|40000", "", {2, 40000});
        row("z| 2.5 |0", "", {2, 0});
        for (const QString &serial : QStringList{"AB 12345", "", "123456789"})
            row(serial + "|x|-5", "Invalid Serial Number");   // only the first bad field
        for (const QString &mode : QStringList{"3.2", "-1", "two"})
            row("A1|" + mode + "|x", "Invalid Resistance Mode");
        for (const QString &pullUp : QStringList{"65536", "-5", "1k"})
            row("A1|1|" + pullUp, "Invalid Resistance Value");
        addRow("running, No", QList<int16_t>{AnswerNo}, QStringList(), "", QList<int>{0, 0});   // nothing loaded
        addRow("running, Yes", QList<int16_t>{AnswerYes}, QStringList{"00000000", "0", "1000"}, "",
               QList<int>{0, 1000});
    }

    void masterDialog()
    {
        QFETCH(QList<int16_t>, answers);
        QFETCH(QStringList, entries);
        QFETCH(QString, error);
        Rig rig;
        rig.dialogs.answers = answers;
        rig.s.counters.running = !answers.isEmpty();
        rig.s.pending.serialNumber = "KEPT";
        QStringList opened;
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            for (const char *field : {"serialNumberEdit", "modeEdit", "pullupEdit"}) {
                auto *edit = dialog->findChild<QLineEdit *>(field);
                opened << edit->text();
                edit->setText(entries[opened.size() - 1]);
            }
            clickButton(dialog, "OKButton");
            if (dialog->isVisible())   // a bad entry keeps the dialog open
                clickButton(dialog, "CancelButton");
        });
        rig.trigger("ConfigureMasterResetMenu");

        const bool sent = error.isEmpty() && !entries.isEmpty();
        QCOMPARE(opened, entries.isEmpty() ? QStringList() : (QStringList{"00000000", "0", "1000"}));
        QStringList calls;
        if (!answers.isEmpty())
            calls << "yesno:Master Reset|A test is running. A master reset stops it, loads the default configuration "
                     "and clears the counters. Continue?";
        if (!error.isEmpty())
            calls << "error:Master Reset Data Error|" + error;
        QCOMPARE(rig.dialogs.calls, calls);
        QCOMPARE(rig.frames(), sent ? QStringList{"E0" + entries[0]} : QStringList());
        // The defaults are loaded as the dialog opens, and stay when it is cancelled.
        QCOMPARE(rig.s.pending.serialNumber, entries.isEmpty() ? "KEPT" : sent ? entries[0] : "00000000");
        QTEST((QList<int>{rig.s.pending.rangeMode, rig.s.pending.rangePullUp}), "stored");
    }

    void manualDialog_data()
    {
        // runAfterwards: closed, a test started, then the program closed
        addColumns<bool, QStringList>("runAfterwards", "frames");
        // The piston-down's answer is on its way when the program closes: the piston goes up first.
        QTest::newRow("program closed with the dialog open") << false << QStringList{"A3", "C0", "A4", "C0"};
        // Close's piston-up was dropped on the busy link, the piston shows down: a running test is left alone.
        QTest::newRow("program closed during a test started afterwards") << true << QStringList{"A3", "C0", "A2"};
    }

    // A status decoded while no dialog was open shows when it opens.
    void manualDialog()
    {
        QFETCH(bool, runAfterwards);
        Rig rig;
        rig.built->session.manual().showPiston(true);
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            auto *box = dialog->findChild<QCheckBox *>("PistonCheck");
            QTest::mouseClick(box, Qt::LeftButton);   // the operator cannot untick it
            QVERIFY(box->isChecked());
            QCOMPARE(dialog->findChild<QLineEdit *>("readingBox")->text(), QStringLiteral("----"));
            clickButton(dialog, "PistonDownBtn");
            if (runAfterwards)
                clickButton(dialog, "CloseButton");
            else
                rig.form->close();
        });
        rig.trigger("RunManualMenu");
        if (runAfterwards) {
            rig.settle();
            rig.trigger("RunRunLimitMenu");
            rig.settle();
            QVERIFY(rig.s.counters.running);
            rig.form->close();
        }
        QCOMPARE(answerer.answered, 1);
        QTEST(rig.frames(), "frames");
    }
};

QTEST_MAIN(ProcedureDialogsTest)
#include "ProcedureDialogsTest.moc"

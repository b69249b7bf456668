// The learn, master reset and manual control dialogs on the main window's
// menus, over a fake port whose tester answers at once.

#include "mainwindow/MainForm.h"
#include "mainwindow/MainMenus.h"
#include "procedures/LearnTransfer.h"
#include "procedures/ProcedureMenus.h"
#include "supervision/TesterEngine.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/FakeView.h"
#include "support/MemorySettingsStore.h"
#include "support/ModalAnswerer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

// A tester that acknowledges everything, moves its piston on A3 / A4 and
// reports it in the status (C0), and reads full scale (B4).
void AnswerLikeATester(FakeSerialPort &port)
{
    port.onWrite = [&port, pistonDown = false](const QByteArray &bytes) mutable {
        if (bytes == "A3\r" || bytes == "A4\r")
            pistonDown = bytes == "A3\r";
        if (bytes == "C0\r")
            port.queueInput(pistonDown ? "*8\r" : "*0\r");
        else if (bytes == "B4\r")
            port.queueInput("*1023\r");
        else
            port.queueInput("*\r");
    };
}

void LinkUp(TesterState &s, FakeSerialPort &port)
{
    port.selectPort(1);
    port.open();
    s.ComChan = 1;
    s.ComChanOpen = true;
    s.ComSeq = 0;
    s.ComCnt = 0;
    s.MustWait = false;
    s.vRMode = 0;
    s.vRPullUp = 1000;
}

QStringList WithoutWakeUps(QStringList frames)
{
    frames.removeAll(QStringLiteral("<ESC>"));
    return frames;
}

void Click(QDialog *dialog, const char *name)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
}

// The main window's part the procedures need, with the configuration
// commands recorded instead of run.
struct Rig : FakeView
{
    Rig()
    {
        LinkUp(s, port);
        procedures = std::make_unique<ProcedureMenus>(
            menus, s, engine, dialogs, &window, [this] { return configSaved; },
            [this](bool newLearn) { editorRuns << newLearn; });
    }
    void setPistonBox(bool ticked) override { procedures->manual().setPistonBox(ticked); }
    void showManualReading(const QString &text) override { procedures->manual().showManualReading(text); }

    void tick(int count) { for (int i = 0; i < count; ++i) engine.Tick(); }

    TesterState s;
    FakeSerialPort port;
    TesterEngine engine{s, port, *this};
    FakeMessageDialogs dialogs;
    QMainWindow window;
    MainMenus menus{window};
    bool configSaved = true;
    QList<bool> editorRuns;
    std::unique_ptr<ProcedureMenus> procedures;
};

} // namespace

class ProcedureDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void learnDialog_data()
    {
        QTest::addColumn<int>("switchType");   // list position
        QTest::addColumn<bool>("bounce");
        QTest::addColumn<QString>("leave");    // "OK", "Cancel" or "Enter"
        QTest::addColumn<QStringList>("frames");
        QTest::newRow("normally closed without bounce") << 1 << false << "OK" << QStringList{"E150"};
        QTest::newRow("normally open with bounce") << 0 << true << "OK" << QStringList{"E1241"};
        QTest::newRow("cancel") << 0 << true << "Cancel" << QStringList();
        QTest::newRow("Enter cancels") << 1 << false << "Enter" << QStringList();
    }

    void learnDialog()
    {
        QFETCH(int, switchType);
        QFETCH(bool, bounce);
        QFETCH(QString, leave);
        QFETCH(QStringList, frames);
        Rig rig;
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Learn Switch Parameters"));
            dialog->findChild<QComboBox *>("LearnSwitchType")->setCurrentIndex(switchType);
            dialog->findChild<QCheckBox *>("LearnBounceCheck")->setChecked(bounce);
            if (leave == "Enter")
                QTest::keyClick(dialog->findChild<QComboBox *>("LearnSwitchType"), Qt::Key_Return);
            else
                Click(dialog, leave == "OK" ? "OKButton" : "CancelButton");
        });
        if (!frames.isEmpty())
            answerer.then([](QDialog *dialog) { Click(dialog, "CancelButton"); });
        rig.menus.ConfigureLearnMenu->trigger();

        QCOMPARE(answerer.answered, frames.isEmpty() ? 1 : 2);
        QCOMPARE(rig.port.takeFrames(), frames);
        QCOMPARE(rig.s.LearnConfigure, !frames.isEmpty());
        QCOMPARE(rig.s.sCycleLimit, 10);   // the defaults stay, learn or not
        QVERIFY(rig.editorRuns.isEmpty());
    }

    void learnNeedsTheConfigurationSavedAndAFreeLink_data()
    {
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("comSeq");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("save question cancelled") << false << 0 << 0;
        QTest::newRow("a reply awaited") << true << 10 << 1;
    }

    void learnNeedsTheConfigurationSavedAndAFreeLink()
    {
        QFETCH(bool, saved);
        QFETCH(int, comSeq);
        QFETCH(int, dialogs);
        Rig rig;
        rig.configSaved = saved;
        rig.s.ComSeq = TesterState::Integer(comSeq);
        ModalAnswerer answerer;
        answerer.then([](QDialog *dialog) { Click(dialog, "OKButton"); });
        rig.menus.ConfigureLearnMenu->trigger();
        QCOMPARE(answerer.answered, dialogs);
        QVERIFY(rig.port.takeFrames().isEmpty());
        // A learn that never started leaves nothing to turn the next
        // download into a counter reset and a test run.
        QVERIFY(!rig.s.LearnConfigure);
    }

    // The learn window on its own clock, one call a second.
    void learnWindow_data()
    {
        QTest::addColumn<bool>("ended");        // the tester said "-"
        QTest::addColumn<int>("comSeq");        // the link when the window looks
        QTest::addColumn<bool>("dataFileOpen"); // samples go to the file and are not unsaved
        QTest::addColumn<int>("closesAt");
        QTest::addColumn<bool>("canceled");
        QTest::newRow("never ends: gives up at the 16th second") << false << 0 << false << 16 << true;
        QTest::newRow("end of run, its data taken") << true << 0 << false << 1 << false;
        QTest::newRow("end of run logged to an open data file") << true << 0 << true << 1 << false;
        QTest::newRow("end of run, its data still awaited") << true << 10 << false << 16 << true;
    }

    void learnWindow()
    {
        QFETCH(bool, ended);
        QFETCH(int, comSeq);
        QFETCH(bool, dataFileOpen);
        QFETCH(int, closesAt);
        QFETCH(bool, canceled);
        TesterState s;
        s.ComChanOpen = true;
        s.ComSeq = TesterState::Integer(comSeq);
        s.Terminated = ended;
        s.IsDirtyData = !dataFileOpen;
        LearnTransfer window(s);
        window.show();
        for (int second = 1; second < closesAt; ++second)
            window.tick();
        QVERIFY(window.isVisible());
        window.tick();
        QVERIFY(!window.isVisible());
        QCOMPARE(window.Canceled(), canceled);
    }

    // The learn's run never ends: the window gives up, and neither the
    // editor nor the learned values follow.
    void learnTimesOutWithoutOpeningTheEditor()
    {
        Rig rig;
        AnswerLikeATester(rig.port);
        ModalAnswerer answerer;
        answerer.then([](QDialog *dialog) { Click(dialog, "OKButton"); });
        answerer.then([&rig](QDialog *dialog) {
            auto *window = static_cast<LearnTransfer *>(dialog);
            for (int second = 1; second <= 16; ++second) {
                rig.tick(20);
                window->tick();
            }
        });
        rig.menus.ConfigureLearnMenu->trigger();
        QCOMPARE(answerer.answered, 2);
        QVERIFY(rig.editorRuns.isEmpty());
        QCOMPARE(rig.s.sCycleLimit, 10);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void learnEndsAndOpensTheEditor()
    {
        Rig rig;
        ModalAnswerer answerer;
        answerer.then([](QDialog *dialog) { Click(dialog, "OKButton"); });
        answerer.then([&rig](QDialog *dialog) {
            rig.s.vCycleLimit = 10;
            rig.s.vLastUpStrokeTime = 101;
            rig.s.Terminated = true;
            rig.s.ComSeq = 0;
            rig.s.comDelayed = 0;
            static_cast<LearnTransfer *>(dialog)->tick();
        });
        rig.menus.ConfigureLearnMenu->trigger();
        QCOMPARE(rig.editorRuns, QList<bool>{true});
        QCOMPARE(rig.s.sCycleLimit, 1000000);
        QCOMPARE(rig.s.sMinUpTime, 152);
    }

    void masterDialog_data()
    {
        QTest::addColumn<QStringList>("entries");   // serial, mode, pull-up
        QTest::addColumn<QString>("error");         // empty when accepted
        QTest::addColumn<QList<int>>("stored");     // mode, pull-up

        auto ok = [](const QString &serial, const QString &mode, const QString &pullUp, int storedMode,
                     int storedPullUp) {
            QTest::newRow(qPrintable(serial + " " + mode + " " + pullUp))
                << QStringList{serial, mode, pullUp} << QString() << QList<int>{storedMode, storedPullUp};
        };
        auto bad = [](const QString &serial, const QString &mode, const QString &pullUp, const QString &error) {
            QTest::newRow(qPrintable("bad: [" + serial + "] [" + mode + "] [" + pullUp + "]"))
                << QStringList{serial, mode, pullUp} << error << QList<int>{0, 1000};
        };
        ok("aB3dE6gH", "0", "1000", 0, 1000);
        ok("7", "3", "65535", 3, 65535);
        ok("Z9", "1.5", "40000", 2, 40000);
        ok("z", " 2.5 ", "0", 2, 0);
        const QString serialError = "Invalid Serial Number", modeError = "Invalid Resistance Mode",
                      valueError = "Invalid Resistance Value";
        bad("AB-12345", "0", "1000", serialError);
        bad("AB 12345", "0", "1000", serialError);
        bad("", "0", "1000", serialError);
        bad("123456789", "x", "-5", serialError);   // only the first bad field
        bad("A1", "3.2", "1000", modeError);
        bad("A1", "-1", "1000", modeError);
        bad("A1", "two", "x", modeError);
        bad("A1", "1", "65536", valueError);
        bad("A1", "1", "-5", valueError);
        bad("A1", "1", "1k", valueError);
    }

    void masterDialog()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, error);
        QFETCH(QList<int>, stored);
        Rig rig;
        QStringList opened;
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            const char *fields[] = {"MstrSerNum", "MstrRMode", "MstrPullup"};
            for (int i = 0; i < 3; ++i) {
                auto *edit = dialog->findChild<QLineEdit *>(fields[i]);
                opened << edit->text();
                edit->setText(entries[i]);
            }
            Click(dialog, "OKButton");
            if (dialog->isVisible())   // a bad entry keeps the dialog open
                Click(dialog, "CancelButton");
        });
        rig.menus.ConfigureMasterResetMenu->trigger();

        QCOMPARE(opened, (QStringList{"00000000", "0", "1000"}));
        const QStringList frames = rig.port.takeFrames();
        if (error.isEmpty()) {
            QVERIFY(rig.dialogs.calls.isEmpty());
            QCOMPARE(frames, QStringList{"E0" + entries[0]});
            QCOMPARE(rig.s.sSerialNumber, entries[0]);
        } else {
            QCOMPARE(rig.dialogs.calls, QStringList{"error:Master Reset Data Error|" + error});
            QVERIFY(frames.isEmpty());
            QCOMPARE(rig.s.sSerialNumber, QStringLiteral("00000000"));
        }
        QCOMPARE((QList<int>{rig.s.sRMode, rig.s.sRPullUp}), stored);
    }

    void manualDialog()
    {
        Rig rig;
        AnswerLikeATester(rig.port);
        rig.procedures->manual().setPistonBox(true);   // a status while no dialog was open
        ModalAnswerer answerer;
        answerer.then([&rig](QDialog *dialog) {
            auto *box = dialog->findChild<QCheckBox *>("PistonCheck");
            auto *reading = dialog->findChild<QLabel *>("CurntReadingBox");
            QVERIFY(box->isChecked());
            QCOMPARE(reading->text(), QStringLiteral("----"));
            rig.procedures->manual().setPistonBox(false);
            QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY(!box->isChecked());   // the operator cannot tick it

            Click(dialog, "PistonDownBtn");
            rig.tick(10);
            QVERIFY(box->isChecked());
            Click(dialog, "ReadDataBtn");
            rig.tick(10);
            QCOMPARE(reading->text(), QStringLiteral("open"));
            Click(dialog, "CloseButton");
        });
        rig.menus.RunManualMenu->trigger();
        rig.tick(10);
        QCOMPARE(WithoutWakeUps(rig.port.takeFrames()), (QStringList{"A3", "C0", "B4", "A4", "C0"}));

        rig.s.MustWait = true;   // a command in flight: the menu does nothing
        rig.menus.RunManualMenu->trigger();
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Every field, check box and button is found by its caption or label
    // and described by its tool tip.
    void controlsAreNamedAndDescribed()
    {
        Rig rig;
        QStringList unnamed;
        auto inspect = [&unnamed](QDialog *dialog) {
            const QList<QWidget *> controls = dialog->findChildren<QWidget *>();
            for (QWidget *w : controls) {
                if (!qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w)
                    && !qobject_cast<QAbstractButton *>(w))
                    continue;
                if (w->accessibleName().isEmpty() || w->accessibleDescription() != w->toolTip())
                    unnamed << dialog->objectName() + "." + w->objectName();
            }
            dialog->reject();
        };
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            inspect(dialog);
        });
        rig.menus.ConfigureLearnMenu->trigger();
        answerer.then(inspect);
        rig.menus.ConfigureMasterResetMenu->trigger();
        answerer.then(inspect);
        rig.menus.RunManualMenu->trigger();
        LearnTransfer window(rig.s);
        inspect(&window);
        QCOMPARE(answerer.answered, 3);
        QCOMPARE(unnamed, QStringList());
    }

    // The program is closed with the piston down and the piston-down
    // command's answer still on its way: the piston goes up before the
    // window is gone.
    void closingTheProgramRaisesThePiston()
    {
        FakeSerialPort port;
        MemorySettingsStore settings;
        FakeMessageDialogs dialogs;
        FakeDataFileDialog files;
        MainForm form(port, settings, dialogs, files, 24 * 3600 * 1000);
        LinkUp(form.state(), port);
        form.SetControls();
        AnswerLikeATester(port);
        ModalAnswerer answerer;
        answerer.then([&form](QDialog *dialog) {
            Click(dialog, "PistonDownBtn");
            form.close();
        });
        form.findChild<QAction *>("RunManualMenu")->trigger();
        QCOMPARE(answerer.answered, 1);
        QCOMPARE(WithoutWakeUps(port.takeFrames()), (QStringList{"A3", "C0", "A4", "C0"}));
    }
};

QTEST_MAIN(ProcedureDialogsTest)
#include "ProcedureDialogsTest.moc"

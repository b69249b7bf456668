// The Configure menu of the main window against the simulated tester on a pseudo-terminal.

#include "MainWindowRig.h"

#include "engine/config/ConfigCommands.h"
#include "support/FakeConfigFileDialog.h"
#include "support/ModalAnswerer.h"
#include "support/OneLine.h"

#include "support/TestKit.h"
#include <QtWidgets>

namespace {

// The main window on a tester that has run five cycles, its configuration files chosen by script.
struct ConfigRig : MainWindowRig
{
    ConfigRig()
    {
        SimulatedTester::Settings &t = rig.tester.settings();
        t.contact = 3 | 16 | 32 | 64;           // alternate action stays alternate action
        t.minDownTime = 50, t.minUpTime = 60;   // minimum times the editor takes as they are
        rig.runCycles(5);                       // so that clearing them shows
        form.configCommands().setFileDialog(configFiles);
    }
    // What the tester receives until it answers the data request that ends a download.
    QStringList run(const char *action)
    {
        trigger(action);
        QStringList frames;
        rig.tickUntil(
            [&] {
                frames += rig.takeFrames();
                return frames.contains("AE") && idle();
            },
            1000);
        return frames;
    }

    FakeConfigFileDialog configFiles;
};

}   // namespace

class ConfigEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editSaveOpenReset()
    {
        ConfigRig w;
        TesterState &s = w.s();
        QVERIFY(w.connect());
        w.rig.takeFrames();
        ModalAnswerer answerer;

        // OK without a change sends the whole configuration, and it is not unsaved.
        s.session.dirtyConfig = true;
        answerer.then([&](QDialog *editor) { clickButton(editor, "okButton"); });
        QStringList sent = {"E1115", "E210",   "E33",    "E4100000", "E5100", "E650",   "E7100",  "E860", "E9200",
                            "EA50",  "EB1023", "EC1000", "ED20",     "EE0",   "F13000", "F23000", "AE"};
        QCOMPARE(w.run("ConfigureEditMenu"), sent);
        QVERIFY(!s.session.dirtyConfig);

        answerer.then([&](QDialog *editor) {
            editor->findChild<QLineEdit *>("maxTestCyclesEdit")->setText("1234");
            clickButton(editor, "okButton");
        });
        sent[3] = "E41234";
        QCOMPARE(w.run("ConfigureEditMenu"), sent);
        QCOMPARE(w.rig.tester.settings().cycleLimit, 1234);
        QCOMPARE(w.shown("cycleLimitBox"), QStringLiteral("1234"));

        // Saved, then opened: the same configuration again, the counters left alone.
        QTemporaryDir dir;
        const QString saved = dir.filePath("saved.cfg");
        w.configFiles.choices = {saved, saved};
        w.trigger("ConfigureSaveMenu");
        QCOMPARE(w.run("ConfigureOpenMenu"), sent);
        QCOMPARE(w.shown("cycleCountBox"), QStringLiteral("5"));

        // Only "Cycle Count" ticked: the tester clears its cycle count alone.
        answerer.then([&](QDialog *reset) {
            for (const char *box : {"clearFailuresCheck", "clearSeqFailuresCheck", "clearMinMaxCheck"})
                reset->findChild<QCheckBox *>(box)->setChecked(false);
            clickButton(reset, "OKButton");
        });
        QCOMPARE(w.run("ConfigureResetLimits"), (QStringList{"CB", "AE"}));
        QCOMPARE(w.shown("cycleCountBox"), QStringLiteral("0"));
    }

    void masterFileRewritesTheIdentity()
    {
        ConfigRig w;
        QVERIFY(w.connect());
        w.rig.takeFrames();
        QTemporaryDir dir;
        // A master file, 50.0 mA full scale: its serial number goes first, every counter is cleared.
        QFile master(dir.filePath("master.cfg"));
        QVERIFY(master.open(QIODevice::WriteOnly));
        master.write("Model 418C Master\r\nQ7000042\r\nSoftware Ver 1.2\r\n1\r\n500\r\n49\r\n10\r\n3\r\n1000\r\n"
                     "0.500\r\n0.050\r\n0.400\r\n0.060\r\n180\r\n60\r\n50.0\r\n25\r\n2.5\r\n0\r\n0.004800\r\n"
                     "0.003200\r\n");
        master.close();
        w.configFiles.choices = {master.fileName()};
        QCOMPARE(w.run("ConfigureOpenMenu"),
                 (QStringList{"E0Q7000042", "E149",   "E210",   "E33",    "E41000", "E5500", "E650", "E7400",
                              "E860",       "E9180",  "EA60",   "EB1023", "EC512",  "ED51",  "EE0",  "EF500",
                              "F01",        "F13000", "F22000", "C2",     "C9",     "CA",    "CB",   "AE"}));
        QCOMPARE(
            oneLine(w.s().identity.serialNumber, w.s().reported.rangeMode, w.s().reported.rangePullUp, w.dialogs.calls),
            "Q7000042 1 500 ");
    }
};

QTEST_MAIN(ConfigEndToEndTest)
#include "ConfigEndToEndTest.moc"

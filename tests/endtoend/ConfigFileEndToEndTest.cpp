// Configuration files against the simulated tester on a pseudo-terminal:
// a master file rewrites the tester's identity and clears its counters, and
// a saved file loads back into the same tester without changing anything.

#include "SimulatedRig.h"

#include "config/ConfigCommands.h"
#include "preferences/Registry.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct ConfigRig : SimulatedRig
{
    ConfigRig()
    {
        // A tester with a history, so that clearing its counters shows.
        tester.receive("AC\r");
        tester.advance(7 * FastConfig().periodMs + 10);
        tester.receive("A1\r");
        tester.takeOutput();
    }

    // Ticks until the tester has answered the data request that ends a
    // download; what it received on the way.
    QStringList untilDownloaded()
    {
        QStringList frames;
        tickUntil([&] { frames += takeFrames(); return frames.contains("AE") && engine->CommReady(); }, 1000);
        return frames;
    }

    // The tester's configuration: serial number, mode, range, then the values in download order.
    QStringList testerSettings()
    {
        const SimulatedTester::Settings &t = tester.settings();
        QStringList values{tester.serialNumber(), QString::number(tester.config().mode),
                           QString::number(tester.config().range)};
        for (const qint64 v : {t.contact, t.failLimit, t.seqLimit, t.cycleLimit, t.maxDownTime, t.minDownTime,
                               t.maxUpTime, t.minUpTime, t.upperBounce, t.lowerBounce, t.maxUpResistTol,
                               t.minUpResistTol, t.maxDownResistTol, t.minDownResistTol, t.maxDownBounceTol,
                               t.maxUpBounceTol})
            values << QString::number(v);
        return values;
    }

    FakeMessageDialogs dialogs;
    FakeConfigFileDialog files;
    MemorySettingsStore settings;
    Registry registry{settings};
    ConfigCommands commands{s, *engine, dialogs, files, registry};
    QTemporaryDir dir;
};

} // namespace

class ConfigFileEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Save writes a file that Open reads back without a change; then a
    // master file rewrites the identity and clears the counters.
    void savedFileThenMasterFile()
    {
        ConfigRig rig;
        SimulatedTester::Settings &t = rig.tester.settings();
        t.contact = 3 | 16 | 32 | 64;   // alternate action stays alternate action
        t.minDownTime = 30;
        t.minUpTime = 45;
        QVERIFY(rig.connect());
        const QStringList before = rig.testerSettings();
        const int cycles = rig.tester.cycleCount();
        QVERIFY(cycles > 0);
        const QString saved = rig.dir.filePath("saved.cfg");
        rig.files.choices = {saved, saved};

        rig.commands.ConfigureSaveMenu();
        rig.takeFrames();
        rig.commands.ConfigureOpenMenu();
        QStringList frames = rig.untilDownloaded();

        QVERIFY2(frames.contains("E1115") && frames.contains("F23000"), qPrintable(frames.join(' ')));
        QCOMPARE(rig.testerSettings(), before);
        QCOMPARE(rig.tester.cycleCount(), cycles);   // an ordinary file leaves the counters alone
        QCOMPARE(rig.files.uses, (QStringList{"save", "open:" + saved}));

        // Current measurement, 50.0 mA full scale; the tolerances in mA.
        QFile master(rig.dir.filePath("master.cfg"));
        QVERIFY(master.open(QIODevice::WriteOnly));
        master.write("Model 418C Master\r\nQ7000042\r\nSoftware Ver 1.2\r\n1\r\n500\r\n49\r\n10\r\n3\r\n1000\r\n"
                     "0.500\r\n0.050\r\n0.400\r\n0.060\r\n180\r\n60\r\n50.0\r\n25\r\n2.5\r\n0\r\n0.004800\r\n"
                     "0.003200\r\n");
        master.close();
        rig.files.choices = {master.fileName()};
        rig.commands.ConfigureOpenMenu();
        frames = rig.untilDownloaded();

        QVERIFY2(frames.indexOf("E0Q7000042") >= 0 && frames.indexOf("E0Q7000042") < frames.indexOf("E149"),
                 qPrintable(frames.join(' ')));
        QCOMPARE(rig.testerSettings(), (QStringList{"Q7000042", "1", "500", "49", "10", "3", "1000", "500", "50",
                                                    "400", "60", "180", "60", "1023", "512", "51", "0", "3000", "2000"}));
        QCOMPARE(rig.tester.cycleCount(), 0);
        // The display follows from the final data record.
        QCOMPARE(rig.s.vSerialNumber, QStringLiteral("Q7000042"));
        QCOMPARE(rig.s.vRPullUp, 500);
        QCOMPARE(rig.s.CycleCount, 0);
        QVERIFY(rig.dialogs.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ConfigFileEndToEndTest)
#include "ConfigFileEndToEndTest.moc"

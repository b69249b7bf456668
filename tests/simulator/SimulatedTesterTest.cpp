// The simulated tester where its behaviour is not obvious.

#include "simulator/SimulatedTester.h"
#include "config/ConfigSnapshot.h"
#include "engine/config/ConfigEditor.h"
#include "engine/config/ConfigFile.h"
#include "engine/preferences/Registry.h"
#include "engine/trend/TrendLogReader.h"
#include "simulator/CycleMeasurement.h"
#include "simulator/SimulatedRunLog.h"
#include "simulator/SimulatorPump.h"
#include "supervision/EngineRig.h"
#include "support/FakeMessageDialogs.h"
#include "support/Fetched.h"
#include "support/MemorySettingsStore.h"
#include "support/OneLine.h"
#include "support/TestKit.h"

#ifdef Q_OS_UNIX
#include "simulator/PseudoTerminal.h"

#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Sends one command line and returns its reply line, CR included.
QByteArray ask(SimulatedTester &tester, const QByteArray &command)
{
    tester.takeOutput();
    tester.receive(command + '\r');
    return tester.takeOutput();
}

// What the tester says and when, moved on by 1 ms or to the next moment msUntilDue() names.
QList<QPair<int64_t, QByteArray>> timeline(SimulatedTester &tester, int ms, bool dueSteps)
{
    QList<QPair<int64_t, QByteArray>> said;
    const int64_t end = tester.now() + ms;
    for (int guard = 0; guard < 100000; ++guard) {
        const QByteArray out = tester.takeOutput();
        if (!out.isEmpty())
            said.append({tester.now(), out});
        if (tester.now() >= end)
            break;
        const int64_t due = dueSteps ? tester.msUntilDue() : 1;
        tester.advance(int(due < 0 ? end - tester.now() : std::min(due, end - tester.now())));
    }
    return said;
}

// What the tester says on its own in the next ms milliseconds.
QByteArray runFor(SimulatedTester &tester, int ms)
{
    QByteArray said;
    for (const auto &moment : timeline(tester, ms, true))
        said += moment.second;
    return said;
}

SimulatorConfig quickConfig()
{
    SimulatorConfig config;
    config.periodMs = 100;
    config.signalQuietMs = 30;
    return config;
}

}   // namespace

class SimulatedTesterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordFollowsTheSoftware_data()
    {
        addColumns<int, QByteArray>("software", "lastBounces");
        QTest::newRow("1.1: 35 fields") << 11 << QByteArray();
        QTest::newRow("1.2 adds the last bounce times") << 12 << QByteArray(";m;m");
    }

    // Every value command with a distinct value, three cycles, then the whole
    // record with its measured fields masked: a field out of place shows.
    void recordFollowsTheSoftware()
    {
        QFETCH(int, software);
        SimulatorConfig config = quickConfig();
        config.softwareVersion = software;
        SimulatedTester tester(config);
        const QList<QByteArray> commands = {"E0SN-77", "E1300",  "E211",  "E312",   "E4-1",   "E5140", "E615",
                                            "E7160",   "E817",   "E9180", "EA19",   "EB1020", "EC990", "ED33",
                                            "EE2",     "EF4700", "F02",   "F15000", "F26000"};
        for (const QByteArray &command : commands)
            QCOMPARE(ask(tester, command), QByteArray("*\r"));
        QCOMPARE(ask(tester, "BZ"), QByteArray("?\r"));   // not a hex code, though its first digit is
        ask(tester, "AC");
        tester.advance(350);
        ask(tester, "A1");
        QList<QByteArray> record = ask(tester, "AE").mid(1).chopped(1).split(';');   // "*" fields CR
        if (software >= 12)
            QCOMPARE(record.value(35), ask(tester, "B7").mid(1).chopped(1));
        for (const int measured : {3, 4, 5, 6, 19, 20, 21, 22, 23, 24, 35, 36})
            if (measured < record.size())
                record[measured] = "m";
        QCOMPARE(record.join(';'), QByteArray::number(software)
                                       + ";5000;6000;m;m;m;m;0;SN-77;11;12;-1;0;0;3;140;15;160;17;"
                                         "m;m;m;m;m;m;180;19;44;1020;990;33;2;4700;2;0"
                                       + fetched<QByteArray>("lastBounces"));
    }

    void runModes_data()
    {
        // expected after a second at 100 ms per cycle, every cycle failing: cycles, failures, running, the error
        // lamp, what it said (a running test "+" after its cycles, an ended one "-" once)
        addColumns<QByteArray, int, int, QString>("start", "cycleLimit", "seqLimit", "expected");
        addRow("to a sequential fail limit", QByteArray("A2"), 0, 3, "3 3 0 2 +-");
        addRow("no limit passes the limits", QByteArray("AC"), 2, 1, "10 10 1 2 +");
    }

    void runModes()
    {
        SimulatorConfig config = quickConfig();
        config.failureRate = 1.0;
        SimulatedTester tester(config);
        tester.settings().cycleLimit = fetched<int>("cycleLimit");
        tester.settings().seqLimit = fetched<int>("seqLimit");
        tester.settings().failLimit = 0;
        QCOMPARE(ask(tester, fetched<QByteArray>("start")), QByteArray("*\r"));
        const QByteArray said = runFor(tester, 1005);
        QTEST(oneLine(tester.cycleCount(), tester.failCount(), tester.runMode() != SimulatedTester::RunMode::Stopped,
                      tester.status() & 2, said),
              "expected");
    }

    // A cycle's failure bits are what its readings earn: a reading outside its tolerance, a bounce above its
    // tolerance where bounce is tested; a failing cycle always earns one.
    void failureBitsAgreeWithReadings_data()
    {
        // tolerances: down min, max, up min, max, down bounce, up bounce
        addColumns<int, int, QList<int>>("contact", "mode", "tolerances");
        const int both = 16 | 32 | 64 | 128;
        addRow("the demonstration: closed down, open up", 1 | both, 0, QList<int>{0, 20, 1000, 1023, 3000, 3000});
        addRow("a closed contact tighter than a good switch, up untested but tight", 1 | 16, 0,
               QList<int>{2, 5, 0, 10, 0, 0});
        QTest::newRow("bounce tolerance 0") << (2 | both) << 0 << QList<int>{0, 1023, 0, 20, 0, 0};
        QTest::newRow("current mode, up stroke only") << (1 | 32 | 128) << 1 << QList<int>{0, 0, 0, 10, 0, 1000};
        QTest::newRow("nothing tested") << 1 << 0 << QList<int>{0, 20, 1000, 1023, 3000, 3000};
        addRow("wide open tolerances: only the initial state can fail", 1 | 16 | 32, 0,
               QList<int>{0, 1023, 0, 1023, 0, 0});
    }

    void failureBitsAgreeWithReadings()
    {
        QFETCH(int, contact);
        QFETCH(QList<int>, tolerances);
        const CycleLimits limits{contact,       fetched<int>("mode"), tolerances[0], tolerances[1],
                                 tolerances[2], tolerances[3],        tolerances[4], tolerances[5]};
        std::mt19937 random(418);
        for (int cycle = 1; cycle <= 400; ++cycle) {
            const bool failing = cycle % 3 == 0;
            const CycleMeasurement m = measureCycle(limits, failing, cycle, random);
            int earned = 0;
            if (contact & 16) {
                earned |= (m.downReading < tolerances[0] ? 1 : 0) | (m.downReading > tolerances[1] ? 2 : 0);
                earned |= (contact & 64) && m.downBounce > tolerances[4] ? 64 : 0;
            }
            if (contact & 32) {
                earned |= (m.upReading < tolerances[2] ? 4 : 0) | (m.upReading > tolerances[3] ? 8 : 0);
                earned |= (contact & 128) && m.upBounce > tolerances[5] ? 128 : 0;
            }
            const QByteArray where = "cycle " + QByteArray::number(cycle) + ", bits " + QByteArray::number(m.errorBits);
            QVERIFY2((m.errorBits & ~(16 | 32)) == earned, where.constData());
            QVERIFY2(!failing || m.errorBits != 0, where.constData());
        }
    }

    void sleepsOnlyWhenNothingIsDue_data()
    {
        addColumns<QByteArray, int>("command", "pieces");
        QTest::newRow("a running test repeats an unanswered +") << QByteArray("AC") << 1;
        QTest::newRow("a reply in pieces, then one cycle and its -") << QByteArray("AA") << 3;
        QTest::newRow("a stopped tester says nothing") << QByteArray("A1") << 1;
    }

    // Stepped to each moment msUntilDue() names, the tester says what it says when stepped every millisecond.
    void sleepsOnlyWhenNothingIsDue()
    {
        SimulatorConfig config = quickConfig();
        config.splitReplies = fetched<int>("pieces");
        config.signalQuietMs = 150;   // the first "+" waits past the end of the first cycle
        config.signalRetryMs = 730;   // and is repeated between two cycle ends
        QList<QPair<int64_t, QByteArray>> said[2];
        for (const bool dueSteps : {false, true}) {
            SimulatedTester tester(config);
            tester.receive(fetched<QByteArray>("command") + '\r');
            said[dueSteps] = timeline(tester, 2000, dueSteps);
        }
        QVERIFY(!said[0].isEmpty());
        QCOMPARE(said[1], said[0]);
    }

#ifdef Q_OS_UNIX
    // Sleeping up to a minute, the pump answers the host at once and says "-" when the asked-for cycle ends.
    void pumpWakesForTheHostAndForTheTester()
    {
        SimulatedTester tester(quickConfig());
        PseudoTerminal pty;
        QVERIFY(pty.open());
        const int host = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(host >= 0);
        const auto closeHost = qScopeGuard([host] { ::close(host); });
        // What was heard once it is what is expected, or after 5 s (QTRY would wait past the test's limit).
        QByteArray said;
        const auto heard = [&](const QByteArray &expected) {
            char buffer[256];
            for (QDeadlineTimer deadline(5000); said != expected && !deadline.hasExpired(); QTest::qWait(10))
                for (ssize_t n; (n = ::read(host, buffer, sizeof buffer)) > 0;)
                    said.append(buffer, int(n));
            return said;
        };
        SimulatorPump pump(tester, pty);
        pump.start(10, 60000);
        QCOMPARE(::write(host, "\x1b", 1), ssize_t(1));
        QCOMPARE(heard("*\r"), QByteArray("*\r"));
        QCOMPARE(::write(host, "AA\r", 3), ssize_t(3));
        QCOMPARE(heard("*\r*\r-"), QByteArray("*\r*\r-"));
    }
#endif

    // Stop ends a break run without a "-": the host asked for it.
    void stopEndsABreakRunWithoutAMinus()
    {
        SimulatedTester tester(quickConfig());
        QCOMPARE(ask(tester, "F33"), QByteArray("*\r"));
        QCOMPARE(runFor(tester, 1000), QByteArray("+"));
        ask(tester, "A1");
        QCOMPARE(runFor(tester, 1000), QByteArray());
        QCOMPARE(tester.runMode(), SimulatedTester::RunMode::Stopped);
    }

    void startingConfigurationSavesAndOpensAgain_data()
    {
        // limits: the station's simulated testers run to 100000 cycles, 5000 failures, 10 in a row
        addColumns<int, int, int, bool>("mode", "range", "software", "stationLimits");
        addRow("a tester of a simulated station", 0, 1000, 12, true);
        addRow("software 1.1", 0, 1000, 11, false);
        addRow("current, 50 mA full scale", 1, 500, 12, false);
        addRow("voltage, 10 V full scale", 2, 10000, 12, false);
        addRow("a 10-ohm pull-up", 0, 10, 12, false);
        addRow("the largest range lifecycle-sim takes", 2, 100000000, 12, false);
    }

    // The tester starts with a configuration a real one could hold: saved, it opens unchanged; the editor takes it.
    void startingConfigurationSavesAndOpensAgain()
    {
        SimulatorConfig config;
        config.mode = fetched<int>("mode"), config.range = fetched<int>("range");
        config.softwareVersion = fetched<int>("software");
        SimulatedTester tester(config);
        if (fetched<bool>("stationLimits"))
            tester.settings().cycleLimit = 100000, tester.settings().failLimit = 5000, tester.settings().seqLimit = 10;

        EngineRig rig;
        TesterState &s = rig.s;
        rig.port.onWrite = [&tester](const QByteArray &bytes) { tester.receive(bytes); };
        for (int tick = 0; tick < 200 && !(s.session.downloadedOnce && rig.engine.commReady()); ++tick) {
            rig.engine.pollTick();
            tester.advance(TickPeriodMs);
            rig.port.queueInput(tester.takeOutput());
        }
        QVERIFY(s.session.downloadedOnce && rig.engine.commReady());

        FakeMessageDialogs dialogs;
        MemorySettingsStore settings;
        Registry registry(settings);
        ConfigFile file(s, dialogs, registry);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.cfg"));
        QVERIFY(file.saveConfigFile(path));
        const QStringList saved = editCopy(s);
        QVERIFY2(file.openConfigFile(path), qPrintable(dialogs.calls.join(' ')));
        QCOMPARE(editCopy(s), saved);

        // Configure > Edit > OK, nothing touched.
        copyCurrentConfigToEdit(s);
        ConfigEditor editor(s, dialogs);
        const bool applied = editor.applyEditorFields(editor.displayEditValues());
        QCOMPARE(oneLine(applied, editor.readjusted().size(), editor.isDirty(), dialogs.calls), "1 0 0 ");
    }

    // The data log of a long run, as the program would write it, with a gap for each night the tester ran on.
    void longRunLogHasItsNights()
    {
        QTemporaryDir dir;
        SimulatedRunPlan plan;
        plan.samples = 120;
        plan.samplesPerSession = 50;
        plan.nightMinutes = 60;
        const QString path = dir.filePath(QStringLiteral("run.txt"));
        QCOMPARE(writeSimulatedRunLog(path, SimulatorConfig(), plan), QString());
        TrendHistory run;
        const TrendLogResult read = readTrendLog(path, run);
        QVERIFY(read.samples == 120 && read.skipped == 0);
        QString gaps;
        for (size_t i = 1; i < run.size(); ++i) {
            if (run.joinBefore(i, run.gapMs()) != TrendJoin::Joined)
                gaps += QStringLiteral("%1:%2 ").arg(i).arg((run.at(i).timeMs - run.at(i - 1).timeMs) / 60000);
        }
        QCOMPARE(gaps, QStringLiteral("50:60 100:60 "));   // samples 50 and 100, an hour after the one before
        QVERIFY(run.at(50).cycle - run.at(49).cycle >= 3600);
        QVERIFY(!writeSimulatedRunLog(dir.filePath(QStringLiteral("no/such/folder/run.txt")), SimulatorConfig(), plan)
                     .isEmpty());
    }
};

QTEST_GUILESS_MAIN(SimulatedTesterTest)
#include "SimulatedTesterTest.moc"

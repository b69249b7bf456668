// The engine on the real serial backend against the simulated tester on a
// pseudo-terminal: running, stopping, sampling, break updates with their
// data log and the end of a run.

#include "SimulatedRig.h"

#include "datalog/DataLog.h"
#include "preferences/Registry.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class SessionEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runAndItsEnd_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("ledState");
        QTest::addColumn<int>("endsAfter");   // cycles until the tester says "-"; 0: the operator stops it
        QTest::newRow("run to limits, stopped") << 162 << 1 << 0;
        QTest::newRow("run no limit, lamp blinks, stopped") << 172 << 2 << 0;
        QTest::newRow("break update reaching the cycle limit") << 243 << 1 << 6;
    }

    // Running brings a record with every "+"; the end of the run, by Stop or by
    // the tester's "-", leaves the display on the tester's last counters.
    void runAndItsEnd()
    {
        QFETCH(int, code);
        QFETCH(int, ledState);
        QFETCH(int, endsAfter);

        SimulatedRig rig;
        rig.tester.settings().cycleLimit = 6;
        QVERIFY(rig.connect());
        if (code == 243) {
            rig.s.RepeatCount = 4;
            rig.engine->SendValueCommand(code, QStringLiteral("4"));
        } else {
            rig.engine->SendCommand(code);
        }
        if (endsAfter > 0) {
            QVERIFY(rig.tickUntil([&] { return rig.s.Terminated; }, 200));
            QCOMPARE(rig.view.beeps, 1);
        } else {
            const int before = rig.log.saved;
            QVERIFY(rig.tickUntil([&] { return rig.log.saved >= before + 3; }, 200));
            QCOMPARE(int(rig.s.LEDState), ledState);
            QVERIFY(rig.settle());
            rig.engine->SendCommand(161);
            QVERIFY(rig.settle());
            rig.engine->SendCommand(174);   // a sample once stopped
        }
        QVERIFY(rig.settle());
        QCOMPARE(rig.tester.runMode(), SimulatedTester::RunMode::Stopped);
        QCOMPARE(rig.s.Running, false);
        QCOMPARE(rig.s.GoAgainMode, false);
        QCOMPARE(rig.s.CycleCount, rig.tester.cycleCount());
        if (endsAfter > 0)
            QCOMPARE(rig.s.CycleCount, endsAfter);
        QCOMPARE(rig.tester.stats().lostSignals, 0);
    }

    void breakUpdateLogsOneLinePerBreak_data()
    {
        QTest::addColumn<int>("software");
        QTest::addColumn<int>("breakCount");
        QTest::addColumn<int>("breaks");
        QTest::newRow("software 1.2, every 5 cycles") << 12 << 5 << 3;
        QTest::newRow("software 1.1, every cycle") << 11 << 1 << 6;
    }

    // Break-update mode with "Save To Database" and a data file open: the tester
    // pauses every few cycles and says "+", the program fetches the record, logs
    // it and re-arms the next break with the same count.
    void breakUpdateLogsOneLinePerBreak()
    {
        QFETCH(int, software);
        QFETCH(int, breakCount);
        QFETCH(int, breaks);

        SimulatorConfig config = SimulatedRig::FastConfig();
        config.softwareVersion = software;
        SimulatedRig rig(config);
        FakeMessageDialogs dialogs;
        FakeDataFileDialog files;
        MemorySettingsStore store;
        Registry registry(store);
        DataLog log(rig.s, dialogs, files, registry, nullptr);
        rig.engine->setSampleLog(&log);
        QVERIFY(rig.connect());
        QTemporaryDir dir;
        QString path = dir.filePath("breaks.txt");
        QVERIFY(log.OpenFile(path));
        rig.takeFrames();

        rig.s.RepeatCount = TesterState::Integer(breakCount);
        rig.s.SaveToDatabase = true;
        rig.engine->SendValueCommand(243, QString::number(breakCount));
        // Until the last break was fetched and the tester re-armed for the next.
        QVERIFY(rig.tickUntil([&] {
            return rig.tester.stats().plusAnswered == breaks && !rig.tester.pausedAtBreak() && rig.s.GoAgainMode
                && rig.engine->CommReady();
        }, 400));
        const QStringList frames = rig.takeFrames();
        const QString arm = QStringLiteral("F3%1").arg(breakCount);
        QCOMPARE(frames.count(arm), breaks + 1);   // the arming and one re-arming per break
        QCOMPARE(frames.count("AE"), breaks);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), breaks + 2);   // header, the samples, nothing after the last line end
        for (int i = 1; i <= breaks; ++i) {
            const QList<QByteArray> fields = lines[i].chopped(1).split(',');
            QCOMPARE(fields.size(), 37);
            QCOMPARE(fields[1].toInt(), i * breakCount);        // cycle count
            QCOMPARE(fields[12] == "?", software < 12);        // no last bounce times before 1.2
        }
        QCOMPARE(dialogs.calls, QStringList());

        // Stop ends break-update mode on both sides.
        rig.engine->SendCommand(161);
        QVERIFY(rig.settle());
        QCOMPARE(rig.s.GoAgainMode, false);
        QCOMPARE(rig.tester.runMode(), SimulatedTester::RunMode::Stopped);
    }
};

QTEST_GUILESS_MAIN(SessionEndToEndTest)
#include "SessionEndToEndTest.moc"

// The engine on the real serial backend against the simulated tester on a
// pseudo-terminal: finding the tester, running, stopping, sampling, break
// updates with their data log and the end of a run.

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
    void testerIsFoundAndItsRecordDecoded_data();
    void testerIsFoundAndItsRecordDecoded();
    void runStopAndSample_data();
    void runStopAndSample();
    void breakUpdateLogsOneLinePerBreak_data();
    void breakUpdateLogsOneLinePerBreak();
    void runThatEndsBySignalTerminates_data();
    void runThatEndsBySignalTerminates();
};

void SessionEndToEndTest::testerIsFoundAndItsRecordDecoded_data()
{
    QTest::addColumn<int>("software");
    QTest::addColumn<bool>("lastBounceReported");
    QTest::newRow("software 1.1, 35 fields") << 11 << false;
    QTest::newRow("software 1.2, 37 fields") << 12 << true;
}

void SessionEndToEndTest::testerIsFoundAndItsRecordDecoded()
{
    QFETCH(int, software);
    QFETCH(bool, lastBounceReported);

    SimulatorConfig config = SimulatedRig::FastConfig();
    config.softwareVersion = software;
    config.serialNumber = QStringLiteral("A-17");
    SimulatedRig rig(config);
    // Give the tester a history so that the counters are not all zero.
    rig.tester.receive("AC\r");
    rig.tester.advance(7 * config.periodMs + 10);
    rig.tester.receive("A1\r");
    rig.tester.takeOutput();
    rig.s.vLastDownBounceTime = -5;

    QVERIFY(rig.connect());
    // Probe wake-ups, the hello, then the first data request.
    const QStringList frames = rig.takeFrames();
    QCOMPARE(frames.first(), QStringLiteral("<ESC>"));
    QVERIFY2(frames.indexOf("A0") >= 0 && frames.indexOf("A0") < frames.lastIndexOf("AE"), qPrintable(frames.join(' ')));
    QCOMPARE(frames.last(), QStringLiteral("AE"));

    QCOMPARE(rig.s.ComChan, TesterState::Integer(1));
    QCOMPARE(rig.s.vSerialNumber, config.serialNumber);
    QCOMPARE(rig.s.vSoftwareVersion, software);
    QCOMPARE(rig.s.CycleCount, 7);
    QCOMPARE(rig.s.Running, false);
    if (lastBounceReported)
        QVERIFY(rig.s.vLastDownBounceTime > 0);
    else
        QCOMPARE(rig.s.vLastDownBounceTime, -5);   // a 35-field record leaves it alone
}

void SessionEndToEndTest::runStopAndSample_data()
{
    QTest::addColumn<int>("runCode");
    QTest::addColumn<int>("ledState");
    QTest::newRow("run to limits") << 162 << 1;
    QTest::newRow("run no limit: lamp blinks") << 172 << 2;
}

void SessionEndToEndTest::runStopAndSample()
{
    QFETCH(int, runCode);
    QFETCH(int, ledState);

    SimulatedRig rig;
    QVERIFY(rig.connect());
    rig.engine->SendCommand(runCode);
    QVERIFY(rig.settle());
    QCOMPARE(rig.s.Running, true);

    // The tester says "+" as cycles complete; each one brings a record.
    const int before = rig.log.saved;
    QVERIFY(rig.tickUntil([&] { return rig.log.saved >= before + 3; }, 200));
    QCOMPARE(int(rig.s.LEDState), ledState);
    QCOMPARE(rig.tester.stats().lostSignals, 0);

    QVERIFY(rig.settle());
    rig.engine->SendCommand(161);
    QVERIFY(rig.settle());
    QCOMPARE(rig.s.Running, false);
    QCOMPARE(rig.tester.runMode(), SimulatedTester::RunMode::Stopped);

    // Stopped: the sample shows exactly the tester's counters.
    rig.engine->SendCommand(174);
    QVERIFY(rig.settle());
    QCOMPARE(rig.s.CycleCount, rig.tester.cycleCount());
}

void SessionEndToEndTest::breakUpdateLogsOneLinePerBreak_data()
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
void SessionEndToEndTest::breakUpdateLogsOneLinePerBreak()
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

void SessionEndToEndTest::runThatEndsBySignalTerminates_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("cycles");
    QTest::newRow("run once") << 170 << 1;
    QTest::newRow("break update reaching the cycle limit") << 243 << 4;
}

void SessionEndToEndTest::runThatEndsBySignalTerminates()
{
    QFETCH(int, code);
    QFETCH(int, cycles);

    SimulatedRig rig;
    rig.tester.settings().cycleLimit = 4;
    QVERIFY(rig.connect());
    if (code == 243) {
        rig.s.RepeatCount = 3;
        rig.engine->SendValueCommand(code, QStringLiteral("3"));
    } else {
        rig.engine->SendCommand(code);
    }
    QVERIFY(rig.tickUntil([&] { return rig.s.Terminated; }, 200));
    QVERIFY(rig.settle());

    QCOMPARE(rig.view.beeps, 1);
    QCOMPARE(rig.s.GoAgainMode, false);
    QCOMPARE(rig.s.Running, false);
    // The record fetched after "-" is the final one.
    QCOMPARE(rig.s.CycleCount, cycles);
}

QTEST_GUILESS_MAIN(SessionEndToEndTest)
#include "SessionEndToEndTest.moc"

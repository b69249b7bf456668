// The engine on the real serial backend against the simulated tester on a
// pseudo-terminal: finding the tester, running, stopping, sampling, break
// updates and the end of a run.

#include "SimulatedRig.h"

#include <QTest>

class SessionEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void testerIsFoundAndItsRecordDecoded_data();
    void testerIsFoundAndItsRecordDecoded();
    void runStopAndSample_data();
    void runStopAndSample();
    void breakUpdateRearmsWithTheSameCount();
    void runThatEndsBySignalTerminates_data();
    void runThatEndsBySignalTerminates();
};

void SessionEndToEndTest::testerIsFoundAndItsRecordDecoded_data()
{
    QTest::addColumn<int>("software");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("lastBounceReported");

    QTest::newRow("software 1.1, 35 fields") << 11 << QStringLiteral("A-17") << false;
    QTest::newRow("software 1.2, 37 fields") << 12 << QStringLiteral("41800123") << true;
    QTest::newRow("software 2.0, 37 fields") << 20 << QStringLiteral("X9") << true;
}

void SessionEndToEndTest::testerIsFoundAndItsRecordDecoded()
{
    QFETCH(int, software);
    QFETCH(QString, serial);
    QFETCH(bool, lastBounceReported);

    SimulatorConfig config = SimulatedRig::FastConfig();
    config.softwareVersion = software;
    config.serialNumber = serial;
    SimulatedRig rig(config);
    // Give the tester a history so that the counters are not all zero.
    rig.tester.receive("AC\r");
    rig.tester.advance(7 * config.periodMs + 10);
    rig.tester.receive("A1\r");
    rig.tester.takeOutput();
    rig.s.vLastDownBounceTime = -5;

    QVERIFY(rig.connect());

    // Two probe wake-ups, the hello, then the first data request.
    const QStringList frames = rig.takeFrames();
    QVERIFY2(frames.size() >= 4, qPrintable(frames.join(' ')));
    QCOMPARE(frames.mid(0, 2), QStringList({"<ESC>", "<ESC>"}));
    QVERIFY(frames.contains("A0"));
    QCOMPARE(frames.last(), QStringLiteral("AE"));
    QVERIFY(frames.indexOf("A0") < frames.lastIndexOf("AE"));

    QCOMPARE(rig.s.ComChan, TesterState::Integer(1));
    QVERIFY(rig.view.calls.contains("bar:Tester Found On Comm 1"));
    QCOMPARE(rig.s.vSerialNumber, serial);
    QCOMPARE(rig.s.vSoftwareVersion, software);
    QCOMPARE(rig.s.CycleCount, 7);
    QCOMPARE(rig.s.vCycleLimit, rig.tester.settings().cycleLimit);
    QCOMPARE(rig.s.vContact, TesterState::Integer(rig.tester.settings().contact));
    QCOMPARE(rig.s.vRPullUp, config.range);
    QCOMPARE(rig.s.vRMode, TesterState::Integer(config.mode));
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
    rig.takeFrames();

    rig.engine->SendCommand(runCode);
    QVERIFY(rig.settle());
    QCOMPARE(rig.s.Running, true);
    QVERIFY(rig.tester.runMode() != SimulatedTester::RunMode::Stopped);

    // The tester says "+" as cycles complete; each one brings a record.
    const int before = rig.log.saved;
    QVERIFY(rig.tickUntil([&] { return rig.log.saved >= before + 3; }, 200));
    QVERIFY(rig.s.CycleCount > 0);
    QCOMPARE(int(rig.s.LEDState), ledState);
    QVERIFY(rig.tester.stats().plusSent >= 3);
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
    QCOMPARE(rig.s.Running, false);

    const QStringList frames = rig.takeFrames();
    QVERIFY(frames.contains(QString::fromLatin1(QByteArray::number(runCode, 16).toUpper())));
    QVERIFY(frames.indexOf("A1") > frames.indexOf("AE"));
}

void SessionEndToEndTest::breakUpdateRearmsWithTheSameCount()
{
    SimulatedRig rig;
    QVERIFY(rig.connect());
    rig.takeFrames();

    rig.s.RepeatCount = 5;
    rig.s.SaveToDatabase = true;
    rig.engine->SendValueCommand(243, QStringLiteral("5"));
    QVERIFY(rig.settle());
    QCOMPARE(rig.s.GoAgainMode, true);

    const int before = rig.log.saved;
    QVERIFY(rig.tickUntil([&] { return rig.log.saved >= before + 3 && rig.engine->CommReady(); }, 400));
    QCOMPARE(rig.log.saved, before + 3);
    // The third break came after 15 cycles, and the record says so.
    QCOMPARE(rig.s.CycleCount, 15);
    QCOMPARE(rig.s.GoAgainMode, true);
    QCOMPARE(rig.s.GoAgainFlag, false);

    const QStringList frames = rig.takeFrames();
    QCOMPARE(frames.count("F35"), 4);   // the arming and one re-arming per break
    QCOMPARE(frames.count("AE"), 3);
    for (const QString &frame : frames)
        QVERIFY2(frame == "<ESC>" || frame == "AE" || frame == "F35", qPrintable(frame));

    // Stop ends break-update mode on both sides.
    rig.engine->SendCommand(161);
    QVERIFY(rig.settle());
    QCOMPARE(rig.s.GoAgainMode, false);
    QCOMPARE(rig.tester.runMode(), SimulatedTester::RunMode::Stopped);
}

void SessionEndToEndTest::runThatEndsBySignalTerminates_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("cycles");

    QTest::newRow("run once") << QByteArray("AA") << 1;
    QTest::newRow("run to a cycle limit of 4") << QByteArray("A2") << 4;
    QTest::newRow("break update reaching the limit") << QByteArray("F33") << 4;
}

void SessionEndToEndTest::runThatEndsBySignalTerminates()
{
    QFETCH(QByteArray, start);
    QFETCH(int, cycles);

    SimulatedRig rig;
    rig.tester.settings().cycleLimit = 4;
    QVERIFY(rig.connect());
    QCOMPARE(rig.view.beeps, 0);

    const int code = start.left(2).toInt(nullptr, 16);
    if (code == 243) {
        rig.s.RepeatCount = 3;
        rig.engine->SendValueCommand(code, QString::fromLatin1(start.mid(2)));
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
    QCOMPARE(rig.tester.cycleCount(), cycles);
    QCOMPARE(rig.tester.stats().minusSent, 1);
}

QTEST_GUILESS_MAIN(SessionEndToEndTest)
#include "SessionEndToEndTest.moc"

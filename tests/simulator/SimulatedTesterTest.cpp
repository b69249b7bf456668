// The simulated tester where its behaviour is not obvious: the data record's
// field order and count, the run modes with their breaks and limits, and
// when it may speak on its own.

#include "simulator/SimulatedTester.h"

#include <QTest>

namespace {

// Sends one command line and returns its reply line, CR included.
QByteArray ask(SimulatedTester &tester, const QByteArray &command)
{
    tester.takeOutput();
    tester.receive(command + '\r');
    return tester.takeOutput();
}

QList<QByteArray> recordFields(SimulatedTester &tester)
{
    const QByteArray reply = ask(tester, "AE");
    if (!reply.startsWith('*') || !reply.endsWith('\r'))
        return {};
    return reply.mid(1, reply.size() - 2).split(';');
}

// Runs the tester in 10 ms steps and returns what it said on its own.
QByteArray runFor(SimulatedTester &tester, int ms)
{
    QByteArray said;
    for (int t = 0; t < ms; t += 10) {
        tester.advance(10);
        said += tester.takeOutput();
    }
    return said;
}

SimulatorConfig quickConfig()
{
    SimulatorConfig config;
    config.periodMs = 100;
    config.signalQuietMs = 30;
    return config;
}

} // namespace

class SimulatedTesterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordLengthFollowsTheSoftware_data();
    void recordLengthFollowsTheSoftware();
    void valueCommandsLandInTheirRecordFields();
    void runModes_data();
    void runModes();
    void breakWaitsForRearming();
    void signalsWaitForAnIdleLine();
    void wakeUp_data();
    void wakeUp();
};

void SimulatedTesterTest::recordLengthFollowsTheSoftware_data()
{
    QTest::addColumn<int>("software");
    QTest::addColumn<int>("fields");
    QTest::newRow("1.1") << 11 << 35;
    QTest::newRow("1.2 adds the last bounce times") << 12 << 37;
}

void SimulatedTesterTest::recordLengthFollowsTheSoftware()
{
    QFETCH(int, software);
    QFETCH(int, fields);

    SimulatorConfig config = quickConfig();
    config.softwareVersion = software;
    SimulatedTester tester(config);
    ask(tester, "AC");
    tester.advance(350);
    const QList<QByteArray> record = recordFields(tester);
    QCOMPARE(record.size(), fields);
    QCOMPARE(record.at(0), QByteArray::number(software));
    QCOMPARE(record.at(14), QByteArray("3"));          // cycle count
    if (fields == 37) {
        QCOMPARE(record.at(35), ask(tester, "B7").mid(1).chopped(1));
        QCOMPARE(record.at(36), ask(tester, "B8").mid(1).chopped(1));
    }
}

// Every value command 224..242 with a distinct value, then the whole record:
// a field out of place shows as a wrong line.
void SimulatedTesterTest::valueCommandsLandInTheirRecordFields()
{
    SimulatedTester tester(quickConfig());
    const QList<QByteArray> commands = {"E0SN-77", "E1300", "E211", "E312", "E4-1", "E5140", "E615",
        "E7160", "E817", "E9180", "EA19", "EB1010", "EC990", "ED33", "EE2", "EF4700", "F02", "F15000", "F26000"};
    for (const QByteArray &command : commands)
        QCOMPARE(ask(tester, command), QByteArray("*\r"));
    QList<QByteArray> record = recordFields(tester);
    QCOMPARE(record.size(), 37);
    record[5] = record[6] = "r";   // the last readings are simulated noise
    QCOMPARE(record.join(';'), QByteArray("12;5000;6000;0;0;r;r;0;SN-77;11;12;-1;0;0;0;140;15;160;17;"
                                          "0;1023;0;1023;0;0;180;19;44;1010;990;33;2;4700;2;0;0;0"));
}

void SimulatedTesterTest::runModes_data()
{
    QTest::addColumn<QByteArray>("start");     // empty: switched on already running
    QTest::addColumn<int>("cycleLimit");
    QTest::addColumn<int>("seqLimit");
    QTest::addColumn<double>("failureRate");
    QTest::addColumn<int>("cycles");           // after a second at 100 ms per cycle
    QTest::addColumn<bool>("stillRunning");

    QTest::newRow("run once") << QByteArray("AA") << 0 << 0 << 0.0 << 1 << false;
    QTest::newRow("to a cycle limit") << QByteArray("A2") << 4 << 0 << 0.0 << 4 << false;
    QTest::newRow("a cycle limit of 0 is no limit") << QByteArray("A2") << 0 << 0 << 0.0 << 10 << true;
    QTest::newRow("to a sequential fail limit") << QByteArray("A2") << 0 << 3 << 1.0 << 3 << false;
    QTest::newRow("no limit passes the limits") << QByteArray("AC") << 2 << 1 << 1.0 << 10 << true;
    QTest::newRow("switched on running to its limits") << QByteArray() << 4 << 0 << 0.0 << 4 << false;
}

void SimulatedTesterTest::runModes()
{
    QFETCH(QByteArray, start);
    QFETCH(int, cycleLimit);
    QFETCH(int, seqLimit);
    QFETCH(double, failureRate);
    QFETCH(int, cycles);
    QFETCH(bool, stillRunning);

    SimulatorConfig config = quickConfig();
    config.failureRate = failureRate;
    config.startRunning = start.isEmpty();
    SimulatedTester tester(config);
    tester.settings().cycleLimit = cycleLimit;
    tester.settings().seqLimit = seqLimit;
    tester.settings().failLimit = 0;
    if (!start.isEmpty())
        QCOMPARE(ask(tester, start), QByteArray("*\r"));
    const QByteArray said = runFor(tester, 1005);
    QCOMPARE(tester.cycleCount(), cycles);
    QCOMPARE(tester.runMode() != SimulatedTester::RunMode::Stopped, stillRunning);
    // A running test says "+" after its cycles; an ended one "-" once.
    QVERIFY2(said.endsWith(stillRunning ? "+" : "-"), said.constData());
    QCOMPARE(said.count('-'), stillRunning ? 0 : 1);
    if (failureRate > 0) {
        QCOMPARE(tester.failCount(), cycles);
        QVERIFY(tester.status() & 2);   // the error lamp is lit
    }
}

void SimulatedTesterTest::breakWaitsForRearming()
{
    SimulatedTester tester(quickConfig());
    QCOMPARE(ask(tester, "F33"), QByteArray("*\r"));
    QCOMPARE(runFor(tester, 1000), QByteArray("+"));
    QCOMPARE(tester.cycleCount(), 3);
    QCOMPARE(tester.status() & 1, 1);    // still on: the host re-arms it

    // Fetching the data does not resume it; re-arming does.
    QVERIFY(ask(tester, "AE").startsWith("*"));
    QCOMPARE(runFor(tester, 1000), QByteArray());
    ask(tester, "F33");
    QCOMPARE(runFor(tester, 1000), QByteArray("+"));
    QCOMPARE(tester.cycleCount(), 6);

    // A "+" nobody answered is said again.
    QCOMPARE(runFor(tester, tester.config().signalRetryMs + 20), QByteArray("+"));
    QCOMPARE(tester.stats().lostSignals, 1);

    // Stop ends it without a "-": the host asked for it.
    ask(tester, "A1");
    QCOMPARE(runFor(tester, 1000), QByteArray());
    QCOMPARE(tester.runMode(), SimulatedTester::RunMode::Stopped);
}

void SimulatedTesterTest::signalsWaitForAnIdleLine()
{
    SimulatorConfig config = quickConfig();
    config.signalQuietMs = 150;
    SimulatedTester tester(config);
    ask(tester, "F31");
    tester.advance(100);                 // the break is reached, "+" is due
    QVERIFY(tester.signalPending());

    tester.receive("C");                 // a command is arriving
    QCOMPARE(runFor(tester, 200), QByteArray());
    tester.receive("0\r");
    QCOMPARE(tester.takeOutput(), QByteArray("*1\r"));
    // Not straight after the reply either: the host must have taken it.
    QCOMPARE(runFor(tester, 140), QByteArray());
    QCOMPARE(runFor(tester, 20), QByteArray("+"));
}

void SimulatedTesterTest::wakeUp_data()
{
    QTest::addColumn<bool>("requireWake");
    QTest::addColumn<int>("quietMs");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("wake-up drops a half command") << false << 0 << QByteArray("C\x1b" "C8\r") << QByteArray("*\r*0\r");
    QTest::newRow("tolerant: a command after quiet") << false << 400 << QByteArray("C8\r") << QByteArray("*0\r");
    QTest::newRow("asleep: a command after quiet is dropped") << true << 400 << QByteArray("C8\r") << QByteArray();
    QTest::newRow("asleep: woken first") << true << 400 << QByteArray("\x1b" "C8\r") << QByteArray("*\r*0\r");
    QTest::newRow("asleep: awake within 300 ms") << true << 250 << QByteArray("C8\r") << QByteArray("*0\r");
    QTest::newRow("not a command") << false << 0 << QByteArray("ZZ\r") << QByteArray("?\r");
}

void SimulatedTesterTest::wakeUp()
{
    QFETCH(bool, requireWake);
    QFETCH(int, quietMs);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);

    SimulatorConfig config = quickConfig();
    config.requireWake = requireWake;
    SimulatedTester tester(config);
    tester.receive("\x1b");
    tester.takeOutput();
    tester.advance(quietMs);
    tester.receive(sent);
    QCOMPARE(tester.takeOutput(), answer);
}

QTEST_GUILESS_MAIN(SimulatedTesterTest)
#include "SimulatedTesterTest.moc"

// The simulated tester where its behaviour is not obvious: the data record's
// field order and count, what each value command writes, the run modes with
// their breaks and limits, and when it may speak on its own.

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
    QByteArray signalText;
    for (int t = 0; t < ms; t += 10) {
        tester.advance(10);
        signalText += tester.takeOutput();
    }
    return signalText;
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
    void valueCommandLandsInItsRecordFieldAndRead_data();
    void valueCommandLandsInItsRecordFieldAndRead();
    void runModes_data();
    void runModes();
    void breakWaitsForRearming();
    void signalsWaitForAnIdleLine();
    void counterClears_data();
    void counterClears();
    void wakeUp_data();
    void wakeUp();
};

void SimulatedTesterTest::recordLengthFollowsTheSoftware_data()
{
    QTest::addColumn<int>("software");
    QTest::addColumn<int>("fields");

    QTest::newRow("1.0") << 10 << 35;
    QTest::newRow("1.1") << 11 << 35;
    QTest::newRow("1.2 adds the last bounce times") << 12 << 37;
    QTest::newRow("2.5") << 25 << 37;
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
    QCOMPARE(record.at(7).toInt() & 1, 1);             // status: running
    if (fields == 37) {
        QCOMPARE(record.at(35), ask(tester, "B7").mid(1).chopped(1));
        QCOMPARE(record.at(36), ask(tester, "B8").mid(1).chopped(1));
    }
}

void SimulatedTesterTest::valueCommandLandsInItsRecordFieldAndRead_data()
{
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<int>("field");        // from 1, in the record of 174
    QTest::addColumn<QByteArray>("read");  // the single-value read of the same item
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("224 serial") << QByteArray("E0SN-77") << 9 << QByteArray("C6") << QByteArray("SN-77");
    QTest::newRow("225 contact, low byte") << QByteArray("E1300") << 28 << QByteArray("D8") << QByteArray("44");
    QTest::newRow("226 fail limit") << QByteArray("E211") << 10 << QByteArray("C3") << QByteArray("11");
    QTest::newRow("227 seq limit") << QByteArray("E312") << 11 << QByteArray("C4") << QByteArray("12");
    QTest::newRow("228 cycle limit") << QByteArray("E4-1") << 12 << QByteArray("C5") << QByteArray("-1");
    QTest::newRow("229 max down time") << QByteArray("E5140") << 16 << QByteArray("CC") << QByteArray("140");
    QTest::newRow("230 min down time") << QByteArray("E615") << 17 << QByteArray("CD") << QByteArray("15");
    QTest::newRow("231 max up time") << QByteArray("E7160") << 18 << QByteArray("CE") << QByteArray("160");
    QTest::newRow("232 min up time") << QByteArray("E817") << 19 << QByteArray("CF") << QByteArray("17");
    QTest::newRow("233 upper bounce") << QByteArray("E9180") << 26 << QByteArray("D6") << QByteArray("180");
    QTest::newRow("234 lower bounce") << QByteArray("EA19") << 27 << QByteArray("D7") << QByteArray("19");
    QTest::newRow("235 max up tolerance") << QByteArray("EB1010") << 29 << QByteArray("D9") << QByteArray("1010");
    QTest::newRow("236 min up tolerance") << QByteArray("EC990") << 30 << QByteArray("DA") << QByteArray("990");
    QTest::newRow("237 max down tolerance") << QByteArray("ED33") << 31 << QByteArray("DB") << QByteArray("33");
    QTest::newRow("238 min down tolerance") << QByteArray("EE2") << 32 << QByteArray("DC") << QByteArray("2");
    QTest::newRow("239 range") << QByteArray("EF4700") << 33 << QByteArray("DD") << QByteArray("4700");
    QTest::newRow("240 mode") << QByteArray("F02") << 34 << QByteArray("DE") << QByteArray("2");
    QTest::newRow("241 max down bounce") << QByteArray("F15000") << 2 << QByteArray("B0") << QByteArray("5000");
    QTest::newRow("242 max up bounce") << QByteArray("F26000") << 3 << QByteArray("B1") << QByteArray("6000");
}

void SimulatedTesterTest::valueCommandLandsInItsRecordFieldAndRead()
{
    QFETCH(QByteArray, set);
    QFETCH(int, field);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, value);

    SimulatedTester tester(quickConfig());
    QCOMPARE(ask(tester, set), QByteArray("*\r"));
    const QList<QByteArray> record = recordFields(tester);
    QCOMPARE(record.size(), 37);
    QCOMPARE(record.at(field - 1), value);
    QCOMPARE(ask(tester, read), "*" + value + "\r");
}

void SimulatedTesterTest::runModes_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("cycleLimit");
    QTest::addColumn<int>("seqLimit");
    QTest::addColumn<double>("failureRate");
    QTest::addColumn<int>("cycles");          // after a second at 100 ms per cycle
    QTest::addColumn<bool>("stillRunning");
    QTest::addColumn<QByteArray>("lastSignal");

    QTest::newRow("run once") << QByteArray("AA") << 0 << 0 << 0.0 << 1 << false << QByteArray("-");
    QTest::newRow("to a cycle limit") << QByteArray("A2") << 4 << 0 << 0.0 << 4 << false << QByteArray("-");
    QTest::newRow("a cycle limit of 0 is no limit") << QByteArray("A2") << 0 << 0 << 0.0 << 10 << true << QByteArray("+");
    QTest::newRow("to a sequential fail limit") << QByteArray("A2") << 0 << 3 << 1.0 << 3 << false << QByteArray("-");
    QTest::newRow("no limit passes the limits") << QByteArray("AC") << 2 << 1 << 1.0 << 10 << true << QByteArray("+");
}

void SimulatedTesterTest::runModes()
{
    QFETCH(QByteArray, start);
    QFETCH(int, cycleLimit);
    QFETCH(int, seqLimit);
    QFETCH(double, failureRate);
    QFETCH(int, cycles);
    QFETCH(bool, stillRunning);
    QFETCH(QByteArray, lastSignal);

    SimulatorConfig config = quickConfig();
    config.failureRate = failureRate;
    SimulatedTester tester(config);
    tester.settings().cycleLimit = cycleLimit;
    tester.settings().seqLimit = seqLimit;
    tester.settings().failLimit = 0;
    QCOMPARE(ask(tester, start), QByteArray("*\r"));
    const QByteArray said = runFor(tester, 1005);
    QCOMPARE(tester.cycleCount(), cycles);
    QCOMPARE(tester.runMode() != SimulatedTester::RunMode::Stopped, stillRunning);
    QVERIFY2(said.endsWith(lastSignal), said.constData());
    QCOMPARE(said.count('-'), stillRunning ? 0 : 1);
    if (failureRate > 0) {
        QCOMPARE(tester.failCount(), cycles);
        QVERIFY(tester.errorCode() != 0);
        QVERIFY(tester.status() & 2);   // the error lamp is lit
    }
}

void SimulatedTesterTest::breakWaitsForRearming()
{
    SimulatedTester tester(quickConfig());
    QCOMPARE(ask(tester, "F33"), QByteArray("*\r"));

    QCOMPARE(runFor(tester, 1000), QByteArray("+"));
    QCOMPARE(tester.cycleCount(), 3);
    QVERIFY(tester.pausedAtBreak());
    QCOMPARE(tester.status() & 1, 1);    // still on: the host re-arms it

    // Fetching the data does not resume it; re-arming does.
    QVERIFY(ask(tester, "AE").startsWith("*"));
    QCOMPARE(runFor(tester, 1000), QByteArray());
    QCOMPARE(tester.cycleCount(), 3);
    ask(tester, "F33");
    QCOMPARE(runFor(tester, 1000), QByteArray("+"));
    QCOMPARE(tester.cycleCount(), 6);

    // A "+" nobody answered is said again, and counted as lost.
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
    QCOMPARE(tester.takeOutput(), QByteArray());

    tester.receive("C");                 // a command is arriving
    QCOMPARE(runFor(tester, 200), QByteArray());
    tester.receive("0\r");
    QCOMPARE(tester.takeOutput(), QByteArray("*1\r"));   // on, paused, piston up
    // Not straight after the reply either: the host must have taken it.
    QCOMPARE(runFor(tester, 140), QByteArray());
    QCOMPARE(runFor(tester, 20), QByteArray("+"));
}

void SimulatedTesterTest::counterClears_data()
{
    QTest::addColumn<QByteArray>("clear");
    QTest::addColumn<QList<int>>("fields");
    QTest::addColumn<QList<QByteArray>>("values");

    QTest::newRow("194 min / max")
        << QByteArray("C2") << QList<int>{20, 21, 22, 23, 24, 25}
        << QList<QByteArray>{"0", "1023", "0", "1023", "0", "0"};
    QTest::newRow("201 fail count and failure bits")
        << QByteArray("C9") << QList<int>{13, 35} << QList<QByteArray>{"0", "0"};
    QTest::newRow("202 sequential fail count") << QByteArray("CA") << QList<int>{14} << QList<QByteArray>{"0"};
    QTest::newRow("203 cycle count") << QByteArray("CB") << QList<int>{15} << QList<QByteArray>{"0"};
}

void SimulatedTesterTest::counterClears()
{
    QFETCH(QByteArray, clear);
    QFETCH(QList<int>, fields);
    QFETCH(QList<QByteArray>, values);

    SimulatorConfig config = quickConfig();
    config.failureRate = 1.0;
    SimulatedTester tester(config);
    ask(tester, "AC");
    tester.advance(550);
    ask(tester, "A1");
    const QList<QByteArray> before = recordFields(tester);
    QCOMPARE(before.at(14), QByteArray("5"));

    QCOMPARE(ask(tester, clear), QByteArray("*\r"));
    const QList<QByteArray> after = recordFields(tester);
    for (int i = 0; i < fields.size(); ++i) {
        QVERIFY(before.at(fields[i] - 1) != values[i]);
        QCOMPARE(after.at(fields[i] - 1), values[i]);
    }
    // Everything else is left alone.
    for (int f = 1; f <= after.size(); ++f)
        if (!fields.contains(f) && f != 8)
            QCOMPARE(after.at(f - 1), before.at(f - 1));
}

void SimulatedTesterTest::wakeUp_data()
{
    QTest::addColumn<bool>("requireWake");
    QTest::addColumn<int>("quietMs");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("wake-up") << false << 0 << QByteArray("\x1b") << QByteArray("*\r");
    QTest::newRow("wake-up drops a half command") << false << 0 << QByteArray("C\x1b" "C8\r") << QByteArray("*\r*0\r");
    QTest::newRow("tolerant: a command after quiet") << false << 400 << QByteArray("C8\r") << QByteArray("*0\r");
    QTest::newRow("asleep: a command after quiet is dropped") << true << 400 << QByteArray("C8\r") << QByteArray();
    QTest::newRow("asleep: woken first") << true << 400 << QByteArray("\x1b" "C8\r") << QByteArray("*\r*0\r");
    QTest::newRow("asleep: awake within 300 ms") << true << 250 << QByteArray("C8\r") << QByteArray("*0\r");
    QTest::newRow("not a command") << false << 0 << QByteArray("ZZ\r") << QByteArray("?\r");
    QTest::newRow("below the command range") << false << 0 << QByteArray("9F\r") << QByteArray("?\r");
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

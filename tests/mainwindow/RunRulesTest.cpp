#include "mainwindow/RunRules.h"
#include "state/TesterState.h"

#include <QTest>

// The decisions of the run overview, without a window: the rate and the
// time to the cycle limit from sample times and counts, the run state, the
// data log text, the link text and the tolerance marks.
class RunRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void progress_data();
    void progress();
    void runState_data();
    void runState();
    void loggingText();
    void linkText();
    void tolerance_data();
    void tolerance();
};

namespace {

const QDateTime Start(QDate(2024, 3, 8), QTime(17, 0, 0));

struct Sample
{
    int seconds;      // after Start
    int cycles;
    bool running;
};

} // namespace

Q_DECLARE_METATYPE(QList<Sample>)

void RunRulesTest::progress_data()
{
    QTest::addColumn<QList<Sample>>("samples");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("endsAtLimit");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("runTime");
    QTest::addColumn<QString>("toLimit");

    QTest::newRow("one sample: no rate yet")
        << QList<Sample>{{0, 500, true}} << 1000 << true << "----" << "0:00:00" << "----";
    QTest::newRow("one cycle a second")
        << QList<Sample>{{0, 500, true}, {10, 510, true}, {60, 560, true}} << 1000 << true
        << "3600 cycles/h" << "0:01:00" << "0:07:20";
    QTest::newRow("weekend run: hours beyond a day")
        << QList<Sample>{{0, 0, true}, {3600, 100, true}} << 10000 << true
        << "100 cycles/h" << "1:00:00" << "99:00:00";
    QTest::newRow("limit already reached")
        << QList<Sample>{{0, 990, true}, {10, 1000, true}} << 1000 << true
        << "3600 cycles/h" << "0:00:10" << "0:00:00";
    QTest::newRow("stopped: the run time ends with the stop")
        << QList<Sample>{{0, 100, true}, {10, 110, true}, {15, 114, false}, {300, 114, false}} << 1000 << true
        << "----" << "0:00:15" << "----";
    QTest::newRow("started again after a stop: timed afresh")
        << QList<Sample>{{0, 100, true}, {10, 110, false}, {100, 110, true}, {102, 114, true}} << 1000
        << true << "7200 cycles/h" << "0:00:02" << "0:07:23";
    QTest::newRow("counter reset mid-run starts the run again")
        << QList<Sample>{{0, 800, true}, {100, 900, true}, {110, 2, true}, {130, 22, true}} << 1000 << true
        << "3600 cycles/h" << "0:00:20" << "0:16:18";
    QTest::newRow("no progress between samples")
        << QList<Sample>{{0, 100, true}, {30, 100, true}} << 1000 << true << "0 cycles/h" << "0:00:30" << "----";
    QTest::newRow("no cycle limit")
        << QList<Sample>{{0, 100, true}, {10, 110, true}} << 0 << true << "3600 cycles/h" << "0:00:10" << "----";
    QTest::newRow("a run without limit does not end at it")
        << QList<Sample>{{0, 100, true}, {10, 110, true}} << 1000 << false << "3600 cycles/h" << "0:00:10" << "----";
}

void RunRulesTest::progress()
{
    QFETCH(QList<Sample>, samples);
    QFETCH(int, limit);
    QFETCH(bool, endsAtLimit);

    RunProgress progress;
    for (const Sample &sample : samples)
        progress.addSample(Start.addSecs(sample.seconds), sample.cycles, sample.running);

    QTEST(RateText(progress), "rate");
    QTEST(DurationText(progress.runSeconds()), "runTime");
    QTEST(DurationText(progress.secondsToLimit(samples.last().cycles, limit, endsAtLimit)), "toLimit");
}

void RunRulesTest::runState_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("breakMode");
    QTest::addColumn<int>("ledState");
    QTest::addColumn<int>("lastRunCode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("endsAtLimit");

    QTest::newRow("stopped") << false << false << 1 << 0 << "Stopped" << false;
    QTest::newRow("run to limits") << true << false << 1 << 162 << "Running to limits" << true;
    QTest::newRow("run once") << true << false << 1 << 170 << "Running once" << false;
    QTest::newRow("run without limit") << true << false << 2 << 172 << "Running without limit" << false;
    QTest::newRow("paused at a break") << false << true << 1 << 0 << "Break every 50 cycles" << true;
    // A tester found already running: its blinking lamp tells a run without limit.
    QTest::newRow("found running, lamp dark") << true << false << 1 << 0 << "Running to limits" << true;
    QTest::newRow("found running, lamp blinking") << true << false << 2 << 0 << "Running without limit" << false;
}

void RunRulesTest::runState()
{
    QFETCH(bool, running);
    QFETCH(bool, breakMode);
    QFETCH(int, ledState);
    QFETCH(int, lastRunCode);

    TesterState s;
    s.Running = running;
    s.GoAgainMode = breakMode;
    s.LEDState = TesterState::Integer(ledState);
    s.RepeatCount = 50;
    const RunMode mode = CurrentRunMode(s, lastRunCode);
    QTEST(RunStateText(mode, s.RepeatCount), "text");
    QTEST(EndsAtCycleLimit(mode), "endsAtLimit");
}

void RunRulesTest::loggingText()
{
    const QDateTime at(QDate(2024, 3, 8), QTime(9, 5, 7));
    QCOMPARE(LoggingText(true, "/data/run 7/switch.txt", 1, at), QStringLiteral("switch.txt: 1 line, last at 09:05:07"));
    QCOMPARE(LoggingText(true, "switch.txt", 0, QDateTime()), QStringLiteral("switch.txt: 0 lines"));
    QCOMPARE(LoggingText(false, "switch.txt", 12, at), QStringLiteral("Not logging"));

    // The warning: a sample arrived that no file took.
    TesterState s;
    QVERIFY(!NotLoggingWarning(s));
    s.IsDirtyData = true;
    QVERIFY(NotLoggingWarning(s));
    s.DataFileOpen = true;
    QVERIFY(!NotLoggingWarning(s));
}

void RunRulesTest::linkText()
{
    const QDateTime found(QDate(2024, 3, 8), QTime(7, 30, 0));
    LinkHistory link;
    QCOMPARE(link.text(), QStringLiteral("Searching..."));
    for (int port : {9, 10, 11, 12, 13, 14, 15, 16, 1, 3})
        link.portTried(port);
    QCOMPARE(link.text(), QStringLiteral("Searching... tried Comm 1, 3, 9-16"));
    QVERIFY(!link.alarm());

    link.found(3, "/dev/ttyUSB0", found);
    QCOMPARE(link.text(), QStringLiteral("Comm 3 (/dev/ttyUSB0) connected since 07:30:00"));

    // A loss stays on show while the search goes on, until a tester answers.
    link.lost(found.addSecs(3725));
    link.portTried(4);
    QCOMPARE(link.text(), QStringLiteral("Link lost at 08:32:05"));
    QVERIFY(link.alarm());
    link.found(4, QString(), found.addSecs(4000));
    QCOMPARE(link.text(), QStringLiteral("Comm 4 connected since 08:36:40"));
    QVERIFY(!link.alarm());
}

void RunRulesTest::tolerance_data()
{
    QTest::addColumn<int>("contact");
    QTest::addColumn<int>("maxDown");       // limit 500
    QTest::addColumn<int>("minUp");         // limit 100
    QTest::addColumn<int>("bounceUp");      // limit 3000
    QTest::addColumn<QString>("marked");    // downMax, downMin, downBounce, upMax, upMin, upBounce

    const int both = 16 | 32 | 64 | 128;
    QTest::newRow("exactly at the limits") << both << 500 << 100 << 3000 << "000000";
    QTest::newRow("one count beyond") << both << 501 << 99 << 3001 << "100011";
    QTest::newRow("beyond, but bounce not tested") << (16 | 32) << 501 << 99 << 3001
                                                  << "100010";
    QTest::newRow("beyond on a stroke not tested") << (16 | 64) << 400 << 0 << 9999
                                                  << "000000";
}

void RunRulesTest::tolerance()
{
    QFETCH(int, contact);
    QFETCH(int, maxDown);
    QFETCH(int, minUp);
    QFETCH(int, bounceUp);

    TesterState s;
    s.vRPullUp = 1000;
    s.vRMode = 0;
    s.vContact = TesterState::Integer(contact);
    s.vMaxDownResistTol = 500;  s.vMaxDownResistance = maxDown;
    s.vMinDownResistTol = 0;    s.vMinDownResistance = 0;
    s.vMaxDownBounceTol = 3000; s.vMaxDownBounce = 3000;
    s.vMaxUpResistTol = 1023;   s.vMaxUpResistance = 1023;
    s.vMinUpResistTol = 100;    s.vMinUpResistance = minUp;
    s.vMaxUpBounceTol = 3000;   s.vMaxUpBounce = bounceUp;

    const ToleranceMarks m = OutOfTolerance(s);
    QString marked;
    for (bool mark : {m.downMax, m.downMin, m.downBounce, m.upMax, m.upMin, m.upBounce})
        marked += mark ? QLatin1Char('1') : QLatin1Char('0');
    QTEST(marked, "marked");
}

QTEST_GUILESS_MAIN(RunRulesTest)
#include "RunRulesTest.moc"

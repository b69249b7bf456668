#include "mainwindow/RunRules.h"
#include "state/TesterState.h"

#include <QTest>

// The decisions of the run overview without a window: rate and time to the
// cycle limit from sample times and counts, link text, tolerance.
class RunRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void progress_data();
    void progress();
    void linkText();
    void tolerance_data();
    void tolerance();
};

struct Sample { int seconds, cycles; bool running; };
Q_DECLARE_METATYPE(QList<Sample>)

void RunRulesTest::progress_data()
{
    QTest::addColumn<QList<Sample>>("samples");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("runTime");
    QTest::addColumn<QString>("toLimit");

    QTest::newRow("one sample: no rate yet") << QList<Sample>{{0, 500, true}} << 1000 << "----" << "0:00:00" << "----";
    QTest::newRow("one cycle a second") << QList<Sample>{{0, 500, true}, {10, 510, true}, {60, 560, true}} << 1000
                                        << "3600 cycles/h" << "0:01:00" << "0:07:20";
    QTest::newRow("hours beyond a day") << QList<Sample>{{0, 0, true}, {3600, 100, true}} << 10000
                                        << "100 cycles/h" << "1:00:00" << "99:00:00";
    QTest::newRow("limit already reached") << QList<Sample>{{0, 990, true}, {10, 1000, true}} << 1000
                                           << "3600 cycles/h" << "0:00:10" << "0:00:00";
    QTest::newRow("stopped: the run ends with the stop")
        << QList<Sample>{{0, 100, true}, {10, 110, true}, {15, 114, false}, {300, 114, false}} << 1000
        << "----" << "0:00:15" << "----";
    QTest::newRow("started again: timed afresh")
        << QList<Sample>{{0, 100, true}, {10, 110, false}, {100, 110, true}, {102, 114, true}} << 1000
        << "7200 cycles/h" << "0:00:02" << "0:07:23";
    QTest::newRow("counter reset mid-run")
        << QList<Sample>{{0, 800, true}, {100, 900, true}, {110, 2, true}, {130, 22, true}} << 1000
        << "3600 cycles/h" << "0:00:20" << "0:16:18";
    QTest::newRow("no cycle limit") << QList<Sample>{{0, 100, true}, {10, 110, true}} << 0
                                    << "3600 cycles/h" << "0:00:10" << "----";
}

void RunRulesTest::progress()
{
    QFETCH(QList<Sample>, samples);
    QFETCH(int, limit);
    const QDateTime start(QDate(2024, 3, 8), QTime(17, 0, 0));
    RunProgress progress;
    for (const Sample &sample : samples)
        progress.addSample(start.addSecs(sample.seconds), sample.cycles, sample.running);

    QTEST(RateText(progress), "rate");
    QTEST(DurationText(progress.runSeconds()), "runTime");
    QTEST(DurationText(progress.secondsToLimit(samples.last().cycles, limit, true)), "toLimit");
}

void RunRulesTest::linkText()
{
    const QDateTime found(QDate(2024, 3, 8), QTime(7, 30, 0));
    LinkHistory link;
    for (int port : {9, 10, 11, 12, 13, 14, 15, 16, 1, 3})
        link.portTried(port);
    QCOMPARE(link.text(), QStringLiteral("Searching... tried Comm 1, 3, 9-16"));
    link.found(3, "/dev/ttyUSB0", found);
    QCOMPARE(link.text(), QStringLiteral("Comm 3 (/dev/ttyUSB0) connected since 07:30:00"));
    // A loss stays on show while the search goes on, until a tester answers.
    link.lost(found.addSecs(3725));
    link.portTried(4);
    QCOMPARE(link.text(), QStringLiteral("Link lost at 08:32:05"));
    QVERIFY(link.alarm());
}

void RunRulesTest::tolerance_data()
{
    QTest::addColumn<int>("contact");
    QTest::addColumn<int>("maxDown");     // limit 500
    QTest::addColumn<int>("minUp");       // limit 100
    QTest::addColumn<int>("bounceUp");    // limit 3000
    QTest::addColumn<QString>("marked");  // down max, min, bounce; up max, min, bounce

    const int all = 16 | 32 | 64 | 128;
    QTest::newRow("exactly at the limits") << all << 500 << 100 << 3000 << "000000";
    QTest::newRow("one count beyond") << all << 501 << 99 << 3001 << "100011";
    QTest::newRow("bounce not tested") << (16 | 32) << 501 << 99 << 3001 << "100010";
    QTest::newRow("up stroke not tested") << (16 | 64) << 400 << 0 << 9999 << "000000";
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
    s.vMaxDownResistTol = 500, s.vMaxDownResistance = maxDown;
    s.vMinUpResistTol = 100, s.vMinUpResistance = minUp;
    s.vMaxUpBounceTol = 3000, s.vMaxUpBounce = bounceUp;
    s.vMaxDownBounceTol = s.vMaxDownBounce = 3000;
    s.vMaxUpResistTol = s.vMaxUpResistance = 1023;

    const ToleranceMarks m = OutOfTolerance(s);
    QString marked;
    for (bool mark : {m.downMax, m.downMin, m.downBounce, m.upMax, m.upMin, m.upBounce})
        marked += mark ? QLatin1Char('1') : QLatin1Char('0');
    QTEST(marked, "marked");
}

QTEST_GUILESS_MAIN(RunRulesTest)
#include "RunRulesTest.moc"

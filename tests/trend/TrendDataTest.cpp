// The trend history, the data log reader and the reduction: a saved log
// plots what the live run showed, bad lines are skipped and counted, and the
// reduction never loses an extreme.

#include "datalog/DataLog.h"
#include "state/TesterState.h"
#include "trend/TrendHistory.h"
#include "trend/TrendLogReader.h"
#include "trend/TrendReduction.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

// A sample of a tester in the middle of a run: both strokes and bounces tested.
TesterState sample(int software, int mode, int range)
{
    TesterState s;
    s.vUpdateTime = QDateTime(QDate(2026, 12, 6), QTime(11, 30, 5));
    s.CycleCount = 1234;
    s.FailCount = 7;
    s.vSoftwareVersion = software;
    s.vRMode = TesterState::Integer(mode);
    s.vRPullUp = range;
    s.vContact = 1 | 16 | 32 | 64 | 128;
    s.vLastMeasuredDownResist = 12;
    s.vLastMeasuredUpResist = 700;
    s.vLastDownBounceTime = 1000;
    s.vLastUpBounceTime = 250;
    s.vLastDownStrokeTime = 45;
    s.vLastUpStrokeTime = 52;
    s.vMinDownResistTol = 0;
    s.vMaxDownResistTol = 20;
    s.vMinUpResistTol = 600;
    s.vMaxUpResistTol = 1023;
    s.vMaxDownBounceTol = 3000;
    s.vMaxUpBounceTol = 2000;
    s.vMinDownTime = 10;
    s.vMaxDownTime = 100;
    s.vMinUpTime = 15;
    s.vMaxUpTime = 90;
    s.vSerialNumber = QStringLiteral("41800123");
    return s;
}

QString writeLog(const QTemporaryDir &dir, const QByteArray &body)
{
    const QString path = dir.filePath(QStringLiteral("run.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size())
        return QString();
    return path;
}

QByteArray logLine(const TesterState &s)
{
    return SampleLine(s).toLatin1() + "\r\n";
}

// Equal as drawn: both unknown, both open, or within the log's decimals.
bool same(float fromLog, float live)
{
    if (std::isnan(fromLog) || std::isnan(live))
        return std::isnan(fromLog) && std::isnan(live);
    if (std::isinf(fromLog) || std::isinf(live))
        return fromLog == live;
    return std::abs(fromLog - live) <= 0.05f + 1e-4f * std::abs(live);
}

TrendHistory historyOf(const QList<TrendReading> &readings)
{
    TrendHistory h;
    for (const TrendReading &r : readings)
        h.append(r);
    return h;
}

TrendReading reading(int cycle, int fails, float downContact)
{
    TrendReading r;
    r.cycleCount = cycle;
    r.failCount = fails;
    r.contact[TrendDown] = downContact;
    r.limits.contactCode = 16 | 32 | 64 | 128;
    return r;
}

} // namespace

class TrendDataTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logPlotsWhatTheLiveRunShowed_data();
    void logPlotsWhatTheLiveRunShowed();
    void badLinesAreSkippedAndCounted();
    void reductionKeepsEveryExtreme_data();
    void reductionKeepsEveryExtreme();
    void failuresOpenReadingsAndCounterResets();
    void limitsFollowTheMeasurementMode();
};

void TrendDataTest::logPlotsWhatTheLiveRunShowed_data()
{
    QTest::addColumn<int>("software");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("upCount");
    QTest::addColumn<int>("contact");

    const int all = 1 | 16 | 32 | 64 | 128;
    QTest::newRow("software 1.2, ohms") << 12 << 0 << 1000 << 700 << all;
    QTest::newRow("software 1.1: no last bounce") << 11 << 0 << 1000 << 700 << all;
    QTest::newRow("open contact, written as a number") << 12 << 0 << 1000 << 1023 << all;
    QTest::newRow("current, mA") << 12 << 1 << 500 << 1023 << all;
    QTest::newRow("voltage") << 12 << 2 << 5000 << 511 << all;
    QTest::newRow("range not received: ??? and -----") << 12 << 0 << 0 << 700 << all;
    QTest::newRow("up stroke and down bounce not tested") << 12 << 0 << 1000 << 700 << (1 | 16);
}

void TrendDataTest::logPlotsWhatTheLiveRunShowed()
{
    QFETCH(int, software);
    QFETCH(int, mode);
    QFETCH(int, range);
    QFETCH(int, upCount);
    QFETCH(int, contact);

    TesterState s = sample(software, mode, range);
    s.vLastMeasuredUpResist = upCount;
    s.vContact = TesterState::Integer(contact);
    QTemporaryDir dir;
    const QString path = writeLog(dir, QByteArray(DataLogHeader) + "\r\n" + logLine(s));

    TrendHistory fromLog, live;
    const TrendLogResult result = ReadTrendLog(path, fromLog);
    live.append(TrendReadingFromState(s));
    QVERIFY(result.opened);
    QCOMPARE(result.samples, 1);
    QCOMPARE(result.skipped, 0);

    const TrendSample &a = fromLog.at(0), &b = live.at(0);
    QCOMPARE(a.cycle, 1234);
    QCOMPARE(a.failCount, 7);
    for (int stroke : {TrendDown, TrendUp}) {
        QVERIFY2(same(a.contact[stroke], b.contact[stroke]), qPrintable(QString::number(a.contact[stroke])));
        QVERIFY(same(a.bounce[stroke], b.bounce[stroke]));
        QVERIFY(same(a.strokeTime[stroke], b.strokeTime[stroke]));
    }
    const TrendLimits &la = fromLog.segments().at(0).limits, &lb = live.segments().at(0).limits;
    QCOMPARE(la.mode, mode);
    for (int stroke : {TrendDown, TrendUp}) {
        QVERIFY(same(la.minContact[stroke], lb.minContact[stroke]));
        QVERIFY(same(la.maxContact[stroke], lb.maxContact[stroke]));
        QVERIFY(same(la.maxBounce[stroke], lb.maxBounce[stroke]));
        QVERIFY(same(la.minTime[stroke], lb.minTime[stroke]));
        QVERIFY(same(la.maxTime[stroke], lb.maxTime[stroke]));
    }

    // The cases the charts must tell apart.
    QCOMPARE(std::isnan(a.bounce[TrendDown]), software < 12 || !(contact & 64));
    QCOMPARE(std::isinf(a.contact[TrendUp]), upCount == 1023 && mode == 0 && range > 0 && (contact & 32));
    QCOMPARE(std::isnan(a.contact[TrendDown]), range == 0);
    QCOMPARE(std::isnan(a.strokeTime[TrendUp]), !(contact & 32));
}

void TrendDataTest::badLinesAreSkippedAndCounted()
{
    TesterState newer = sample(12, 0, 1000), older = sample(11, 2, 5000);
    older.CycleCount = 2000;
    const QByteArray good = logLine(newer);
    QByteArray shortLine = good;
    shortLine.replace(",41800123", "");
    QByteArray badNumber = good;
    badNumber.replace(",1234,", ",12x4,");

    QByteArray body = QByteArray(DataLogHeader) + "\r\n";
    body += good;
    body += "%%garbage%% \x01\x02,,,\r\n";
    body += "\r\n";                                   // a blank line is not counted
    body += logLine(older).replace("\r\n", "\n");     // a line end of another system
    body += shortLine;                                // 36 columns
    body += badNumber;
    body += QByteArray(DataLogHeader) + "\r\n";       // a second header, from a joined file
    body += good;
    body += good.left(good.size() / 2);               // the last line, cut short
    QTemporaryDir dir;

    TrendHistory history;
    const TrendLogResult result = ReadTrendLog(writeLog(dir, body), history);
    QCOMPARE(result.samples, 3);
    QCOMPARE(result.skipped, 4);
    QCOMPARE(history.size(), size_t(3));
    QCOMPARE(history.at(1).cycle, 2000);
    QVERIFY(std::isnan(history.at(1).bounce[TrendUp]));

    TrendHistory none;
    QVERIFY(!ReadTrendLog(dir.filePath(QStringLiteral("missing.txt")), none).opened);
}

void TrendDataTest::reductionKeepsEveryExtreme_data()
{
    QTest::addColumn<int>("spikeAt");
    QTest::addColumn<int>("dipAt");
    QTest::newRow("first and last") << 0 << 999999;
    QTest::newRow("inside one column") << 500000 << 500001;
    QTest::newRow("anywhere") << 123457 << 876543;
}

void TrendDataTest::reductionKeepsEveryExtreme()
{
    QFETCH(int, spikeAt);
    QFETCH(int, dipAt);

    constexpr int Samples = 1000000, Columns = 997;
    TrendHistory history;
    for (int i = 0; i < Samples; ++i)
        history.append(reading(i, 0, i == spikeAt ? 500.0f : i == dipAt ? 0.1f : 5.0f + float(i % 7) * 0.01f));

    const QList<QPointF> points = ReduceTrend(history, Columns).series[ContactDownSeries];
    QVERIFY(points.size() <= 2 * Columns);
    QVERIFY(points.contains(QPointF(spikeAt, 500.0f)));
    QVERIFY(points.contains(QPointF(dipAt, 0.1f)));
    // Ordered by cycle: the line does not run back.
    for (qsizetype i = 1; i < points.size(); ++i)
        QVERIFY(points[i].x() >= points[i - 1].x());
}

void TrendDataTest::failuresOpenReadingsAndCounterResets()
{
    const float open = INFINITY;
    // Cycles 10..30, a counter reset, then 5 and 15; the first sample's old
    // failures are not new, a rise after the reset is.
    const TrendHistory history = historyOf({reading(10, 3, 1), reading(20, 4, 1), reading(30, 4, open),
                                            reading(5, 0, 1), reading(15, 2, 1)});
    QCOMPARE(history.at(3).cycle, 35);
    QCOMPARE(history.at(4).cycle, 45);

    const TrendReduction r = ReduceTrend(history, 1000);
    QCOMPARE(r.failureCycles, (QList<double>{20, 45}));
    QCOMPARE(r.openCycles[TrendDown], QList<double>{30});
    // An open reading is marked, never drawn as a number.
    for (const QPointF &p : r.series[ContactDownSeries])
        QVERIFY(std::isfinite(p.y()));
    QCOMPARE(r.series[ContactDownSeries].size(), 4);
    QCOMPARE(r.series[FailureSeries].last(), QPointF(45, 2));
}

void TrendDataTest::limitsFollowTheMeasurementMode()
{
    TesterState s = sample(12, 0, 1000);
    s.vMaxDownResistTol = 900;
    s.vContact = 1 | 16 | 64;   // the up stroke is not tested
    TrendHistory history;
    for (int cycle = 1; cycle <= 3; ++cycle) {
        s.CycleCount = cycle;
        history.append(TrendReadingFromState(s));
    }
    s.vRMode = 2;
    s.vRPullUp = 5000;
    for (int cycle = 4; cycle <= 6; ++cycle) {
        s.CycleCount = cycle;
        history.append(TrendReadingFromState(s));
    }

    QCOMPARE(history.segments().size(), size_t(2));
    const TrendReduction r = ReduceTrend(history, 600);
    const QList<QPointF> &max = r.limits[MaxContactDownLimit];
    QCOMPARE(max.size(), 4);
    QCOMPARE(max[0].x(), 1.0);
    QCOMPARE(max[1], QPointF(4, float(1000.0 * 900 / 123)));    // ohms up to the change
    QCOMPARE(max[2], QPointF(4, float(900.0 / 1023 * 5)));      // volts after it
    QCOMPARE(max[3].x(), 6.0);
    QVERIFY(r.series[ContactUpSeries].isEmpty());
    QVERIFY(r.limits[MinContactUpLimit].isEmpty());
    QVERIFY(r.series[BounceUpSeries].isEmpty());
}

QTEST_GUILESS_MAIN(TrendDataTest)
#include "TrendDataTest.moc"

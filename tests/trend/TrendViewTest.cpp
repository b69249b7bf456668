// What the Trend window draws of a run: reduction, line breaks, ticks, readout and zoom limits.

#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendReduction.h"
#include "engine/trend/TrendTicks.h"
#include "engine/trend/TrendZoom.h"
#include "support/TestKit.h"

#include <cmath>
#include <limits>
#include <tuple>

namespace {

// 12/06/2026 00:00:00 on the wall clock.
const int64_t Midnight = trendWallClockMs(QDate(2026, 12, 6), QTime(0, 0));
constexpr int64_t Second = 1000;

TrendReading reading(int cycle, int64_t timeMs, float downContact, int fails = 0)
{
    TrendReading r;
    r.timeMs = timeMs;
    r.cycleCount = cycle;
    r.failCount = fails;
    r.contact[TrendDown] = downContact;
    r.limits.contactCode = 16 | 32 | 64 | 128;
    return r;
}

// A line as text: "x:y" points, "|" where it breaks.
QString lineText(const QList<QPointF> &line)
{
    QStringList out;
    for (const QPointF &p : line)
        out << (isLineBreak(p) ? QStringLiteral("|") : QStringLiteral("%1:%2").arg(p.x(), 0, 'g', 12).arg(p.y()));
    return out.join(QLatin1Char(' '));
}

// Tick labels or numbers as one text, a space between them.
QString joined(const QList<TrendTick> &ticks)
{
    QStringList out;
    for (const TrendTick &t : ticks)
        out << t.label;
    return out.join(QLatin1Char(' '));
}

QString joined(const QList<double> &values)
{
    QStringList out;
    for (const double v : values)
        out << QString::number(v);
    return out.join(QLatin1Char(' '));
}

// A million samples a second apart; the down contact reading is the cycle
// count modulo 1000, so every sample is told apart in a narrow range.
const TrendHistory &millionSamples()
{
    static const TrendHistory history = [] {
        TrendHistory h;
        for (int i = 0; i < 1000000; ++i)
            h.append(reading(i, Midnight + i * Second, float(i % 1000), i / 1000));
        return h;
    }();
    return history;
}

}   // namespace

class TrendViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A spike on the first sample, a dip on the last, and a spike and a dip side by side inside one column.
    void reductionKeepsEveryExtreme()
    {
        constexpr int Samples = 1000000, Columns = 997;
        const QList<QPointF> extremes = {{0, 500}, {500000, 400}, {500001, 0.125}, {999999, 0.25}};
        TrendHistory history;
        for (int i = 0, next = 0; i < Samples; ++i) {
            const bool extreme = next < extremes.size() && extremes[next].x() == i;
            history.append(
                reading(i, TrendUnknownTime, extreme ? float(extremes[next++].y()) : 5.0f + float(i % 7) * 0.01f));
        }

        const QList<QPointF> points = reduceTrend(history, Columns).series[ContactDownSeries];
        QVERIFY(points.size() <= 2 * Columns);
        for (const QPointF &e : extremes)
            QVERIFY2(points.contains(e), qPrintable(QString::number(e.x())));
        for (qsizetype i = 1; i < points.size(); ++i)   // the line does not run back
            QVERIFY(points[i].x() >= points[i - 1].x());
    }

    void failuresOpenReadingsAndCounterResets()
    {
        // Cycles 10..30, the stopped tester sampled again at 30 (no reset), a
        // counter reset, then 5 and 15; the first sample's old failures are not
        // new, a rise after the reset is.
        TrendHistory history;
        for (const TrendReading &r :
             {reading(10, Midnight, 1, 3), reading(20, Midnight + Second, 1, 4),
              reading(30, Midnight + 2 * Second, INFINITY, 4), reading(30, Midnight + 3 * Second, INFINITY, 4),
              reading(5, Midnight + 4 * Second, 1, 0), reading(15, Midnight + 5 * Second, 1, 2)})
            history.append(r);
        QCOMPARE(history.at(3).cycle, 30);
        QCOMPARE(history.at(5).cycle, 45);

        const TrendReduction r = reduceTrend(history, 1000);
        QCOMPARE(r.failureAt, (QList<double>{20, 45}));
        QCOMPARE(r.openAt[TrendDown], QList<double>{30});
        // An open reading is marked, never drawn as a number; the reset breaks the line.
        QCOMPARE(lineText(r.series[ContactDownSeries]), QStringLiteral("10:1 20:1 | 35:1 45:1"));
        QCOMPARE(r.series[FailureSeries].last(), QPointF(45, 2));
    }

    // Zoomed in, a chart of 1000 columns draws every sample of the range, and a
    // line that runs on beyond the range reaches its edge.
    void zoomedRangeIsReducedAgain()
    {
        const TrendHistory &h = millionSamples();
        // axis, range, the down contact line ("" when it is long), its points
        const std::tuple<TrendAxis, TrendRange, const char *, qsizetype> cases[] = {
            {TrendAxis::Cycles, {500002, 500006}, "500002:2 500003:3 500004:4 500005:5 500006:6", 5},
            {TrendAxis::Cycles, {500002.5, 500004.5}, "500002.5:2.5 500003:3 500004:4 500004.5:4.5", 4},
            {TrendAxis::Cycles, {500002.25, 500002.75}, "500002.25:2.25 500002.75:2.75", 2},   // between two samples
            {TrendAxis::Cycles, {750000, 750999}, "", 1000},
            {TrendAxis::Cycles, {999996, 999999}, "999996:996 999997:997 999998:998 999999:999", 4},   // the end
            {TrendAxis::Time, {double(Midnight + 500002 * Second), double(Midnight + 500004 * Second)}, "", 3},
            {TrendAxis::Cycles, {0, 999999}, "", 2000},   // the whole run: two extremes a column
        };
        for (const auto &[axis, range, text, points] : cases) {
            const TrendReduction r = reduceTrend(h, axis, range, 1000);
            const QList<QPointF> &line = r.series[ContactDownSeries];
            const QString what = QStringLiteral("%1..%2: %3")
                                     .arg(range.from, 0, 'f')
                                     .arg(range.to, 0, 'f')
                                     .arg(lineText(line.mid(0, 8)));
            QVERIFY2(line.size() == points, qPrintable(what));
            if (*text)
                QVERIFY2(lineText(line) == QLatin1String(text), qPrintable(what));
            QVERIFY(r.series[FailureSeries].size() <= points);
            for (const QPointF &p : line)
                QVERIFY2(range.contains(p.x()), qPrintable(what));
        }
        // A new failure every thousand cycles: one column each, counted.
        const TrendReduction whole = reduceTrend(h, TrendAxis::Cycles, {0, 999999}, 100);
        QCOMPARE(whole.failureAt.size(), 100);
        QCOMPARE(whole.failureCount.first(), 9);
        QCOMPARE(whole.failureAt.first(), 1000.0);
    }

    // A pause far longer than the usual interval, a new recording in the same
    // log and a counter reset break the line; the first two begin a session.
    void linesBreakWhereTheRecordingBroke_data()
    {
        // seconds: -1: unknown time; sessionBefore: a header before this sample; -1 none
        addColumns<QList<qint64>, QList<int>, int, QString, QString>("seconds", "cycles", "sessionBefore", "line",
                                                                     "sessions");
        using Times = QList<qint64>;
        using Cycles = QList<int>;
        addRow("a pause of five seconds", Times{0, 1, 2, 3, 8, 9, 10}, Cycles{1, 2, 3, 4, 5, 6, 7}, -1,
               "1:1 2:2 3:3 4:4 5:5 6:6 7:7", "");
        addRow("a night", Times{0, 1, 2, 3, 36000, 36001, 36002}, Cycles{1, 2, 3, 4, 5, 6, 7}, -1,
               "1:1 2:2 3:3 4:4 | 5:5 6:6 7:7", "5");
        addRow("the clock put back an hour", Times{7200, 7201, 7202, 7203, 3604, 3605}, Cycles{1, 2, 3, 4, 5, 6}, -1,
               "1:1 2:2 3:3 4:4 | 5:5 6:6", "5");
        addRow("a counter reset", Times{0, 1, 2, 3, 4}, Cycles{10, 11, 12, 1, 2}, -1, "10:10 11:11 12:12 | 13:1 14:2",
               "");
        addRow("a second recording in the log", Times{0, 1, 2, 3, 4}, Cycles{1, 2, 3, 4, 5}, 3, "1:1 2:2 3:3 | 4:4 5:5",
               "4");
        addRow("times unknown", Times{0, -1, 2, 3, -1, 5}, Cycles{1, 2, 3, 4, 5, 6}, -1, "1:1 2:2 3:3 4:4 5:5 6:6", "");
    }

    void linesBreakWhereTheRecordingBroke()
    {
        QFETCH(QList<qint64>, seconds);
        QFETCH(QList<int>, cycles);
        QFETCH(int, sessionBefore);
        TrendHistory h;
        for (qsizetype i = 0; i < cycles.size(); ++i) {
            if (i == sessionBefore)
                h.startSession();
            const int64_t t = seconds[i] < 0 ? TrendUnknownTime : Midnight + seconds[i] * Second;
            h.append(reading(cycles[i], t, float(cycles[i])));
        }
        const TrendReduction r = reduceTrend(h, 1000);
        QTEST(lineText(r.series[ContactDownSeries]), "line");
        QTEST(joined(r.sessionAt), "sessions");
    }

    // A limit line, a night between two stretches of samples, damaged cycle
    // counts and any position land in the chart's columns.
    void limitsAndDamagedCountsStayInTheirColumns()
    {
        // A limit breaks where its stroke is not tested.
        TrendHistory limits;
        for (const int cycle : {1, 2, 3, 4, 5, 6}) {
            TrendReading r = reading(cycle, Midnight + cycle * Second, 5);
            r.limits.maxContact[TrendDown] = 20;
            if (cycle == 3 || cycle == 4)
                r.limits.contactCode = 32 | 128;
            limits.append(r);
        }
        QCOMPARE(lineText(reduceTrend(limits, 1000).limits[MaxContactDownLimit]),
                 QStringLiteral("1:20 3:20 | 5:20 6:20"));

        // A night that falls between two stretches of samples.
        TrendHistory stretches;
        for (int i = 0; i < 2 * int(TrendHistory::SpanSize); ++i) {
            const int64_t night = i < int(TrendHistory::SpanSize) ? 0 : 36000;
            stretches.append(reading(i, Midnight + (i + night) * Second, 1));
        }
        QCOMPARE(joined(reduceTrend(stretches, 4000).sessionAt), QString::number(TrendHistory::SpanSize));

        // Cycle counts below zero (a damaged log) stay within the columns.
        TrendHistory damaged;
        for (const int cycle :
             {5, -2000000, 7, std::numeric_limits<int>::min(), 8, std::numeric_limits<int>::max(), -1})
            damaged.append(reading(cycle, TrendUnknownTime, float(cycle)));
        const TrendRange whole = wholeRun(damaged, TrendAxis::Cycles);
        for (const int columns : {1, 3, 1000}) {
            const QList<QPointF> line = reduceTrend(damaged, columns).series[ContactDownSeries];
            QVERIFY(line.size() <= 5 * columns);
            for (const QPointF &p : line)
                QVERIFY(isLineBreak(p) || whole.contains(p.x()));
        }
        // Whatever the position, its column is one of the chart's.
        const TrendColumnScale scale({-100, 100}, 200);
        const double inf = std::numeric_limits<double>::infinity();
        const QList<double> positions = {-100, -99.5, 0, 99.5, 100, -101, -1e300, -inf, std::nan(""), 1e300, inf};
        QStringList columns;
        for (const double x : positions)
            columns << QString::number(scale.column(x));
        QCOMPARE(columns.join(QLatin1Char(' ')), QStringLiteral("0 0 100 199 199 0 0 0 0 199 199"));
        QCOMPARE(TrendColumnScale({5, 5}, 10).column(6), 0);
    }

    void roundTicksAndCrowdedFailures()
    {
        // low, high, at most so many ticks, counting, the labels
        const std::tuple<double, double, int, bool, const char *> values[] = {
            {0, 3, 10, true, "0 1 2 3"},   // counts: never halves
            {0, 10, 5, false, "0 2 4 6 8 10"},
            {0.46, 10.54, 2, true, "5 10"},   // a short axis still gets two
            {6.3, 7.7, 5, true, "7"},
            {0, 0.0075, 4, false, "0.000 0.002 0.004 0.006"},
            {-1, 1, 4, false, "-1.0 -0.5 0.0 0.5 1.0"},
            {0, 1000000, 6, true, "0 200000 400000 600000 800000 1000000"},
            {5, 5, 4, false, ""},
        };
        for (const auto &[low, high, maxTicks, counting, labels] : values)
            QCOMPARE(joined(valueAxisTicks(low, high, maxTicks, counting)), QString::fromLatin1(labels));

        const double at11 = double(Midnight + 11 * 3600 * Second);
        // from, to, at most so many ticks, the labels
        const std::tuple<double, double, int, const char *> times[] = {
            {at11, at11 + 3600 * Second, 6, "12/06 11:00 11:10 11:20 11:30 11:40 11:50 12:00"},
            {at11 + 12 * 3600 * Second, at11 + 14 * 3600 * Second, 4, "12/06 23:00 23:30 12/07 00:00 00:30 01:00"},
            {at11, at11 + 30 * Second, 3, "12/06 11:00:00 11:00:10 11:00:20 11:00:30"},
            {double(Midnight), double(Midnight + 3 * 24 * 3600 * Second), 3, "12/06/2026 12/07 12/08 12/09"},
            {at11, at11 + 3600 * Second, 1, "12/06 11:00 12:00"},
            {double(Midnight), double(Midnight + 30 * 24 * 3600 * Second), 5, "12/10/2026 12/17 12/24 12/31"},
        };
        for (const auto &[from, to, maxTicks, labels] : times)
            QCOMPARE(joined(timeTicks(from, to, maxTicks)), QString::fromLatin1(labels));

        // A single failure in a long run stays a line, and so does a burst among
        // few; marks usually a few pixels apart become ticks.
        // the failures' cycles, pixels per cycle, crowded
        const std::tuple<QList<double>, double, bool> marks[] = {
            {{500000}, 0.001, false},
            {{100, 101, 102, 300, 500}, 1, false},
            {{100, 105, 110, 115, 400}, 1, true},
            {{100, 110, 120, 130}, 1, false},
            {{100, 110, 120, 130}, 0.9, true},
        };
        for (const auto &[failureAt, pixelsPerCycle, crowded] : marks)
            QCOMPARE(failureMarksCrowded(failureAt, pixelsPerCycle), crowded);
    }

    // The readout's search, across stretches of samples and at both ends.
    void nearestSampleForTheReadout()
    {
        TrendHistory h;
        QCOMPARE(h.nearest(TrendAxis::Cycles, 5), TrendHistory::NoSample);
        h.append(reading(7, Midnight, 1));
        QCOMPARE(h.nearest(TrendAxis::Cycles, 5), size_t(0));
        h.clear();
        for (int i = 0; i < 3000; ++i)   // cycles 10, 20, ...; every third time unknown
            h.append(reading(10 * (i + 1), i % 3 == 2 ? TrendUnknownTime : Midnight + i * Second, 1));
        const size_t last = h.size() - 1;
        // axis, position, the nearest sample
        const std::tuple<TrendAxis, double, size_t> cases[] = {
            {TrendAxis::Cycles, -1e9, 0},
            {TrendAxis::Cycles, 10, 0},
            {TrendAxis::Cycles, 14, 0},
            {TrendAxis::Cycles, 16, 1},
            {TrendAxis::Cycles, 10241, 1023},   // the last of a stretch ...
            {TrendAxis::Cycles, 10246, 1024},   // ... and the first of the next
            {TrendAxis::Cycles, 30000, last},
            {TrendAxis::Cycles, 1e12, last},
            {TrendAxis::Time, double(Midnight - 3600 * Second), 0},
            {TrendAxis::Time, double(Midnight + 2 * Second), 1},   // sample 2 has no time: 1 or 3
            {TrendAxis::Time, double(Midnight + 1e9), last - 1},
            {TrendAxis::Cycles, std::nan(""), TrendHistory::NoSample},
        };
        for (const auto &[axis, x, sample] : cases)
            QVERIFY2(h.nearest(axis, x) == sample, qPrintable(QString::number(x, 'f')));
    }

    void zoomStaysWithinTheRun()
    {
        const TrendRange whole{0, 100};
        // the range wanted, the range shown
        const std::pair<TrendRange, TrendRange> cases[] = {
            {zoomedAround({0, 100}, 25, 0.5), {12.5, 62.5}},   // the pointer's cycle stays put
            {{90, 110}, {80, 100}},
            {{-30, 10}, {0, 40}},
            {{50, 50.5}, {48.25, 52.25}},   // no narrower than a few cycles
            {{-10, 200}, whole},
            {{std::nan(""), 3}, whole},
        };
        for (const auto &[wanted, expected] : cases) {
            const TrendRange shown = clampedRange(wanted, whole, TrendAxis::Cycles);
            QVERIFY2(shown == expected, qPrintable(QStringLiteral("%1..%2").arg(shown.from).arg(shown.to)));
        }
        TrendHistory one;
        one.append(reading(7, Midnight, 1));
        QVERIFY(wholeRun(one, TrendAxis::Cycles) == (TrendRange{6, 8}));
        QVERIFY(wholeRun(TrendHistory(), TrendAxis::Time) == (TrendRange{0, 1}));
    }

    // The wall clock counts like Qt's UTC time from the same date and time, so a
    // tick or a readout shows the date and time the data log holds.
    void wallClockOfTheDataLog()
    {
        const struct
        {
            int year, month, day, hour, minute, second;
            bool exists;
        } cases[] = {
            {1970, 1, 1, 0, 0, 0, true},     {1969, 12, 31, 23, 59, 59, true}, {2000, 2, 29, 12, 0, 0, true},
            {2000, 3, 1, 0, 0, 0, true},     {2004, 12, 31, 23, 0, 0, true},   {2026, 12, 6, 11, 30, 5, true},
            {2100, 2, 28, 1, 2, 3, true},    {1600, 3, 1, 0, 0, 0, true},      {2026, 2, 29, 0, 0, 0, false},
            {2100, 2, 29, 0, 0, 0, false},   {2026, 13, 1, 0, 0, 0, false},    {2026, 0, 1, 0, 0, 0, false},
            {2026, 4, 31, 0, 0, 0, false},   {2026, 4, 30, 24, 0, 0, false},   {2026, 4, 30, 23, 60, 0, false},
            {2026, 4, 30, 23, 0, 60, false},
        };
        for (const auto &c : cases) {
            const QDateTime utc(QDate(c.year, c.month, c.day), QTime(c.hour, c.minute, c.second), Qt::UTC);
            const int64_t expected = c.exists ? utc.toMSecsSinceEpoch() : TrendUnknownTime;
            QCOMPARE(trendWallClockMs(c.year, c.month, c.day, c.hour, c.minute, c.second), expected);
        }
        QCOMPARE(trendWallClock(trendWallClockMs(2026, 12, 6, 11, 30, 5)).time(), QTime(11, 30, 5));
    }
};

QTEST_APPLESS_MAIN(TrendViewTest)
#include "TrendViewTest.moc"

// The Trend window: what it draws of a run (reduction, line breaks, ticks, readout, zoom limits), a saved data log
// plotted as the live run showed it, and the window following the live run.

#include "features/trend/TrendWindow.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/DecodedSample.h"
#include "engine/trend/TrendLogReader.h"
#include "engine/trend/TrendZoom.h"
#include "features/trend/TrendController.h"
#include "support/TestKit.h"
#include "support/WindowRig.h"
#include "ui/TrendFileDialog.h"

#include <QtWidgets>

namespace {

const int64_t Midnight = trendWallClockMs(QDate(2026, 12, 6), QTime(0, 0));
constexpr int64_t Second = 1000;
const double Eight = double(Midnight + 8 * 3600 * Second);

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

// A million samples a second apart; the down contact reading is the cycle count modulo 1000.
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

// A sample of a tester in the middle of a run.
TesterState sample(int cycle, int software, int mode, int range, int upCount = 700,
                   int contact = 1 | 16 | 32 | 64 | 128)
{
    TesterState s;
    s.counters.updateTime = QDateTime(QDate(2026, 12, 6), QTime(11, 30, 5));
    s.counters.cycleCount = cycle, s.counters.failCount = 7;
    s.identity.softwareVersion = software, s.reported.rangeMode = TesterState::Integer(mode),
    s.reported.rangePullUp = range;
    s.reported.contact = TesterState::Integer(contact);
    s.counters.lastDownResistance = 12, s.counters.lastUpResistance = upCount;
    s.counters.lastDownBounceTime = 1000, s.counters.lastUpBounceTime = 250;
    s.counters.lastDownStrokeTime = 45, s.counters.lastUpStrokeTime = 52;
    s.reported.maxDownResistTol = 20, s.reported.minUpResistTol = 600, s.reported.maxUpResistTol = 1023;
    s.reported.maxDownBounceTol = 3000, s.reported.maxUpBounceTol = 2000;
    s.reported.minDownTime = 10, s.reported.maxDownTime = 100, s.reported.minUpTime = 15, s.reported.maxUpTime = 90;
    s.identity.serialNumber = QStringLiteral("41800123");
    return s;
}

QByteArray logLine(const TesterState &s)
{
    return sampleLogLine(s).toLatin1() + "\r\n";
}

// Software 1.2 and 1.1, an open contact, current, voltage, a range not received, strokes not tested; in the log
// four lines to skip (garbage, short, a bad number, cut short) and three to pass over (blank, "\n", a header).
const QList<TesterState> mixedSamples = {sample(1001, 12, 0, 1000),
                                         sample(1002, 11, 0, 1000),
                                         sample(1003, 12, 0, 1000, 1023),
                                         sample(1004, 12, 1, 500, 1023),
                                         sample(1005, 12, 2, 5000, 511),
                                         sample(1006, 12, 0, 0),
                                         sample(1007, 12, 0, 1000, 700, 1 | 16)};

QByteArray mixedLog()
{
    const QByteArray header = QByteArray(DataLogHeader) + "\r\n", good = logLine(mixedSamples[0]);
    QByteArray body =
        header + good + "%%garbage%% \x01\x02,,,\r\n\r\n" + logLine(mixedSamples[1]).replace("\r\n", "\n");
    body += QByteArray(good).replace(",41800123", "") + QByteArray(good).replace(",1001,", ",10x1,") + header;
    for (qsizetype i = 2; i < mixedSamples.size(); ++i)
        body += logLine(mixedSamples[i]);
    return body + good.left(good.size() / 2);
}

bool writeFile(const QString &path, const QByteArray &body)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(body) == body.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}

// Down/up values; one decimal is within the data log's decimals, as drawn.
QString pair(const float (&v)[2], char format = 'f', int precision = 1)
{
    return QStringLiteral("%1/%2").arg(v[TrendDown], 0, format, precision).arg(v[TrendUp], 0, format, precision);
}

// The samples as drawn: "| " a new session, cycle, fail count, time; down/up contact, bounce, stroke time.
QString samplesText(const TrendHistory &h, char format, int precision)
{
    QStringList out;
    for (size_t i = 0; i < h.size(); ++i) {
        const TrendSample &s = h.at(i);
        const QString at = trendWallClock(s.timeMs).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        out << QStringLiteral("%1%2 %3 %4 %5 %6 %7")
                   .arg(h.joinBefore(i, h.gapMs()) == TrendJoin::NewSession ? "| " : "", QString::number(s.cycle),
                        QString::number(s.failCount), at, pair(s.contact, format, precision),
                        pair(s.bounce, format, precision), pair(s.strokeTime, format, precision));
    }
    return out.join(u'\n');
}

// Each limit segment: its first sample, mode; down/up contact, bounce and stroke time limits.
QString limitsText(const TrendHistory &h)
{
    QStringList out;
    for (const TrendHistory::Segment &segment : h.segments()) {
        const TrendLimits &l = segment.limits;
        out << QStringLiteral("%1: %2 %3 %4 %5 %6 %7")
                   .arg(QString::number(segment.first), QString::number(l.mode), pair(l.minContact), pair(l.maxContact),
                        pair(l.maxBounce), pair(l.minTime), pair(l.maxTime));
    }
    return out.join(u'\n');
}

// The window as the user reads it: title, source, lines skipped, live or a log, open or not.
QString shownAs(const TrendWindow &w)
{
    const auto *skipped = w.findChild<QLabel *>("SkippedLabel");
    return QStringList{w.windowTitle(), w.findChild<QLabel *>("SourceLabel")->text(),
                       skipped->isVisibleTo(&w) ? skipped->text() : QStringLiteral("none skipped"),
                       w.showingLive() ? "live" : "log", w.isVisible() ? "open" : "closed"}
        .join(QStringLiteral(" | "));
}

class ScriptedTrendFiles : public TrendFileDialog
{
public:
    QString logToPlot(QWidget *) override { return log; }
    QString imageToSave(QWidget *) override { return image; }
    QString rangeToExport(QWidget *) override { return range; }
    QString log, image, range;
};

// Samples a second apart from 08:00, one a cycle, the down contact 2 to 6.9 ohms, failures(i) fails at cycle i.
TrendHistory secondsApart(int samples, int contactCode, int (*failures)(int), int sessionFrom = -1)
{
    TrendHistory h;
    for (int i = 0; i < samples; ++i) {
        if (i == sessionFrom)
            h.startSession();
        TrendReading r = reading(i, int64_t(Eight) + i * Second, 2 + float(i % 50) / 10, failures(i));
        r.limits.contactCode = contactCode;
        r.limits.mode = 0;
        h.append(r);
    }
    return h;
}

// Twenty thousand samples, a new failure every 500 cycles, a second recording from cycle 10000 on.
const TrendHistory &longRun()
{
    static const TrendHistory history = secondsApart(
        20000, 16 | 32 | 64 | 128, [](int i) { return i / 500; }, 10000);
    return history;
}

// Fifty thousand samples, new failures only at cycles 10, 30000 and 49990.
const TrendHistory &sparseFailures()
{
    static const TrendHistory history =
        secondsApart(50000, 16 | 32, [](int i) { return int(i >= 10) + int(i >= 30000) + int(i >= 49990); });
    return history;
}

// The Trend window on its own at its usual size, showing the long run.
struct Shown
{
    explicit Shown(const TrendHistory &run = longRun())
    {
        window.resize(1200, 800);
        window.showLog(run, QStringLiteral("long.txt"), 0);
        window.show();
        QApplication::processEvents();
        window.redraw();
    }

    TrendPlot *plot(const char *name) { return window.findChild<TrendPlot *>(name); }

    FakeMessageDialogs dialogs;
    ScriptedTrendFiles files;
    TrendWindow window{dialogs, files};
};

void send(TrendPlot *plot, QEvent::Type type, double x, Qt::MouseButton button, Qt::MouseButtons held,
          Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    const QPointF at(x, plot->plotArea().center().y());
    QMouseEvent event(type, at, plot->mapToGlobal(at), button, held, keys);
    QApplication::sendEvent(plot, &event);
}

void drag(TrendPlot *plot, double fromX, double toX, Qt::MouseButton button, Qt::KeyboardModifiers keys = {})
{
    send(plot, QEvent::MouseButtonPress, fromX, button, button, keys);
    send(plot, QEvent::MouseMove, (fromX + toX) / 2, Qt::NoButton, button, keys);
    send(plot, QEvent::MouseMove, toX, Qt::NoButton, button, keys);
    send(plot, QEvent::MouseButtonRelease, toX, button, Qt::NoButton, keys);
}

void wheel(TrendPlot *plot, double x, int notches)
{
    const QPointF at(x, plot->plotArea().center().y());
    QWheelEvent event(at, plot->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &event);
}

bool near(TrendRange a, TrendRange b)
{
    const double slack = 1e-6 * std::max(1.0, b.span());
    return std::abs(a.from - b.from) <= slack && std::abs(a.to - b.to) <= slack;
}

// The charts whose plot columns differ from the first chart's for the window's range; empty when aligned.
QString misaligned(Shown &shown)
{
    const TrendRange view = shown.window.visibleRange();
    QStringList out;
    const QList<TrendPlot *> plots = shown.window.findChildren<TrendPlot *>();
    const auto xOf = [&](TrendPlot *p, double x) { return p->mapTo(&shown.window, QPointF(p->pixelAt(x), 0)).x(); };
    for (TrendPlot *p : plots) {
        if (xOf(p, view.from) != xOf(plots[0], view.from) || xOf(p, view.to) != xOf(plots[0], view.to)
            || p->plotArea().width() != plots[0]->plotArea().width())
            out << p->objectName();
    }
    return out.join(QLatin1Char(' '));
}

// Gestures on a shown window's bounce chart, between its quarter (a) and its half (b).
enum class Gesture { Band, Click, NarrowestBand, WheelIn, RightDragLeft, ShiftDragBack, Plus, Home, Reset, WheelOut };

// Does the gesture; gives the range expected after it.
TrendRange act(Shown &shown, Gesture gesture, TrendRange before)
{
    TrendPlot *bounce = shown.plot("BounceChart");
    const TrendRange whole{0, 19999};
    const QRect area = bounce->plotArea();
    const double a = area.left() + area.width() * 0.25, b = area.left() + area.width() * 0.5;
    const double by = (b - a) / area.width() * before.span(), cursor = bounce->cursorAt();
    const TrendRange band{bounce->positionAt(a), bounce->positionAt(b)};
    const TrendRange narrowest{band.from, bounce->positionAt(a + 4)};   // four pixels
    switch (gesture) {
    case Gesture::Band: drag(bounce, a, b, Qt::LeftButton); return band;
    case Gesture::Click: drag(bounce, a, a + 3, Qt::LeftButton); return before;   // no band
    case Gesture::NarrowestBand:
        drag(bounce, a, a + 4, Qt::LeftButton);
        return clampedRange(narrowest, whole, TrendAxis::Cycles);
    case Gesture::WheelIn: wheel(bounce, a, 1); return zoomedAround(before, band.from, 0.8);   // at the pointer
    case Gesture::RightDragLeft: drag(bounce, b, a, Qt::RightButton); return {before.from + by, before.to + by};
    case Gesture::ShiftDragBack:
        drag(bounce, a, b, Qt::LeftButton, Qt::ShiftModifier);
        return {before.from - by, before.to - by};
    case Gesture::Plus:   // around the cursor the click left
        QTest::keyClick(bounce, Qt::Key_Plus);
        return zoomedAround(before, before.contains(cursor) ? cursor : std::nan(""), 0.5);
    case Gesture::Home: QTest::keyClick(bounce, Qt::Key_Home); return whole;
    case Gesture::Reset:
        drag(bounce, a, b, Qt::LeftButton);
        QTest::mouseClick(shown.window.findChild<QPushButton *>("ResetZoomButton"), Qt::LeftButton);
        return whole;
    case Gesture::WheelOut: wheel(bounce, a, -3); return whole;   // beyond the run
    }
    return before;
}

struct Rig : WindowRig
{
    Rig() { form->trend().setFileDialog(trendFiles); }

    TrendWindow &window() { return form->trend().window(); }
    QString axisTitle(const char *chart)
    {
        window().redraw();
        return window().findChild<TrendPlot *>(chart)->unitText();
    }
    void sample(int cycle, int mode = 0)
    {
        form->state() = ::sample(cycle, 12, mode, mode == 0 ? 1000 : 5000, 700, 1 | 16 | 64);   // up stroke not tested
        built->session.sampleRoute().sampleTaken(DecodedSample());
    }

    // A sample the data log takes: the state's counters, configuration and identity change, its session stays.
    void logged(int cycle)
    {
        const TesterState next = ::sample(cycle, 12, 0, 1000, 600 + cycle);
        TesterState &s = form->state();
        s.counters = next.counters;
        s.reported = next.reported;
        s.identity = next.identity;
        s.counters.updateTime = next.counters.updateTime.addSecs(cycle);
        s.counters.failCount = cycle / 7;
        s.counters.seqCount = cycle % 3;
        s.counters.minDownResistance = cycle;
        built->session.sampleRoute().sampleTaken(DecodedSample());
    }

    ScriptedTrendFiles trendFiles;
};

}   // namespace

class TrendWindowTest : public QObject
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

    // Cycles 10..30, 30 again (no reset), a reset, 5 and 15: the first sample's failures are not new, a rise after is.
    void failuresOpenReadingsAndCounterResets()
    {
        TrendHistory history;
        for (const TrendReading &r :
             {reading(10, Midnight, 1, 3), reading(20, Midnight + Second, 1, 4),
              reading(30, Midnight + 2 * Second, INFINITY, 4), reading(30, Midnight + 3 * Second, INFINITY, 4),
              reading(5, Midnight + 4 * Second, 1, 0), reading(15, Midnight + 5 * Second, 1, 2)})
            history.append(r);
        // An open reading is marked, never drawn as a number; the reset breaks the line.
        const TrendReduction r = reduceTrend(history, 1000);
        QCOMPARE(QStringLiteral("new %1, open %2, line %3, fails %4")
                     .arg(joined(r.failureAt), joined(r.openAt[TrendDown]), lineText(r.series[ContactDownSeries]),
                          lineText(r.series[FailureSeries])),
                 QStringLiteral("new 20 45, open 30, line 10:1 20:1 | 35:1 45:1, fails 10:3 20:4 30:4 | 35:0 45:2"));
    }

    // Zoomed in, 1000 columns draw every sample of the range, and a line running on beyond it reaches its edge.
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
            QCOMPARE(line.size(), points);
            if (*text)
                QCOMPARE(lineText(line), QString::fromLatin1(text));
            QVERIFY(r.series[FailureSeries].size() <= points);
            for (const QPointF &p : line)
                QVERIFY2(range.contains(p.x()), qPrintable(QString::number(p.x(), 'f')));
        }
        // A new failure every thousand cycles: one column each, counted.
        const TrendReduction whole = reduceTrend(h, TrendAxis::Cycles, {0, 999999}, 100);
        QCOMPARE(whole.failureAt.size(), 100);
        QCOMPARE(whole.failureCount.first(), 9);
        QCOMPARE(whole.failureAt.first(), 1000.0);
    }

    // A long pause, a new recording in the log and a counter reset break the line; the first two begin a session.
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

    // A limit line, a night between two stretches, damaged cycle counts and any position land in the columns.
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

        // The failures' cycles, pixels per cycle, crowded: marks usually a few pixels apart become ticks.
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
        const auto nearest = [&h](TrendAxis axis, const QList<double> &positions) {
            QStringList found;
            for (const double x : positions) {
                const size_t i = h.nearest(axis, x);
                found << (i == TrendHistory::NoSample ? QStringLiteral("none") : QString::number(i));
            }
            return found.join(u' ');
        };
        QCOMPARE(nearest(TrendAxis::Cycles, {5}), QStringLiteral("none"));
        h.append(reading(7, Midnight, 1));
        QCOMPARE(nearest(TrendAxis::Cycles, {5}), QStringLiteral("0"));
        h.clear();
        for (int i = 0; i < 3000; ++i)   // cycles 10, 20, ...; every third time unknown
            h.append(reading(10 * (i + 1), i % 3 == 2 ? TrendUnknownTime : Midnight + i * Second, 1));
        // 10241 and 10246: the last of a stretch and the first of the next; sample 2 has no time: 1 or 3
        QCOMPARE(nearest(TrendAxis::Cycles, {-1e9, 10, 14, 16, 10241, 10246, 30000, 1e12, std::nan("")}),
                 QStringLiteral("0 0 0 1 1023 1024 2999 2999 none"));
        const double midnight = double(Midnight);
        QCOMPARE(nearest(TrendAxis::Time, {midnight - 3600 * Second, midnight + 2 * Second, midnight + 1e9}),
                 QStringLiteral("0 1 2998"));
    }

    void zoomStaysWithinTheRun()
    {
        const auto shown = [](const QList<TrendRange> &wanted) {
            QStringList out;
            for (const TrendRange &range : wanted) {
                const TrendRange r = clampedRange(range, {0, 100}, TrendAxis::Cycles);
                out << QStringLiteral("%1..%2").arg(r.from).arg(r.to);
            }
            return out.join(u' ');
        };
        // Zoomed around the pointer its cycle stays put; no narrower than a few cycles.
        QCOMPARE(shown({zoomedAround({0, 100}, 25, 0.5), {90, 110}, {-30, 10}, {50, 50.5}, {-10, 200}, {NAN, 3}}),
                 QStringLiteral("12.5..62.5 80..100 0..40 48.25..52.25 0..100 0..100"));
        TrendHistory one;
        one.append(reading(7, Midnight, 1));
        QVERIFY(wholeRun(one, TrendAxis::Cycles) == (TrendRange{6, 8}));
        QVERIFY(wholeRun(TrendHistory(), TrendAxis::Time) == (TrendRange{0, 1}));
    }

    // The wall clock counts like Qt's UTC time, so ticks and readout show the data log's date and time.
    void wallClockOfTheDataLog()
    {
        // year, month, day, hour, minute, second: the dates and times Qt knows are the ones that exist
        const int cases[][6] = {
            {1970, 1, 1, 0, 0, 0},    {1969, 12, 31, 23, 59, 59}, {2000, 2, 29, 12, 0, 0},  {2000, 3, 1, 0, 0, 0},
            {2004, 12, 31, 23, 0, 0}, {2026, 12, 6, 11, 30, 5},   {2100, 2, 28, 1, 2, 3},   {1600, 3, 1, 0, 0, 0},
            {2026, 2, 29, 0, 0, 0},   {2100, 2, 29, 0, 0, 0},     {2026, 13, 1, 0, 0, 0},   {2026, 0, 1, 0, 0, 0},
            {2026, 4, 31, 0, 0, 0},   {2026, 4, 30, 24, 0, 0},    {2026, 4, 30, 23, 60, 0}, {2026, 4, 30, 23, 0, 60},
        };
        for (const auto &c : cases) {
            const QDate date(c[0], c[1], c[2]);
            const QTime time(c[3], c[4], c[5]);
            const bool exists = date.isValid() && time.isValid();
            const int64_t expected = exists ? QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch() : TrendUnknownTime;
            QCOMPARE(trendWallClockMs(c[0], c[1], c[2], c[3], c[4], c[5]), expected);
        }
    }

    void logPlotsWhatTheLiveRunShowed()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("run.txt")), mixedLog()));
        TrendHistory live, fromLog;
        for (const TesterState &s : mixedSamples)
            live.append(trendReadingFromState(s));
        QCOMPARE(readTrendLog(dir.filePath(QStringLiteral("run.txt")), fromLog).samples, 7);
        // The second header begins a new session.
        QCOMPARE(samplesText(fromLog, 'g', 3),
                 QStringLiteral("1001 7 2026-12-06 11:30:05 11.9/2.17e+03 0.0016/0.0004 0.045/0.052\n"
                                "1002 7 2026-12-06 11:30:05 11.9/2.17e+03 nan/nan 0.045/0.052\n"
                                "| 1003 7 2026-12-06 11:30:05 11.9/inf 0.0016/0.0004 0.045/0.052\n"
                                "1004 7 2026-12-06 11:30:05 0.587/50 0.0016/0.0004 0.045/0.052\n"
                                "1005 7 2026-12-06 11:30:05 0.059/2.5 0.0016/0.0004 0.045/0.052\n"
                                "1006 7 2026-12-06 11:30:05 nan/nan 0.0016/0.0004 0.045/0.052\n"
                                "1007 7 2026-12-06 11:30:05 11.9/nan nan/nan 0.045/nan"));
        QCOMPARE(samplesText(live, 'f', 1), samplesText(fromLog, 'f', 1).remove(QStringLiteral("| ")));
        QCOMPARE(limitsText(fromLog), limitsText(live));
    }

    // One column of a good sample line replaced: counts never negative, numbers of any length read without overflow.
    void logLineValues_data()
    {
        addColumns<int, QString, bool>("column", "text", "sample");

        addRow("negative cycle count", 1, "-2000", false);
        addRow("negative fail count", 2, "-1", false);
        addRow("negative sequential count", 3, "-1", false);
        addRow("cycle count beyond 32 bits", 1, "2147483648", false);
        addRow("cycle count of twenty digits", 1, "12345678901234567890", false);
        addRow("limit at the 32-bit minimum", 19, "-2147483648", true);
        addRow("limit below the 32-bit minimum", 19, "-2147483649", false);
        addRow("reading of sixteen decimals", 10, "0.1234567890123456", true);
        addRow("reading of nineteen digits and decimals", 10, "-9223372036854775808.25", true);
    }

    void logLineValues()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QList<QByteArray> fields = sampleLogLine(sample(1001, 12, 1, 500)).toLatin1().split(',');
        fields[column] = text.toLatin1();
        const QByteArray line = fields.join(',');
        TrendReading read;
        QTEST(parseTrendLine(line.constData(), line.constData() + line.size(), read), "sample");
        if (column == 10)
            QCOMPARE(read.contact[TrendDown], text.toFloat());
    }

    // The live run is kept with the window closed; limits and units follow a new mode; strokes not tested not drawn.
    void liveRunInTheWindow()
    {
        Rig rig;
        for (int cycle = 1; cycle <= 3; ++cycle)
            rig.sample(cycle);
        QVERIFY(!rig.window().isVisible());
        QAction *trend = rig.action("ViewTrendMenu");
        QCOMPARE(trend->text(), QStringLiteral("&Trend..."));
        QCOMPARE(trend->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
        trend->trigger();
        QVERIFY(rig.window().isVisible() && !rig.window().isModal());
        QCOMPARE(rig.axisTitle("DownContactChart"), QStringLiteral("ohms"));

        for (int cycle = 4; cycle <= 6; ++cycle)
            rig.sample(cycle, 2);
        QVERIFY(shownAs(rig.window()).contains(QStringLiteral(": 6 samples | none skipped | live | open")));
        QCOMPARE(rig.axisTitle("UpContactChart") + "; " + rig.axisTitle("BounceChart"),
                 QStringLiteral("ohms, then volts; seconds"));
        const TrendReduction r = reduceTrend(rig.built->session.trendHistory(), 600);
        const QList<QPointF> &max = r.limits[MaxContactDownLimit];
        QCOMPARE(lineText(max), QStringLiteral("1:19.9402 4:19.9402 4:0.0977517 6:0.0977517"));   // ohms, then volts
        QVERIFY(r.limits[MinContactUpLimit].isEmpty());
        rig.window().readOut(4, "DownContactChart");   // the first sample in volts
        QCOMPARE(
            rig.window().readoutText(),
            QStringLiteral("Cycle 4, 12/06/2026 11:30:05: down contact 0.058651 volts; 7 failures, no new failure"));
        // As many columns as limit segments: still steps.
        QCOMPARE(reduceTrend(rig.built->session.trendHistory(), 2).limits[MaxContactDownLimit], max);
        // Asked for again, the live run keeps its zoom.
        rig.window().zoomTo({2, 6});
        trend->trigger();
        QVERIFY(rig.window().zoomed());

        QTemporaryDir dir;
        rig.trendFiles.image = dir.filePath(QStringLiteral("trend"));
        QTest::mouseClick(rig.window().findChild<QWidget *>("SaveImageButton"), Qt::LeftButton);
        QVERIFY(QImage(dir.filePath(QStringLiteral("trend.png")), "PNG").width() > 300);
        QVERIFY(rig.dialogs.calls.isEmpty());
        rig.trendFiles.image = dir.filePath(QStringLiteral("no/such/folder/trend.png"));
        rig.window().saveImageChosen();
        QCOMPARE(rig.dialogs.calls, QStringList{QStringLiteral("error:File Error|Error Writing File")});
    }

    void plottedLogShowsItsSkippedLines()
    {
        Rig rig;
        rig.sample(1);
        QTemporaryDir dir;
        rig.trendFiles.log = dir.filePath(QStringLiteral("station2.txt"));
        QVERIFY(writeFile(rig.trendFiles.log, mixedLog()));
        QCOMPARE(rig.action("FilePlotMenu")->text(), QStringLiteral("P&lot Data Log..."));
        QVERIFY(rig.form->trend().plotLog(rig.trendFiles.log));
        const QString plottedLog =
            QStringLiteral("Trend - station2.txt | Data log station2.txt: 7 samples | 4 lines skipped | log | open");
        QCOMPARE(shownAs(rig.window()), plottedLog);
        // Live samples go on into the live run; it comes up in a window of its own, the plotted log stays in its own.
        rig.sample(2);
        QCOMPARE(shownAs(rig.window()), plottedLog);
        TrendWindow *plotted = &rig.window();
        QTest::mouseClick(plotted->findChild<QWidget *>("LiveButton"), Qt::LeftButton);
        QCOMPARE(shownAs(rig.window()),
                 QStringLiteral(
                     "Trend - Live Run | Live run since the program started: 2 samples | none skipped | live | open"));
        QCOMPARE(shownAs(*plotted), plottedLog);
        QCOMPARE(rig.form->trend().plotWindow(), plotted);
    }

    // What cannot be plotted is named, with the reason, and opens no window.
    void plotNamesTheFileAndTheReason_data()
    {
        // path: "DIR/": in a fresh folder
        addColumns<QString, QString>("path", "reason");

        addRow("missing", "DIR/run.txt", "there is no such file");
        addRow("folder", "DIR/", "it is a folder, not a file");
        addRow("no permission", "DIR/locked.txt", "it cannot be opened (Permission denied)");
#ifdef Q_OS_LINUX
        // A file that opens but cannot be read: Windows has none at hand.
        addRow("read fails", "/proc/self/mem", "reading it failed (Input/output error)");
#endif
    }

    void plotNamesTheFileAndTheReason()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        path.replace(QStringLiteral("DIR/"), dir.path() + QLatin1Char('/'));
        if (path.endsWith(QLatin1String("locked.txt"))) {
            QVERIFY(writeFile(path, mixedLog()));
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
            if (QFile(path).open(QIODevice::ReadOnly))
                QSKIP("this user reads files without read permission (root)");
        }
        Rig rig;
        QVERIFY(!rig.form->trend().plotLog(path));
        QFETCH(QString, reason);
        QCOMPARE(
            rig.dialogs.calls,
            QStringList{
                QStringLiteral("error:File Error|Cannot plot %1: %2.").arg(QDir::toNativeSeparators(path), reason)});
        QVERIFY(!rig.window().isVisible());
    }

    // Each gesture moves the one range every chart shows, and the charts stay aligned.
    void zoomAndPanMoveEveryChart()
    {
        Shown shown;
        TrendWindow &window = shown.window;
        auto *reset = window.findChild<QPushButton *>("ResetZoomButton");
        const TrendRange whole{0, 19999};
        for (const Gesture gesture :
             {Gesture::Band, Gesture::Click, Gesture::NarrowestBand, Gesture::WheelIn, Gesture::RightDragLeft,
              Gesture::ShiftDragBack, Gesture::Plus, Gesture::Home, Gesture::Reset, Gesture::WheelOut}) {
            const TrendRange expected = act(shown, gesture, window.visibleRange());
            const TrendRange view = window.visibleRange();
            const QString what = QStringLiteral("gesture %1: %2..%3").arg(int(gesture)).arg(view.from).arg(view.to);
            QVERIFY2(near(view, expected), qPrintable(what));
            QCOMPARE(window.zoomed(), !near(view, whole));
            QCOMPARE(reset->isEnabled(), window.zoomed());
            QVERIFY2(misaligned(shown).isEmpty(), qPrintable(what));
        }

        // Zoomed into a few cycles, the count axis ticks whole numbers.
        window.zoomTo({1000, 1006});
        for (const TrendTick &tick : shown.plot("FailureChart")->valueTicks())
            QVERIFY2(!tick.label.contains(QLatin1Char('.')), qPrintable(tick.label));
    }

    // The readout names the nearest sample, a cursor runs through every chart; screen readers get both as text.
    void readoutFollowsThePointer()
    {
        Shown shown;
        TrendPlot *down = shown.plot("DownContactChart");
        send(down, QEvent::MouseMove, down->pixelAt(12345), Qt::NoButton, Qt::NoButton);
        QCOMPARE(
            shown.window.readoutText(),
            QStringLiteral("Cycle 12345, 12/06/2026 11:25:45: down contact 6.5 ohms; 24 failures, no new failure"));
        shown.window.pointAt(12500, shown.plot("FailureChart")->plan());
        QCOMPARE(shown.window.readoutText(),
                 QStringLiteral("Cycle 12500, 12/06/2026 11:28:20: 25 failures, a new failure with this sample"));

        // After a drag-zoom the readout is on the sample under the pointer, not on the drag's start.
        send(down, QEvent::MouseMove, down->pixelAt(14000), Qt::NoButton, Qt::NoButton);
        const double releasedAt = down->pixelAt(12000);
        drag(down, down->pixelAt(14000), releasedAt, Qt::LeftButton);
        QVERIFY(shown.window.zoomed());
        QCOMPARE(down->cursorAt(), std::round(down->positionAt(releasedAt)));
        QVERIFY(shown.window.visibleRange().contains(down->cursorAt()) && down->cursorAt() != 14000);
        shown.window.resetZoom();

        auto *readout = shown.window.findChild<QLineEdit *>("Readout");
        QVERIFY(readout->isReadOnly() && readout->text() == shown.window.readoutText());
        const QList<QLabel *> labels = shown.window.findChildren<QLabel *>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel *l) { return l->buddy() == readout; }));
        QCOMPARE(down->accessibleName(), QStringLiteral("Down stroke: last contact reading"));
        const QList<TrendTick> ticks = down->valueTicks();   // the readings' range, 2 to 6.9
        QVERIFY(!ticks.isEmpty() && ticks.first().value <= 2 && ticks.last().value >= 6);
        QCOMPARE(down->accessibleDescription(),
                 QStringLiteral("cycles 0 to 19999, the whole run: down contact 2 to 6.9 ohms; 39 new failures; "
                                "1 session start"));
        shown.window.zoomTo({1000, 1600});
        QCOMPARE(
            down->accessibleDescription(),
            QStringLiteral("cycles 1000 to 1600, zoomed into a run from 0 to 19999: down contact 2 to 6.9 ohms; 2 new "
                           "failures"));
    }

    // Arrow keys step a pixel column or one sample; N, P and the buttons go to a new failure; the view follows.
    void cursorSteps_data()
    {
        // sparse: the run of three failures, else the long run; from < 0: the whole run; cursor < 0: none;
        // press: a key or a button's caption; lands < 0: a pixel column on; viewFrom < 0: the view stays
        addColumns<bool, int, int, int, QString, int, int, bool, bool>("sparse", "from", "to", "cursor", "press",
                                                                       "lands", "viewFrom", "nextOn", "previousOn");

        addRow("whole run, right", false, -1, 0, 12500, "Right", -1, -1, true, true);
        addRow("no cursor: from the view's middle", false, 12000, 12100, -1, "Right", 12050, -1, true, true);
        addRow("zoomed in, right: one sample", false, 12000, 12100, 12050, "Right", 12051, -1, true, true);
        addRow("zoomed in, left: one sample", false, 12000, 12100, 12050, "Left", 12049, -1, true, true);
        addRow("past the right edge the view follows", false, 12000, 12100, 12100, "Right", 12101, 12051, true, true);
        addRow("past the left edge the view follows", false, 12000, 12100, 12000, "Left", 11999, 11949, true, true);
        addRow("at the run's end it stays", false, 19900, 19999, 19999, "Right", 19999, -1, false, true);
        addRow("N without a cursor: the run's first", true, -1, 0, -1, "N", 10, -1, true, false);
        addRow("P without a cursor: the run's last", true, -1, 0, -1, "P", 49990, -1, false, true);
        addRow("the Next Failure button", true, 100, 200, 150, "Next Failure", 30000, 29950, true, true);
        addRow("the Previous Failure button", true, 40000, 40100, 40050, "Previous Failure", 30000, 29950, true, true);
        addRow("near the run's end the view stays within it", true, 30000, 30100, 30050, "N", 49990, 49899, false,
               true);
        addRow("on screen the view stays", true, 0, 40000, 20, "N", 30000, -1, true, true);
        addRow("none after the last: nothing moves", true, 49950, 49999, 49995, "N", 49995, -1, false, true);
    }

    void cursorSteps()
    {
        QFETCH(bool, sparse);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, cursor);
        QFETCH(QString, press);
        QFETCH(int, lands);
        QFETCH(int, viewFrom);
        Shown shown(sparse ? sparseFailures() : longRun());
        TrendPlot *down = shown.plot("DownContactChart");
        if (from >= 0)
            shown.window.zoomTo({double(from), double(to)});
        const TrendRange before = shown.window.visibleRange();
        if (cursor >= 0)
            shown.window.pointAt(size_t(cursor), down->plan());
        const QList<QPushButton *> buttons = shown.window.findChildren<QPushButton *>();
        const auto captioned =
            std::find_if(buttons.begin(), buttons.end(), [&](QPushButton *b) { return b->text() == press; });
        if (captioned == buttons.end()) {
            QTest::keyClick(down, QKeySequence(press)[0].key());
        } else {
            QVERIFY((*captioned)->isEnabled());
            QTest::mouseClick(*captioned, Qt::LeftButton);
        }
        const bool arrow = press == QLatin1String("Right") || press == QLatin1String("Left");
        const double moved = down->cursorAt() - cursor;
        if (lands < 0) {
            const double column = before.span() / down->plotArea().width() * (press == QLatin1String("Left") ? -1 : 1);
            QVERIFY2(std::abs(moved - column) <= 0.5 && std::abs(moved) >= 1,
                     qPrintable(QStringLiteral("%1 for a column of %2").arg(moved).arg(column)));
        } else {
            QCOMPARE(down->cursorAt(), double(lands));
        }
        const QString readout = shown.window.readoutText();
        QVERIFY2(readout.startsWith(QStringLiteral("Cycle %1,").arg(down->cursorAt())), qPrintable(readout));
        QVERIFY(arrow || moved == 0 || readout.endsWith(QStringLiteral("a new failure with this sample")));
        const TrendRange view = shown.window.visibleRange();
        QVERIFY(near(view, viewFrom < 0 ? before : TrendRange{double(viewFrom), viewFrom + before.span()}));
        QVERIFY(view.contains(down->cursorAt()));
        QTEST(shown.window.findChild<QPushButton *>("NextFailureButton")->isEnabled(), "nextOn");
        QTEST(shown.window.findChild<QPushButton *>("PreviousFailureButton")->isEnabled(), "previousOn");
    }

    // The shown range's new failures, with a full stop under the German locale the tests run in.
    void rangeReadoutCountsTheShownFailures_data()
    {
        // from < 0: the whole run
        addColumns<TrendAxis, double, double, QString>("axis", "from", "to", "text");

        addRow("whole run", TrendAxis::Cycles, -1.0, 0.0,
               "First failure after 500 cycles; 39 new failures in 19999 cycles, 19.50 per 10,000 cycles");
        addRow("two failures, the first on the range's first sample", TrendAxis::Cycles, 1000.0, 1600.0,
               "First failure after 0 cycles; 2 new failures in 600 cycles, 33.33 per 10,000 cycles");
        addRow("the same samples along the time", TrendAxis::Time, 1000.0, 1600.0,
               "First failure after 0 cycles; 2 new failures in 600 cycles, 33.33 per 10,000 cycles");
        addRow("none", TrendAxis::Cycles, 1001.0, 1499.0,
               "No new failure; 0 new failures in 498 cycles, 0.00 per 10,000 cycles");
        addRow("the narrowest zoom", TrendAxis::Cycles, 1498.0, 1502.0,
               "First failure after 2 cycles; 1 new failure in 4 cycles, 2500.00 per 10,000 cycles");
    }

    void rangeReadoutCountsTheShownFailures()
    {
        QFETCH(TrendAxis, axis);
        QFETCH(double, from);
        QFETCH(double, to);
        Shown shown;
        shown.window.setAxis(axis);
        if (from >= 0) {
            shown.window.zoomTo(axis == TrendAxis::Cycles ? TrendRange{from, to}
                                                          : TrendRange{Eight + from * 1000, Eight + to * 1000});
        }
        QTEST(shown.window.rangeText(), "text");
        auto *field = shown.window.findChild<QLineEdit *>("RangeReadout");
        QVERIFY(field->isReadOnly() && field->text() == shown.window.rangeText());
        QCOMPARE(field->accessibleName(), QStringLiteral("Shown range"));
        QCOMPARE(field->accessibleDescription(), field->toolTip());
    }

    // Export Range writes the live data log's lines byte for byte, live or plotted; a log that lost lines is refused.
    void exportRangeWritesTheDataLogsLines()
    {
        Rig rig;
        QTemporaryDir dir;
        QString logPath = dir.filePath(QStringLiteral("live.txt"));
        QVERIFY(rig.built->session.dataLog().openFile(logPath));
        // More than two blocks of the lines the live run keeps compressed.
        for (int cycle = 1; cycle <= 2100; ++cycle)
            rig.logged(cycle);
        const QList<QByteArray> logLines = readFile(logPath).split('\n');
        QCOMPARE(logLines.size(), 2102);   // the header, the samples of cycles 1 to 2100 and the empty end
        const QByteArray expected = logLines[0] + '\n' + logLines.mid(1000, 101).join('\n') + '\n';
        const auto exported = [&](const char *name) { return readFile(dir.filePath(QLatin1String(name))); };
        auto *button = rig.window().findChild<QPushButton *>("ExportRangeButton");
        QCOMPARE(button->text(), QStringLiteral("Export Range..."));
        QCOMPARE(button->accessibleDescription(), button->toolTip());

        rig.action("ViewTrendMenu")->trigger();
        rig.window().zoomTo({1000, 1100});
        rig.trendFiles.range = dir.filePath(QStringLiteral("live range"));   // .txt is added
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(exported("live range.txt"), expected);

        rig.trendFiles.log = logPath;
        rig.action("FilePlotMenu")->trigger();
        rig.window().zoomTo({1000, 1100});
        rig.trendFiles.range = dir.filePath(QStringLiteral("plotted.txt"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(exported("plotted.txt"), expected);

        QVERIFY(writeFile(logPath, logLines.mid(0, 15).join('\n')));
        QVERIFY(!rig.window().exportRange(dir.filePath(QStringLiteral("shrunk.txt"))));
        QCOMPARE(rig.dialogs.calls,
                 QStringList{QStringLiteral("error:File Error|The range cannot be exported: %1 has changed since it "
                                            "was plotted.")
                                 .arg(QDir::toNativeSeparators(logPath))});
        QCOMPARE(exported("shrunk.txt"), QByteArray("missing"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("shrunk.txt.part"))));
    }

    void timeAxisAndClosing()
    {
        Shown shown;
        TrendWindow &window = shown.window;
        window.zoomTo({5000, 6000});
        QTest::mouseClick(window.findChild<QRadioButton *>("TimeAxisButton"), Qt::LeftButton);
        // The same samples stay in view.
        QVERIFY(near(window.visibleRange(), {Eight + 5000e3, Eight + 6000e3}));
        QVERIFY(shown.plot("StrokeTimeChart")
                    ->accessibleDescription()
                    .startsWith(QStringLiteral("from 12/06/2026 09:23:20 to 12/06/2026 09:40:00, zoomed")));
        QTest::mouseClick(window.findChild<QRadioButton *>("CyclesAxisButton"), Qt::LeftButton);
        QVERIFY(window.axis() == TrendAxis::Cycles && near(window.visibleRange(), {5000, 6000}));
        for (const char *button : {"TimeAxisButton", "CyclesAxisButton"}) {   // as the buttons show
            window.setAxis(*button == 'T' ? TrendAxis::Time : TrendAxis::Cycles);
            QVERIFY(window.findChild<QRadioButton *>(button)->isChecked());
        }

        QTest::keyClick(shown.plot("BounceChart"), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        window.show();
        QTest::mouseClick(window.findChild<QPushButton *>("CloseButton"), Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }

    // Drawn, the cursor line and each new failure's line run through every chart at the sample's x.
    void cursorAndFailuresCrossEveryChart()
    {
        Shown shown;
        TrendPlot *failures = shown.plot("FailureChart");
        shown.window.pointAt(12345, failures->plan());
        QWidget *area = shown.window.chartsArea();
        const QImage image = area->grab().toImage();
        const auto colourAt = [&](TrendPlot *plot, double cycle, int y, bool red) {
            const QPoint at = plot->mapTo(area, QPoint(int(plot->pixelAt(cycle)), y));
            for (int dx = -1; dx <= 1; ++dx) {
                const QColor c = image.pixelColor(at.x() + dx, at.y());
                if (red ? c.red() > c.green() + 60 : c == Qt::black)
                    return true;
            }
            return false;
        };
        QVERIFY(!failures->failuresAsTicks());
        for (TrendPlot *plot : shown.window.findChildren<TrendPlot *>()) {
            const QRect plotArea = plot->plotArea();
            QVERIFY2(colourAt(plot, 12345, plotArea.center().y(), false), qPrintable(plot->objectName()));
            QVERIFY2(colourAt(plot, 12500, plotArea.top() + 3, true), qPrintable(plot->objectName()));
            QVERIFY(!colourAt(plot, 12250, plotArea.top() + 3, true));
        }
    }
};

QTEST_MAIN(TrendWindowTest)
#include "TrendWindowTest.moc"

// The Trend window: a saved data log plots what the live run showed, and the window follows the live run.

#include "features/trend/TrendWindow.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/DecodedSample.h"
#include "engine/trend/TrendLogReader.h"
#include "engine/trend/TrendReduction.h"
#include "engine/trend/TrendZoom.h"
#include "features/trend/TrendController.h"
#include "features/trend/TrendPlot.h"
#include "support/TestKit.h"
#include "support/WindowRig.h"
#include "ui/TrendFileDialog.h"

#include <QtWidgets>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

constexpr int AllTested = 1 | 16 | 32 | 64 | 128;

// A sample of a tester in the middle of a run.
TesterState sample(int cycle, int software, int mode, int range, int upCount = 700, int contact = AllTested)
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

// Software 1.2 and 1.1 (no last bounce), an open contact written as a
// number, current, voltage, a range not received ("???" and "-----"), the up
// stroke and the down bounce not tested; in the log between them four lines
// to skip (garbage, a short line, a bad number, a last line cut short) and
// three to pass over (a blank line, a foreign line end, a second header).
const QList<TesterState> mixedSamples = {sample(1001, 12, 0, 1000),
                                         sample(1002, 11, 0, 1000),
                                         sample(1003, 12, 0, 1000, 1023),
                                         sample(1004, 12, 1, 500, 1023),
                                         sample(1005, 12, 2, 5000, 511),
                                         sample(1006, 12, 0, 0),
                                         sample(1007, 12, 0, 1000, 700, 1 | 16)};

QByteArray mixedLog()
{
    const QList<TesterState> &states = mixedSamples;
    const QByteArray header = QByteArray(DataLogHeader) + "\r\n", good = logLine(states[0]);
    QByteArray body = header + good + "%%garbage%% \x01\x02,,,\r\n\r\n" + logLine(states[1]).replace("\r\n", "\n");
    body += QByteArray(good).replace(",41800123", "") + QByteArray(good).replace(",1001,", ",10x1,") + header;
    for (qsizetype i = 2; i < states.size(); ++i)
        body += logLine(states[i]);
    return body + good.left(good.size() / 2);
}

bool writeFile(const QString &path, const QByteArray &body)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(body) == body.size();
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

bool same(const float (&fromLog)[2], const float (&live)[2])
{
    return same(fromLog[TrendDown], live[TrendDown]) && same(fromLog[TrendUp], live[TrendUp]);
}

class ScriptedTrendFiles : public TrendFileDialog
{
public:
    QString logToPlot(QWidget *) override { return log; }
    QString imageToSave(QWidget *) override { return image; }
    QString rangeToExport(QWidget *) override { return range; }
    QString log, image, range;
};

// Samples a second apart from 08:00, one a cycle, the down contact reading
// 2 to 6.9 ohms; the fail count of cycle i is failures(i).
TrendHistory secondsApart(int samples, int contactCode, int (*failures)(int), int sessionFrom = -1)
{
    TrendHistory h;
    TrendReading r;
    r.limits.contactCode = contactCode;
    r.limits.mode = 0;
    const int64_t eight = trendWallClockMs(QDate(2026, 12, 6), QTime(8, 0));
    for (int i = 0; i < samples; ++i) {
        if (i == sessionFrom)
            h.startSession();
        r.timeMs = eight + i * 1000;
        r.cycleCount = i;
        r.failCount = failures(i);
        r.contact[TrendDown] = 2 + float(i % 50) / 10;
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

// Fifty thousand samples, new failures only at cycles 10, 30000 and 49990:
// far apart at any zoom that shows one of them.
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

// Every chart shows the window's range in the same plot columns: one cycle,
// one x. Empty when they do; what differs otherwise.
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

// Does the gesture; gives the range expected after it, from the range before it.
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
    QLabel *label(const char *name) { return window().findChild<QLabel *>(name); }
    QString axisTitle(const char *chart)
    {
        window().redraw();
        return window().findChild<TrendPlot *>(chart)->unitText();
    }
    // A decoded sample, as the poll cycle hands it over.
    void sample(int cycle, int mode = 0)
    {
        form->state() = ::sample(cycle, 12, mode, mode == 0 ? 1000 : 5000, 700, 1 | 16 | 64);   // up stroke not tested
        built->session.sampleRoute().sampleTaken(DecodedSample());
    }

    // A sample the data log takes, as the poll cycle hands it over: the
    // state's counters, configuration and identity change, its session stays.
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
    void logPlotsWhatTheLiveRunShowed()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("run.txt")), mixedLog()));
        const QList<TesterState> &states = mixedSamples;
        TrendHistory live, fromLog;
        for (const TesterState &s : states)
            live.append(trendReadingFromState(s));
        QCOMPARE(readTrendLog(dir.filePath(QStringLiteral("run.txt")), fromLog).samples, 7);
        // Whether the log opened and how many lines it skipped: plottedLogShowsItsSkippedLines.
        for (qsizetype i = 0; i < states.size(); ++i) {
            const TesterState &s = states[i];
            const TrendSample &a = fromLog.at(size_t(i)), &b = live.at(size_t(i));
            QCOMPARE(a.cycle, 1001 + i);
            QCOMPARE(a.failCount, 7);
            QVERIFY2(same(a.contact, b.contact) && same(a.bounce, b.bounce) && same(a.strokeTime, b.strokeTime),
                     qPrintable(QString::number(i)));
            // The cases the charts must tell apart.
            QCOMPARE(std::isnan(a.bounce[TrendDown]), s.identity.softwareVersion < 12 || !(s.reported.contact & 64));
            QCOMPARE(std::isinf(a.contact[TrendUp]), s.counters.lastUpResistance == 1023 && s.reported.rangeMode == 0
                                                         && s.reported.rangePullUp > 0 && (s.reported.contact & 32));
            QCOMPARE(std::isnan(a.contact[TrendDown]), s.reported.rangePullUp == 0);
            QCOMPARE(std::isnan(a.strokeTime[TrendUp]), !(s.reported.contact & 32));
            QCOMPARE(a.timeMs, b.timeMs);
            // The second header begins a new session.
            QCOMPARE(fromLog.joinBefore(size_t(i), fromLog.gapMs()) == TrendJoin::NewSession, i == 2);
        }
        QCOMPARE(fromLog.segments().size(), live.segments().size());
        for (size_t k = 0; k < live.segments().size(); ++k) {
            const TrendLimits &la = fromLog.segments()[k].limits, &lb = live.segments()[k].limits;
            QCOMPARE(la.mode, lb.mode);
            QVERIFY(same(la.minContact, lb.minContact) && same(la.maxContact, lb.maxContact));
            QVERIFY(same(la.maxBounce, lb.maxBounce) && same(la.minTime, lb.minTime) && same(la.maxTime, lb.maxTime));
        }
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
        addRow("reading of twenty digits", 10, "12345678901234567890.5", true);
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

    // The live run is kept whether the window is open or not; limits and units
    // follow a new configuration in another mode; strokes not tested are not drawn.
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
        QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("6 samples")));
        QCOMPARE(rig.axisTitle("UpContactChart"), QStringLiteral("ohms, then volts"));
        QCOMPARE(rig.axisTitle("BounceChart"), QStringLiteral("seconds"));
        const TrendReduction r = reduceTrend(rig.built->session.trendHistory(), 600);
        const QList<QPointF> &max = r.limits[MaxContactDownLimit];
        QCOMPARE(max.size(), 4);
        QCOMPARE(max[0].x(), 1.0);
        QCOMPARE(max[1], QPointF(4, float(1000.0 * 20 / 1003)));   // ohms up to the change
        QCOMPARE(max[2], QPointF(4, float(20.0 / 1023 * 5)));      // volts after it
        QCOMPARE(max[3].x(), 6.0);
        QVERIFY(r.series[ContactUpSeries].isEmpty() && r.limits[MinContactUpLimit].isEmpty());
        QVERIFY(r.series[BounceUpSeries].isEmpty());
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
        QCOMPARE(rig.dialogs.count(QStringLiteral("error:File Error")), 1);
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
        QVERIFY(rig.window().isVisible() && !rig.window().showingLive());
        QCOMPARE(rig.window().windowTitle(), QStringLiteral("Trend - station2.txt"));
        QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("7 samples")));
        QVERIFY(rig.label("SkippedLabel")->isVisible());
        QCOMPARE(rig.label("SkippedLabel")->text(), QStringLiteral("4 lines skipped"));

        // Live samples go on into the live run, not into the plotted log.
        rig.sample(2);
        QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("7 samples")));
        // The live run comes up in a window of its own: the plotted log stays drawn in its own.
        TrendWindow *plotted = &rig.window();
        QTest::mouseClick(plotted->findChild<QWidget *>("LiveButton"), Qt::LeftButton);
        QVERIFY(rig.window().showingLive() && &rig.window() != plotted);
        QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("2 samples")));
        QVERIFY(!rig.label("SkippedLabel")->isVisible());
        QVERIFY(plotted->isVisible() && !plotted->showingLive());
        QCOMPARE(plotted->windowTitle(), QStringLiteral("Trend - station2.txt"));
        QVERIFY(plotted->findChild<QLabel *>("SourceLabel")->text().endsWith(QStringLiteral("7 samples")));
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
        QVERIFY(near(window.visibleRange(), whole) && !window.zoomed() && !reset->isEnabled());
        QCOMPARE(misaligned(shown), QString());

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

    // The readout names the nearest sample, a cursor line runs through every
    // chart, the arrow keys move it; screen readers get the readout as text and
    // each chart's name and range.
    void readoutFollowsThePointer()
    {
        Shown shown;
        TrendPlot *down = shown.plot("DownContactChart");
        send(down, QEvent::MouseMove, down->pixelAt(12345), Qt::NoButton, Qt::NoButton);
        QCOMPARE(
            shown.window.readoutText(),
            QStringLiteral("Cycle 12345, 12/06/2026 11:25:45: down contact 6.5 ohms; 24 failures, no new failure"));
        for (TrendPlot *plot : shown.window.findChildren<TrendPlot *>())
            QCOMPARE(plot->cursorAt(), 12345.0);
        shown.window.pointAt(12500, shown.plot("FailureChart")->plan());
        QCOMPARE(shown.window.readoutText(),
                 QStringLiteral("Cycle 12500, 12/06/2026 11:28:20: 25 failures, a new failure with this sample"));

        // After a drag-zoom the readout is on the sample under the pointer, not on the drag's start.
        send(down, QEvent::MouseMove, down->pixelAt(14000), Qt::NoButton, Qt::NoButton);
        const double releasedAt = down->pixelAt(12000);
        drag(down, down->pixelAt(14000), releasedAt, Qt::LeftButton);
        QVERIFY(shown.window.zoomed());
        // The pointer's pixel now stands for another cycle of the zoomed range.
        QCOMPARE(down->cursorAt(), std::round(down->positionAt(releasedAt)));
        QVERIFY(shown.window.visibleRange().contains(down->cursorAt()) && down->cursorAt() != 14000);
        QVERIFY(shown.window.readoutText().startsWith(QStringLiteral("Cycle %1,").arg(down->cursorAt())));
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
        QVERIFY2(
            down->accessibleDescription().startsWith(QStringLiteral(
                "cycles 1000 to 1600, zoomed into a run from 0 to 19999: down contact 2 to 6.9 ohms; 2 new failures")),
            qPrintable(down->accessibleDescription()));
    }

    // The arrow keys step the cursor a pixel column's worth of samples at a
    // wide zoom, one sample zoomed in; Next and Previous Failure (buttons, N
    // and P) put it on the next or previous new failure. A zoomed view keeps
    // its width and follows the cursor out of it.
    void cursorSteps_data()
    {
        // sparse: the run of three failures, else the long run; from < 0: the whole run; cursor < 0: none;
        // press: a key or a button's caption; lands < 0: a pixel column on; viewFrom < 0: the view stays
        addColumns<bool, double, double, int, QString, int, double, bool, bool>(
            "sparse", "from", "to", "cursor", "press", "lands", "viewFrom", "nextOn", "previousOn");

        addRow("whole run, right", false, -1.0, 0.0, 12500, "Right", -1, -1.0, true, true);
        addRow("about two samples a column", false, 10000.0, 12000.0, 11000, "Right", -1, -1.0, true, true);
        addRow("no cursor: from the view's middle", false, 12000.0, 12100.0, -1, "Right", 12050, -1.0, true, true);
        addRow("zoomed in, right: one sample", false, 12000.0, 12100.0, 12050, "Right", 12051, -1.0, true, true);
        addRow("zoomed in, left: one sample", false, 12000.0, 12100.0, 12050, "Left", 12049, -1.0, true, true);
        addRow("past the right edge the view follows", false, 12000.0, 12100.0, 12100, "Right", 12101, 12051.0, true,
               true);
        addRow("past the left edge the view follows", false, 12000.0, 12100.0, 12000, "Left", 11999, 11949.0, true,
               true);
        addRow("at the run's end it stays", false, 19900.0, 19999.0, 19999, "Right", 19999, -1.0, false, true);
        addRow("N without a cursor: the run's first", true, -1.0, 0.0, -1, "N", 10, -1.0, true, false);
        addRow("P without a cursor: the run's last", true, -1.0, 0.0, -1, "P", 49990, -1.0, false, true);
        addRow("N far beyond a zoomed view", true, 100.0, 200.0, 150, "N", 30000, 29950.0, true, true);
        addRow("P far before a zoomed view", true, 40000.0, 40100.0, 40050, "P", 30000, 29950.0, true, true);
        addRow("the Next Failure button", true, 100.0, 200.0, 150, "Next Failure", 30000, 29950.0, true, true);
        addRow("the Previous Failure button", true, 40000.0, 40100.0, 40050, "Previous Failure", 30000, 29950.0, true,
               true);
        addRow("near the run's end the view stays within it", true, 30000.0, 30100.0, 30050, "N", 49990, 49899.0, false,
               true);
        addRow("on screen the view stays", true, 0.0, 40000.0, 20, "N", 30000, -1.0, true, true);
        addRow("none after the last: nothing moves", true, 49950.0, 49999.0, 49995, "N", 49995, -1.0, false, true);
    }

    void cursorSteps()
    {
        QFETCH(bool, sparse);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(int, cursor);
        QFETCH(QString, press);
        QFETCH(int, lands);
        QFETCH(double, viewFrom);
        Shown shown(sparse ? sparseFailures() : longRun());
        TrendPlot *down = shown.plot("DownContactChart");
        if (from >= 0)
            shown.window.zoomTo({from, to});
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
        QVERIFY(near(view, viewFrom < 0 ? before : TrendRange{viewFrom, viewFrom + before.span()}));
        QVERIFY(view.contains(down->cursorAt()));
        QTEST(shown.window.findChild<QPushButton *>("NextFailureButton")->isEnabled(), "nextOn");
        QTEST(shown.window.findChild<QPushButton *>("PreviousFailureButton")->isEnabled(), "previousOn");
    }

    // Below the readout, the shown range's new failures: the cycles from its
    // first sample to the first of them, and how many per 10,000 cycles, with
    // a full stop under the German locale the tests run in.
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
            // Along the time, the samples of those cycles: a second apart from 08:00.
            const double eight = double(trendWallClockMs(QDate(2026, 12, 6), QTime(8, 0)));
            shown.window.zoomTo(axis == TrendAxis::Cycles ? TrendRange{from, to}
                                                          : TrendRange{eight + from * 1000, eight + to * 1000});
        }
        QTEST(shown.window.rangeText(), "text");
        auto *field = shown.window.findChild<QLineEdit *>("RangeReadout");
        QVERIFY(field->isReadOnly() && field->text() == shown.window.rangeText());
        QCOMPARE(field->accessibleName(), QStringLiteral("Shown range"));
        QCOMPARE(field->accessibleDescription(), field->toolTip());
    }

    // Export Range writes the shown samples' lines as the live data log wrote
    // them, byte for byte, from the live run and from the same log plotted; a
    // plotted log that lost lines since is refused, and nothing is written.
    void exportRangeWritesTheDataLogsLines()
    {
        Rig rig;
        QTemporaryDir dir;
        QString logPath = dir.filePath(QStringLiteral("live.txt"));
        QVERIFY(rig.built->session.dataLog().openFile(logPath));
        // More than two blocks of the lines the live run keeps compressed.
        for (int cycle = 1; cycle <= 2100; ++cycle)
            rig.logged(cycle);
        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> logLines = log.readAll().split('\n');
        log.close();
        QCOMPARE(logLines.size(), 2102);   // the header, the samples and the empty end
        QByteArray expected = logLines[0] + '\n';
        for (const QByteArray &line : logLines.mid(1, 2100)) {
            const int cycle = line.split(',')[1].toInt();
            if (cycle >= 1000 && cycle <= 1100)
                expected += line + '\n';
        }
        const auto exported = [&](const QString &name) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
        };
        auto *button = rig.window().findChild<QPushButton *>("ExportRangeButton");
        QCOMPARE(button->text(), QStringLiteral("Export Range..."));
        QCOMPARE(button->accessibleDescription(), button->toolTip());

        rig.action("ViewTrendMenu")->trigger();
        rig.window().zoomTo({1000, 1100});
        rig.trendFiles.range = dir.filePath(QStringLiteral("live range"));   // .txt is added
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(exported(QStringLiteral("live range.txt")), expected);

        rig.trendFiles.log = logPath;
        rig.action("FilePlotMenu")->trigger();
        rig.window().zoomTo({1000, 1100});
        rig.trendFiles.range = dir.filePath(QStringLiteral("plotted.txt"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(exported(QStringLiteral("plotted.txt")), expected);
        QVERIFY(rig.dialogs.calls.isEmpty());

        QVERIFY(writeFile(logPath, logLines.mid(0, 15).join('\n')));
        QVERIFY(!rig.window().exportRange(dir.filePath(QStringLiteral("shrunk.txt"))));
        QCOMPARE(rig.dialogs.calls,
                 QStringList{QStringLiteral("error:File Error|The range cannot be exported: %1 has changed since it "
                                            "was plotted.")
                                 .arg(QDir::toNativeSeparators(logPath))});
        QCOMPARE(exported(QStringLiteral("shrunk.txt")), QByteArray("missing"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("shrunk.txt.part"))));
    }

    void timeAxisAndClosing()
    {
        Shown shown;
        TrendWindow &window = shown.window;
        const double eight = double(trendWallClockMs(QDate(2026, 12, 6), QTime(8, 0)));
        window.zoomTo({5000, 6000});
        QTest::mouseClick(window.findChild<QRadioButton *>("TimeAxisButton"), Qt::LeftButton);
        QCOMPARE(window.axis(), TrendAxis::Time);
        // The same samples stay in view.
        QVERIFY(near(window.visibleRange(), {eight + 5000e3, eight + 6000e3}));
        QVERIFY(shown.plot("StrokeTimeChart")
                    ->accessibleDescription()
                    .startsWith(QStringLiteral("from 12/06/2026 09:23:20 to 12/06/2026 09:40:00, zoomed")));
        QTest::mouseClick(window.findChild<QRadioButton *>("CyclesAxisButton"), Qt::LeftButton);
        QVERIFY(window.axis() == TrendAxis::Cycles && near(window.visibleRange(), {5000, 6000}));
        window.setAxis(TrendAxis::Time);   // as the buttons show
        QVERIFY(window.findChild<QRadioButton *>("TimeAxisButton")->isChecked());
        window.setAxis(TrendAxis::Cycles);
        QVERIFY(window.findChild<QRadioButton *>("CyclesAxisButton")->isChecked());

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
        const auto colourAt = [&](TrendPlot *plot, double cycle, int y, const std::function<bool(QColor)> &wanted) {
            const int x = plot->mapTo(area, QPoint(int(plot->pixelAt(cycle)), y)).x();
            const int row = plot->mapTo(area, QPoint(0, y)).y();
            for (int dx = -1; dx <= 1; ++dx) {
                if (wanted(image.pixelColor(x + dx, row)))
                    return true;
            }
            return false;
        };
        QVERIFY(!failures->failuresAsTicks());
        for (TrendPlot *plot : shown.window.findChildren<TrendPlot *>()) {
            const QRect plotArea = plot->plotArea();
            QVERIFY2(colourAt(plot, 12345, plotArea.center().y(), [](QColor c) { return c == Qt::black; }),
                     qPrintable(plot->objectName()));
            QVERIFY2(colourAt(plot, 12500, plotArea.top() + 3, [](QColor c) { return c.red() > c.green() + 60; }),
                     qPrintable(plot->objectName()));
            QVERIFY(!colourAt(plot, 12250, plotArea.top() + 3, [](QColor c) { return c.red() > c.green() + 60; }));
        }
    }
};

QTEST_MAIN(TrendWindowTest)
#include "TrendWindowTest.moc"

// The trend: a saved data log plots what the live run showed with its bad
// lines skipped and counted, the reduction never loses an extreme, and the
// Trend window follows the live run from the start, open or not.

#include "engine/datalog/DataLog.h"
#include "engine/trend/TrendLogReader.h"
#include "engine/trend/TrendReduction.h"
#include "features/trend/TrendController.h"
#include "features/trend/TrendWindow.h"
#include "mainwindow/MainForm.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/MemorySettingsStore.h"
#include "support/SessionWindow.h"
#include "ui/TrendFileDialog.h"

#include <QAbstractAxis>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

namespace {

constexpr int NoTicks = 24 * 3600 * 1000;
constexpr int AllTested = 1 | 16 | 32 | 64 | 128;

// A sample of a tester in the middle of a run.
TesterState sample(int cycle, int software, int mode, int range, int upCount = 700, int contact = AllTested)
{
    TesterState s;
    s.vUpdateTime = QDateTime(QDate(2026, 12, 6), QTime(11, 30, 5));
    s.CycleCount = cycle;
    s.FailCount = 7;
    s.vSoftwareVersion = software;
    s.vRMode = TesterState::Integer(mode);
    s.vRPullUp = range;
    s.vContact = TesterState::Integer(contact);
    s.vLastMeasuredDownResist = 12; s.vLastMeasuredUpResist = upCount;
    s.vLastDownBounceTime = 1000; s.vLastUpBounceTime = 250;
    s.vLastDownStrokeTime = 45; s.vLastUpStrokeTime = 52;
    s.vMaxDownResistTol = 20;
    s.vMinUpResistTol = 600; s.vMaxUpResistTol = 1023;
    s.vMaxDownBounceTol = 3000; s.vMaxUpBounceTol = 2000;
    s.vMinDownTime = 10; s.vMaxDownTime = 100;
    s.vMinUpTime = 15; s.vMaxUpTime = 90;
    s.vSerialNumber = QStringLiteral("41800123");
    return s;
}

QByteArray logLine(const TesterState &s) { return SampleLine(s).toLatin1() + "\r\n"; }

// Software 1.2 and 1.1 (no last bounce), an open contact written as a
// number, current, voltage, a range not received ("???" and "-----"), the up
// stroke and the down bounce not tested; in the log between them four lines
// to skip (garbage, a short line, a bad number, a last line cut short) and
// three to pass over (a blank line, a foreign line end, a second header).
const QList<TesterState> mixedSamples = {
    sample(1001, 12, 0, 1000),      sample(1002, 11, 0, 1000),       sample(1003, 12, 0, 1000, 1023),
    sample(1004, 12, 1, 500, 1023), sample(1005, 12, 2, 5000, 511), sample(1006, 12, 0, 0),
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

TrendReading reading(int cycle, int fails, float downContact)
{
    TrendReading r;
    r.cycleCount = cycle;
    r.failCount = fails;
    r.contact[TrendDown] = downContact;
    r.limits.contactCode = 16 | 32 | 64 | 128;
    return r;
}

class ScriptedTrendFiles : public TrendFileDialog
{
public:
    QString logToPlot(QWidget *) override { return log; }
    QString imageToSave(QWidget *) override { return image; }
    QString log, image;
};

struct Rig
{
    Rig() { form->trend().setFileDialog(trendFiles); }

    QAction *action(const char *name) { return form->findChild<QAction *>(name); }
    TrendWindow &window() { return form->trend().window(); }
    QLabel *label(const char *name) { return window().findChild<QLabel *>(name); }
    QString axisTitle(const char *chart)
    {
        window().redraw();
        return window().findChild<QChartView *>(chart)->chart()->axes(Qt::Vertical).first()->titleText();
    }
    // A decoded sample, as the poll cycle hands it over.
    void sample(int cycle, int mode = 0)
    {
        form->state() = ::sample(cycle, 12, mode, mode == 0 ? 1000 : 5000, 700, 1 | 16 | 64);   // up stroke not tested
        built->session.engineView().sampleDecoded();
    }

    FakeSerialPort port;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    ScriptedTrendFiles trendFiles;
    std::unique_ptr<SessionWindow> built = std::make_unique<SessionWindow>(port, settings, dialogs, files, NoTicks);
    MainForm *form = &built->form;
};

} // namespace

class TrendWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logPlotsWhatTheLiveRunShowed();
    void reductionKeepsEveryExtreme();
    void failuresOpenReadingsAndCounterResets();
    void liveRunInTheWindow();
    void plottedLogShowsItsSkippedLines();
};

void TrendWindowTest::logPlotsWhatTheLiveRunShowed()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("run.txt")), mixedLog()));
    const QList<TesterState> &states = mixedSamples;
    TrendHistory live, fromLog;
    for (const TesterState &s : states)
        live.append(TrendReadingFromState(s));
    QCOMPARE(ReadTrendLog(dir.filePath(QStringLiteral("run.txt")), fromLog).samples, 7);
    // Whether the log opened and how many lines it skipped: plottedLogShowsItsSkippedLines.
    for (qsizetype i = 0; i < states.size(); ++i) {
        const TesterState &s = states[i];
        const TrendSample &a = fromLog.at(size_t(i)), &b = live.at(size_t(i));
        QCOMPARE(a.cycle, 1001 + i);
        QCOMPARE(a.failCount, 7);
        QVERIFY2(same(a.contact, b.contact) && same(a.bounce, b.bounce) && same(a.strokeTime, b.strokeTime),
                 qPrintable(QString::number(i)));
        // The cases the charts must tell apart.
        QCOMPARE(std::isnan(a.bounce[TrendDown]), s.vSoftwareVersion < 12 || !(s.vContact & 64));
        QCOMPARE(std::isinf(a.contact[TrendUp]),
                 s.vLastMeasuredUpResist == 1023 && s.vRMode == 0 && s.vRPullUp > 0 && (s.vContact & 32));
        QCOMPARE(std::isnan(a.contact[TrendDown]), s.vRPullUp == 0);
        QCOMPARE(std::isnan(a.strokeTime[TrendUp]), !(s.vContact & 32));
    }
    QCOMPARE(fromLog.segments().size(), live.segments().size());
    for (size_t k = 0; k < live.segments().size(); ++k) {
        const TrendLimits &la = fromLog.segments()[k].limits, &lb = live.segments()[k].limits;
        QCOMPARE(la.mode, lb.mode);
        QVERIFY(same(la.minContact, lb.minContact) && same(la.maxContact, lb.maxContact));
        QVERIFY(same(la.maxBounce, lb.maxBounce) && same(la.minTime, lb.minTime) && same(la.maxTime, lb.maxTime));
    }
}

// A spike on the first sample, a dip on the last, and a spike and a dip side
// by side inside one column.
void TrendWindowTest::reductionKeepsEveryExtreme()
{
    constexpr int Samples = 1000000, Columns = 997;
    const QList<QPointF> extremes = {{0, 500}, {500000, 400}, {500001, 0.125}, {999999, 0.25}};
    TrendHistory history;
    for (int i = 0, next = 0; i < Samples; ++i) {
        const bool extreme = next < extremes.size() && extremes[next].x() == i;
        history.append(reading(i, 0, extreme ? float(extremes[next++].y()) : 5.0f + float(i % 7) * 0.01f));
    }

    const QList<QPointF> points = ReduceTrend(history, Columns).series[ContactDownSeries];
    QVERIFY(points.size() <= 2 * Columns);
    for (const QPointF &e : extremes)
        QVERIFY2(points.contains(e), qPrintable(QString::number(e.x())));
    for (qsizetype i = 1; i < points.size(); ++i)   // the line does not run back
        QVERIFY(points[i].x() >= points[i - 1].x());
}

void TrendWindowTest::failuresOpenReadingsAndCounterResets()
{
    // Cycles 10..30, the stopped tester sampled again at 30 (no reset), a
    // counter reset, then 5 and 15; the first sample's old failures are not
    // new, a rise after the reset is.
    TrendHistory history;
    for (const TrendReading &r : {reading(10, 3, 1), reading(20, 4, 1), reading(30, 4, INFINITY),
                                  reading(30, 4, INFINITY), reading(5, 0, 1), reading(15, 2, 1)})
        history.append(r);
    QCOMPARE(history.at(3).cycle, 30);
    QCOMPARE(history.at(5).cycle, 45);

    const TrendReduction r = ReduceTrend(history, 1000);
    QCOMPARE(r.failureCycles, (QList<double>{20, 45}));
    QCOMPARE(r.openCycles[TrendDown], QList<double>{30});
    // An open reading is marked, never drawn as a number.
    QCOMPARE(r.series[ContactDownSeries], (QList<QPointF>{{10, 1}, {20, 1}, {35, 1}, {45, 1}}));
    QCOMPARE(r.series[FailureSeries].last(), QPointF(45, 2));
}

// The live run is kept whether the window is open or not; limits and units
// follow a new configuration in another mode; strokes not tested are not drawn.
void TrendWindowTest::liveRunInTheWindow()
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
    const TrendReduction r = ReduceTrend(rig.built->session.trendHistory(), 600);
    const QList<QPointF> &max = r.limits[MaxContactDownLimit];
    QCOMPARE(max.size(), 4);
    QCOMPARE(max[0].x(), 1.0);
    QCOMPARE(max[1], QPointF(4, float(1000.0 * 20 / 1003)));   // ohms up to the change
    QCOMPARE(max[2], QPointF(4, float(20.0 / 1023 * 5)));      // volts after it
    QCOMPARE(max[3].x(), 6.0);
    QVERIFY(r.series[ContactUpSeries].isEmpty() && r.limits[MinContactUpLimit].isEmpty());
    QVERIFY(r.series[BounceUpSeries].isEmpty());

    QTemporaryDir dir;
    rig.trendFiles.image = dir.filePath(QStringLiteral("trend"));
    QTest::mouseClick(rig.window().findChild<QWidget *>("SaveImageButton"), Qt::LeftButton);
    QVERIFY(QImage(dir.filePath(QStringLiteral("trend.png")), "PNG").width() > 300);
    QVERIFY(rig.dialogs.calls.isEmpty());
    rig.trendFiles.image = dir.filePath(QStringLiteral("no/such/folder/trend.png"));
    rig.window().saveImageChosen();
    QCOMPARE(rig.dialogs.count(QStringLiteral("error:File Error")), 1);
}

void TrendWindowTest::plottedLogShowsItsSkippedLines()
{
    Rig rig;
    QVERIFY(!rig.form->trend().plotLog(QStringLiteral("/nonexistent/run.txt")));
    QCOMPARE(rig.dialogs.calls, QStringList{QStringLiteral("error:File Error|Error Opening File")});
    QVERIFY(!rig.window().isVisible());

    rig.sample(1);
    QTemporaryDir dir;
    rig.trendFiles.log = dir.filePath(QStringLiteral("station2.txt"));
    QVERIFY(writeFile(rig.trendFiles.log, mixedLog()));
    QCOMPARE(rig.action("FilePlotMenu")->text(), QStringLiteral("P&lot Data Log..."));
    rig.action("FilePlotMenu")->trigger();
    QVERIFY(rig.window().isVisible() && !rig.window().showingLive());
    QCOMPARE(rig.window().windowTitle(), QStringLiteral("Trend - station2.txt"));
    QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("7 samples")));
    QVERIFY(rig.label("SkippedLabel")->isVisible());
    QCOMPARE(rig.label("SkippedLabel")->text(), QStringLiteral("4 lines skipped"));

    // Live samples go on into the live run, not into the plotted log.
    rig.sample(2);
    QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("7 samples")));
    QTest::mouseClick(rig.window().findChild<QWidget *>("LiveButton"), Qt::LeftButton);
    QVERIFY(rig.window().showingLive());
    QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("2 samples")));
    QVERIFY(!rig.label("SkippedLabel")->isVisible());
}

QTEST_MAIN(TrendWindowTest)
#include "TrendWindowTest.moc"

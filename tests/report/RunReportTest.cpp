// The test report of an archived run: written as PDF through the Trend
// window's charts and read back page by page with pdftotext; the failures
// a sample brings; a long failure list folded, a long event list cut.

#include "features/report/RunReport.h"
#include "engine/archive/RunRecorder.h"
#include "engine/archive/RunReportRead.h"
#include "engine/report/RunReportModel.h"
#include "engine/trend/TrendHistory.h"
#include "features/report/PrintDialogs.h"
#include "features/report/ReportController.h"
#include "features/trend/TrendPrint.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeArchiveSink.h"
#include "support/FakeMessageDialogs.h"
#include "support/PdfText.h"
#include "support/TestKit.h"
#include "ui/MainMenus.h"

#include <QtPrintSupport>
#include <QtWidgets>

namespace {

// A run of 100 samples, ten cycles apart and ten seconds apart: the cycle
// limit raised at cycle 400, the link lost at cycle 500 and found at 520,
// failures at cycles 250 (maximum down contact), 600 (down bounce) and 700
// (an up stroke beyond its limit), stopped at the last sample.
QString makeRun(SqlArchiveStore &store)
{
    TesterState s;
    s.identity.serialNumber = QStringLiteral("41800123");
    s.identity.softwareVersion = 12;
    TesterConfig &c = s.reported;
    c.contact = 1 + 16 + 32 + 64, c.cycleLimit = 1000, c.failLimit = 50, c.seqLimit = 10;
    c.maxDownTime = 1500, c.minDownTime = 10, c.maxUpTime = 2000, c.minUpTime = 20;
    c.rangeMode = 0, c.rangePullUp = 1000, c.maxDownResistTol = 400, c.minDownResistTol = 5;
    c.maxUpResistTol = 400, c.minUpResistTol = 5, c.maxDownBounceTol = 3000, c.maxUpBounceTol = 3000;
    c.upperBounce = 129, c.lowerBounce = 35;
    s.counters.lastDownStrokeTime = 40, s.counters.lastUpStrokeTime = 50;
    FakeArchiveSink sink;
    RunRecorder recorder(s, sink, QStringLiteral("lab-3"), QStringLiteral("1.0.0"));
    const QDateTime start(QDate(2026, 12, 7), QTime(8, 0));
    for (int i = 1; i <= 100; ++i) {
        const QDateTime at = start.addSecs(i * 10);
        if (i == 50)
            recorder.linkLost(at.addSecs(-5));
        if (i == 52)
            recorder.linkFound(at.addSecs(-5));
        if (i == 40)
            c.cycleLimit = 2000;
        const int failures[][2] = {{25, 2}, {60, 64}, {70, 0}};
        for (const auto &f : failures)
            if (i == f[0])
                ++s.counters.failCount, s.counters.errorCode |= int16_t(f[1]);
        s.counters.lastUpStrokeTime = i == 70 ? 2500 : 50;
        s.counters.running = i < 100;
        s.counters.cycleCount = i * 10;
        s.counters.updateTime = at;
        recorder.sampleTaken();
        if (i == 1)
            recorder.describeRun({"Toggle 7-A", "R. Okafor", "Lot 12"}, at);
    }
    return store.write(sink.records);
}

// The preview draws into a printer that prints to a file, and so does a print after it; the PDF goes to pdfPath.
struct FilePrintDialogs : PrintDialogs
{
    bool printSetup(QPrinter &) override { return setupAccepted; }
    bool setupAccepted = false;
    void preview(QPrinter &printer, const std::function<void(QPrinter &)> &compose) override
    {
        printer.setOutputFileName(previewPath);
        compose(printer);
    }
    QString pdfFileName(const QString &suggested) override
    {
        suggestedName = suggested;
        return pdfPath;
    }
    QString previewPath, pdfPath, suggestedName;
};

}   // namespace

class RunReportTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    RunReportData run;
    TrendHistory runTrend;

    QString pdf(const char *name) const { return dir.filePath(QLatin1String(name)); }

private Q_SLOTS:
    // One archived run for every report below: as the Runs window exports it,
    // and drawn on a landscape page as a printer set up for landscape gets it.
    void initTestCase()
    {
        ArchiveLocation location;
        location.path = dir.filePath(QStringLiteral("runs.sqlite"));
        SqlArchiveStore store(location);
        QCOMPARE(store.open(true), QString());
        QCOMPARE(makeRun(store), QString());
        QCOMPARE(readRunReport(store, 1, run, runTrend), QString());
        QCOMPARE(writeRunReportFile(store, 1, pdf("report.pdf"), paintTrendCharts), QString());
        QPdfWriter landscape(pdf("landscape.pdf"));
        landscape.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF()));
        QPainter painter(&landscape);
        composeRunReport(painter, landscape, run, runTrend, paintTrendCharts);
        QVERIFY(painter.end());
    }

    void pagesOfAnArchivedRun_data()
    {
        // top: where the page's first line starts, in points from the paper's
        // top; expected: lines of the page, spaces simplified, "|" between them
        addColumns<bool, int, double, QString>("landscape", "page", "top", "expected");
        addRow("summary", false, 1, 54.0,
               "Model 418C Test Report|Tester S/N 41800123|Station lab-3|Part Toggle 7-A|Operator R. Okafor|"
               "Notes Lot 12|Start 2026-12-07 08:00:10|End 2026-12-07 08:16:40|Duration 0:16:30|"
               "Cycles in the run 1000|Failures at the end 3|Sequential failures at the end 0|"
               "How it ended stopped at the tester|Configuration at the start|Cycle limit 1000 cycles|"
               "Maximum down stroke time 1.500 seconds|Maximum down contact 642.1 ohms|"
               "Maximum down bounce 0.004800 seconds|Down bounce tested yes|Up bounce tested no|"
               "Configuration changes|2026-12-07 08:06:40 at cycle 400|Cycle limit 1000 cycles to 2000 cycles");
        addRow("chart", false, 2, 54.0, "The run|Down stroke: last contact reading|Last bounce time|Last stroke time");
        addRow("failures", false, 3, 54.0,
               "Failures|New failures 3|Cycles to the first failure 250|Failures per 10,000 cycles 30.00|"
               "Cycle Time Fail count What came|250 2026-12-07 08:04:10 1 down contact|"
               "600 2026-12-07 08:10:00 2 down bounce|700 2026-12-07 08:11:40 3 up stroke time");
        addRow("events", false, 4, 54.0,
               "Events|Time Event Detail|2026-12-07 08:00:10 program started lab-3|2026-12-07 08:08:15 link lost|"
               "2026-12-07 08:08:35 link found|2026-12-07 08:16:40 stopped stopped at the tester");
        const char *lastSample = "Model 418C Test Results|Total Test Cycles 1000 2000|Failed Test Cycles 3 50|"
                                 "Maximum Down Bounce Condition Fail";
        addRow("last sample", false, 5, 72.0, lastSample);
        addRow("last sample, landscape: half an inch from the top", true, 6, 36.0, lastSample);
    }

    // Every page names the tester and the run and is numbered.
    void pagesOfAnArchivedRun()
    {
        QFETCH(bool, landscape);
        QFETCH(int, page);
        QFETCH(double, top);
        QFETCH(QString, expected);
        const QString path = pdf(landscape ? "landscape.pdf" : "report.pdf");
        const QStringList lines = pdfLines(path, page);
        for (const QString &line : expected.split(u'|'))
            QVERIFY2(lines.contains(line), qPrintable(line + QStringLiteral("\n--- page:\n") + lines.join(u'\n')));
        const int pages = landscape ? 6 : 5;   // the shorter landscape page takes the summary in two
        QCOMPARE(lines.last(), QStringLiteral("S/N 41800123, run 1 Page %1 of %2").arg(page).arg(pages));
        const QString boxes = pdftotext(path, QStringLiteral("-bbox"), page);
        const double firstLine = findWord(boxes).top, foot = findWord(boxes, QStringLiteral("Page")).top;
        QVERIFY2(nearPoints(firstLine, top), qPrintable(QString::number(firstLine)));
        // The foot stands 0.6 inch above the paper's edge, on Letter paper either way.
        QVERIFY2(nearPoints(foot, (landscape ? 8.5 : 11) * 72 - 0.6 * 72), qPrintable(QString::number(foot)));
    }

    // The Runs window's preview, printout and PDF are drawn by one painter: the same text.
    void previewAndPdfAlike()
    {
        QMainWindow window;
        MainMenus menus(window);
        TesterState live;
        FakeMessageDialogs dialogs;
        auto fake = std::make_unique<FilePrintDialogs>();
        FilePrintDialogs &files = *fake;
        files.previewPath = pdf("preview.pdf");
        files.pdfPath = pdf("export.pdf");
        ReportController report(menus, live, dialogs, std::move(fake));
        report.setChartPainter(paintTrendCharts);
        report.previewRunReport(run, runTrend);
        report.exportRunReportPdf(run, runTrend);
        QCOMPARE(dialogs.calls, QStringList());
        QCOMPARE(files.suggestedName, QStringLiteral("Test Report 41800123 run 1.pdf"));
        const QStringList shown = pdfLines(files.previewPath);
        QVERIFY2(shown.last().endsWith(QStringLiteral("Page 5 of 5")), qPrintable(shown.join(u'\n')));
        QCOMPARE(pdfLines(files.pdfPath), shown);

        // Print... asks for the printer first: cancelled, nothing prints.
        QVERIFY(QFile::remove(files.previewPath));
        report.printRunReport(run, runTrend);
        QVERIFY(!QFile::exists(files.previewPath));
        files.setupAccepted = true;
        report.printRunReport(run, runTrend);
        QCOMPARE(pdfLines(files.previewPath), shown);
        QCOMPARE(dialogs.calls, QStringList());
    }

    void failureKinds_data()
    {
        // before: error code, fail count, the contact type when not 16 + 32; after: error code, fail count, the
        // down and up stroke time (ms);
        // came: the failure's kinds, new or standing; empty: no failure
        addColumns<QList<int>, QList<int>, QString>("before", "after", "came");
        addRow("new maximum up contact bit", QList<int>{0, 0}, QList<int>{8, 1, 40, 50}, "up contact");
        addRow("initial down and up bounce", QList<int>{0, 0}, QList<int>{16 | 128, 1, 40, 50},
               "down contact, up bounce");
        addRow("a bit set before is not new", QList<int>{2, 1}, QList<int>{2 | 4, 2, 40, 50}, "up contact");
        addRow("nothing new: what stands", QList<int>{64, 1}, QList<int>{64, 2, 40, 50}, "standing down bounce");
        addRow("down stroke too slow", QList<int>{0, 0}, QList<int>{0, 1, 1600, 50}, "down stroke time");
        addRow("up stroke too fast", QList<int>{0, 0}, QList<int>{0, 1, 40, 10}, "up stroke time");
        addRow("too fast where the contact is not measured", QList<int>{0, 0, 16 + 1}, QList<int>{0, 1, 1600, 10},
               "down stroke time");
        addRow("a bit without a failure", QList<int>{0, 3}, QList<int>{1, 3, 40, 50}, "");
    }

    void failureKinds()
    {
        QFETCH(QList<int>, before);
        QFETCH(QList<int>, after);
        QFETCH(QString, came);
        RunReportData data;
        RunReportCollector collector(data);
        TesterState s;
        s.reported.contact = before.value(2, 16 + 32), s.reported.maxDownTime = 1500, s.reported.minDownTime = 20;
        s.reported.maxUpTime = 1500, s.reported.minUpTime = 20;
        s.counters.lastDownStrokeTime = 40, s.counters.lastUpStrokeTime = 50;
        s.counters.errorCode = int16_t(before[0]), s.counters.failCount = before[1];
        collector.addSample(s);
        s.counters.errorCode = int16_t(after[0]), s.counters.failCount = after[1];
        s.counters.lastDownStrokeTime = after[2], s.counters.lastUpStrokeTime = after[3];
        collector.addSample(s);
        QStringList told;
        for (const RunReportFailure &f : data.failures)
            told << (f.kinds ? failureKindsText(f.kinds) : QStringLiteral("standing ") + failureKindsText(f.standing));
        QCOMPARE(told.join(u';'), came);
    }

    void longListsFolded_data()
    {
        // told: a line the report holds; empty: the failures one by one; changes: configuration changes, the
        // first ones in the failures' samples; unlisted: the line that counts the changes not listed, if any
        addColumns<int, int, int, QString, int, QString>("failures", "cyclesApart", "events", "told", "changes",
                                                         "unlisted");
        addRow("short lists as they are", 50, 100, 40, QString(), 0, QString());
        addRow("10,000 failures in a million cycles", 10000, 100, 10,
               "The 10000 failures are counted per 10000 cycles, stretches without failure left out.", 0, QString());
        addRow("10,000 failures in 100 million cycles", 10000, 10000, 10,
               "The 10000 failures are counted per 1000000 cycles, stretches without failure left out.", 0, QString());
        addRow("events of a noisy line", 10, 100, 5000, "4628 events between are left out.", 0, QString());
        addRow("ten configuration changes all listed", 50, 100, 0, QString(), 10, QString());
        addRow("eleven configuration changes, the last not listed", 50, 100, 0, QString(), 11,
               "1 later changes are not listed.");
    }

    // Whatever the run, at most thirty pages.
    void longListsFolded()
    {
        QFETCH(int, failures);
        QFETCH(int, cyclesApart);
        QFETCH(int, events);
        QFETCH(QString, told);
        QFETCH(int, changes);
        QFETCH(QString, unlisted);
        RunReportData data;
        RunReportCollector collector(data);
        TesterState s;
        const QDateTime start(QDate(2026, 12, 7), QTime(8, 0));
        for (int i = 0; i <= failures; ++i) {
            s.reported.cycleLimit = 1000 + std::min(i, changes);
            s.counters.failCount = i;
            s.counters.cycleCount = (i + 1) * cyclesApart;
            s.counters.updateTime = start.addSecs(i);
            collector.addSample(s);
        }
        for (int i = 0; i < events; ++i)
            data.events.push_back({start.addSecs(i), QStringLiteral("link lost"), QString()});
        const std::vector<RunReportPage> pages = runReportPages(data, 50);
        QStringList texts;
        for (const RunReportPage &page : pages) {
            QVERIFY(page.lines.size() <= 50);
            for (const RunReportLine &line : page.lines)
                for (const RunReportText &text : line.texts)
                    texts << text.text;
        }
        QVERIFY2(pages.size() <= 30, qPrintable(QString::number(pages.size())));
        if (told.isEmpty())
            QCOMPARE(texts.count(QStringLiteral("down contact")) + texts.count(QStringLiteral("no failure bit")),
                     failures);
        else
            QVERIFY2(texts.contains(told), qPrintable(texts.filter("left out").join(u'\n')));
        QCOMPARE(texts.filter(QStringLiteral("not listed")),
                 unlisted.isEmpty() ? QStringList() : QStringList{unlisted});
    }
};

QTEST_MAIN(RunReportTest)
#include "RunReportTest.moc"

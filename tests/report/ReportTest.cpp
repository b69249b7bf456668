// The printed pages, rendered to PDF and read back with pdftotext: the test results page, where its lines stand and
// what the operator hears when a print fails; the test report of an archived run, its failures and long lists.

#include "engine/archive/RunRecorder.h"
#include "engine/archive/RunReportRead.h"
#include "engine/trend/TrendHistory.h"
#include "features/report/QtPrintDialogs.h"
#include "features/report/ReportController.h"
#include "features/report/RunReport.h"
#include "features/trend/TrendPrint.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeArchiveSink.h"
#include "support/FakeMessageDialogs.h"
#include "support/TestKit.h"
#include "ui/MainMenus.h"

#include <QtPrintSupport>
#include <QtWidgets>

namespace {

// What Poppler's pdftotext reads in the PDF: "-layout" the text as laid out, "-bbox" word boxes; page 0: every page.
QString pdftotext(const QString &path, const QString &option, int page = 0)
{
    QStringList arguments{option};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-"));
    tool.waitForFinished(10000);   // well inside a test function's 25 s
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The lines of the laid-out text with spaces simplified; the blank lines at the end left off.
QStringList pdfLines(const QString &path, int page = 0)
{
    QStringList lines;
    for (const QString &line : pdftotext(path, QStringLiteral("-layout"), page).split(u'\n'))
        lines << line.simplified();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The topmost (then leftmost) word with this text, any word when empty: its edges in points, or NaN when missing.
struct WordBox
{
    double left = NAN, top = NAN, right = NAN;
};

WordBox findWord(const QString &boxes, const QString &text = QString())
{
    const QRegularExpression word(QStringLiteral(R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)"[^>]*>)re")
                                  + (text.isEmpty() ? QStringLiteral("[^<]+") : QRegularExpression::escape(text))
                                  + QStringLiteral("</word>"));
    WordBox found;
    for (const QRegularExpressionMatch &m : word.globalMatch(boxes)) {
        const WordBox box{m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble()};
        if (std::isnan(found.top) || box.top < found.top || (box.top == found.top && box.left < found.left))
            found = box;
    }
    return found;
}

// Two positions on paper, in points, the same to a reader's eye.
bool nearPoints(double measured, double expected)
{
    return std::abs(measured - expected) < 0.5;
}

// Print Setup chooses `orientation`, answers setupAccepted; the preview prints to previewPath, a PDF to pdfPath.
struct FilePrintDialogs : PrintDialogs
{
    bool printSetup(QPrinter &printer) override { return printer.setPageOrientation(orientation) && setupAccepted; }
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
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    bool setupAccepted = true;
    QString previewPath, pdfPath, suggestedName;
};

// A controller on a bare window's File menu, over a tester whose readings all differ: one in the wrong row shows.
struct Rig
{
    Rig(int contact, int errorCode = 0, int version = 12, int mode = 0) : menus(window)
    {
        auto fake = std::make_unique<FilePrintDialogs>();
        printDialogs = fake.get();
        printDialogs->pdfPath = dir.filePath(QStringLiteral("report.pdf"));
        report = std::make_unique<ReportController>(menus, s, dialogs, std::move(fake));
        s.reported.contact = contact, s.counters.errorCode = errorCode, s.identity.softwareVersion = version,
        s.reported.rangeMode = mode;
        s.reported.rangePullUp = 1000, s.identity.serialNumber = QStringLiteral("41800123");
        s.counters.updateTime = QDateTime(QDate(2026, 3, 4), QTime(13, 5, 9));
        s.counters.cycleCount = 1234, s.reported.cycleLimit = 100000, s.counters.failCount = 3,
        s.reported.failLimit = 50;
        s.counters.seqCount = 1, s.reported.seqLimit = 10;
        s.counters.maxDownResistance = 1023, s.reported.maxDownResistTol = 1023, s.counters.minDownResistance = 100,
        s.reported.minDownResistTol = 50;
        s.counters.lastDownResistance = 200, s.counters.maxDownBounce = 1000, s.reported.maxDownBounceTol = 3000;
        s.counters.lastDownBounceTime = 500, s.counters.lastDownStrokeTime = 42;
        s.counters.maxUpResistance = 300, s.reported.maxUpResistTol = 400, s.counters.minUpResistance = 10,
        s.reported.minUpResistTol = 5;
        s.counters.lastUpResistance = 20, s.counters.maxUpBounce = 2000, s.reported.maxUpBounceTol = 4000;
        s.counters.lastUpBounceTime = 250, s.counters.lastUpStrokeTime = 55;
        s.reported.maxDownTime = 1500, s.reported.minDownTime = 10, s.reported.maxUpTime = 2000,
        s.reported.minUpTime = 20;
        s.reported.upperBounce = 129, s.reported.lowerBounce = 35;
    }

    QTemporaryDir dir;
    QMainWindow window;
    MainMenus menus;
    TesterState s;
    FakeMessageDialogs dialogs;
    FilePrintDialogs *printDialogs;
    std::unique_ptr<ReportController> report;
};

constexpr double Inch = 72;   // points

// The top of every page, "|" between lines.
const QString Top = QStringLiteral("Model 418C Test Results||S/N 41800123 with Software Ver 1.2|"
                                   "Tested 03/04/2026 13:05:09||Value Tolerance||Total Test Cycles 1234 100000|"
                                   "Failed Test Cycles 3 50|Sequential Failed Cycles 1 10|");

// 100 samples ten cycles and seconds apart: the cycle limit raised at cycle 400, the link lost at 500 and found at
// 520, failures at 250 (down contact), 600 (down bounce) and 700 (up stroke time), stopped at the last sample.
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
        if (i == 25 || i == 60 || i == 70)
            ++s.counters.failCount, s.counters.errorCode |= int16_t(i == 25 ? 2 : i == 60 ? 64 : 0);
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

}   // namespace

class ReportTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    RunReportData run;
    TrendHistory runTrend;

    QString pdf(const char *name) const { return dir.filePath(QLatin1String(name)); }

private Q_SLOTS:
    // One archived run for every run report below, as the Runs window exports it, and drawn on a landscape page.
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

    // Print Preview opens with the whole page in its window, not a strip of it.
    void previewFitsThePage()
    {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        QPrintPreviewDialog dialog(&printer);
        fitPreviewPage(dialog);
        dialog.show();
        QCOMPARE(dialog.findChild<QPrintPreviewWidget *>()->zoomMode(), QPrintPreviewWidget::FitInView);
        dialog.close();
    }

    void lines_data()
    {
        // tester: contact, error code, software version, mode, landscape; expected: lines, "|" between them, the
        // whole page when it begins with the title; absent: beginnings of lines that must not be there
        addColumns<QList<int>, QString, QStringList>("tester", "expected", "absent");

        addRow("no stroke tested, landscape", QList<int>{0, 0, 12, 0, 1},
               Top + "|Down Stroke Time 1.500 seconds|Up Stroke Time 2.000 seconds", QStringList());
        addRow("every check, error code 18, open readings", QList<int>{16 + 32 + 64 + 128 + 2, 18, 12, 0, 0},
               Top
                   + "|Maximum Contact Down Value open ohms open|Minimum Contact Down Value 108.3 ohms 51.4|"
                     "Maximum Contact Down Bounce 0.001600 seconds 0.004800|Last Contact Down Value 243.0 ohms|"
                     "Last Contact Down Bounce 0.000800 seconds|Last Contact Down Time 0.042 seconds||"
                     "Maximum Contact Up Value 414.9 ohms 642.1|Minimum Contact Up Value 9.9 ohms 4.9|"
                     "Maximum Contact Up Bounce 0.003200 seconds 0.006400|Last Contact Up Value 19.9 ohms|"
                     "Last Contact Up Bounce 0.000400 seconds|Last Contact Up Time 0.055 seconds||Cumulative Errors|"
                     "Initial Down Contact Condition Fail|Maximum Down Contact Condition Fail|"
                     "Minimum Down Contact Condition Pass|Maximum Down Bounce Condition Pass||"
                     "Initial Up Contact Condition Pass|Maximum Up Contact Condition Pass|"
                     "Minimum Up Contact Condition Pass|Maximum Up Bounce Condition Pass||Maximum Minimum||"
                     "Down Stroke Time 1.500 seconds 0.010|Up Stroke Time 2.000 seconds 0.020|"
                     // A threshold is a quarter of the reading count at which the tester switches.
                     "Bounce Thresholds 1017.8 ohms 158.6||Contact Type Normally Closed|"
                     "Measurement Method 1000 ohms Pullup Mode",
               QStringList());
        addRow("up only, normally open", QList<int>{32 + 1, 0, 12, 0, 0},
               "Down Stroke Time 1.500 seconds 1.500|Contact Type Normally Open",
               QStringList{"Maximum Contact Down", "Initial Down", "Bounce Thresholds", "Maximum Contact Up Bounce"});
        addRow("down bounce, software 1.1, contact type 5, mode 3", QList<int>{16 + 64 + 5, 0, 11, 3, 0},
               "Maximum Contact Down Bounce 0.001600 seconds 0.004800|Maximum Down Bounce Condition Pass|"
               "Bounce Thresholds ??? ---- ???|Contact Type Unknown|Measurement Method ---- ??? ??? Mode",
               QStringList{"Last Contact Down Bounce"});
    }

    // Exported as PDF; the first line starts half an inch from the top in landscape, an inch in portrait.
    void lines()
    {
        QFETCH(QList<int>, tester);
        QFETCH(QString, expected);
        QFETCH(QStringList, absent);
        Rig rig(tester[0], tester[1], tester[2], tester[3]);
        if (tester[4])
            rig.menus.filePrintSetup->trigger();
        QCOMPARE(rig.report->chosenOrientation(), tester[4] ? std::optional(QPageLayout::Landscape) : std::nullopt);
        rig.report->fileExportPdf->trigger();
        QCOMPARE(rig.dialogs.calls, QStringList());

        const QString path = rig.printDialogs->pdfPath;
        const QStringList page = pdfLines(path);
        if (expected.startsWith(Top))
            QCOMPARE(page, expected.split(u'|'));
        for (const QString &line : expected.split(u'|'))
            QVERIFY2(page.contains(line), qPrintable(line));
        for (const QString &line : page)
            for (const QString &start : absent)
                QVERIFY2(!line.startsWith(start), qPrintable(line));
        // In points: the title centred; labels and limits an inch in, values on one edge, units after it, rows indented.
        const QString boxes = pdftotext(path, QStringLiteral("-bbox"));
        const auto word = [&boxes](const char *text) { return findWord(boxes, QLatin1String(text)); };
        const double width =
            QRegularExpression(QStringLiteral(R"re(<page width="([\d.]+)")re")).match(boxes).captured(1).toDouble();
        QVERIFY(nearPoints((word("Model").left + word("Results").right) / 2, width / 2));
        QVERIFY(nearPoints(word("Model").top, tester[4] ? Inch / 2 : Inch));
        const double valueEdge = word("Value").right;
        QVERIFY(valueEdge > width / 2 && valueEdge < word("Tolerance").left);
        for (const char *label : {"Total", "Failed", "Sequential"})
            QVERIFY2(nearPoints(word(label).left, Inch), label);
        for (const char *value : {"1234", "3", "1", "2.000"})   // counts, then the up stroke time
            QVERIFY2(nearPoints(word(value).right, valueEdge), value);
        for (const char *limit : {"Tolerance", "100000", "50", "10"})
            QVERIFY2(nearPoints(word(limit).right, width - Inch), limit);
        QVERIFY(word("seconds").left > valueEdge && word("seconds").left < valueEdge + Inch / 4);
        if (tester[0] & (16 | 32))
            QVERIFY(word("Initial").left > Inch + 5 && word("Initial").left < Inch * 1.5);
    }

    void printErrors()
    {
        Rig rig(16);
        rig.printDialogs->pdfPath = QStringLiteral("/no/such/folder/report.pdf");
        rig.report->fileExportPdf->trigger();
        QStringList expected{"error:Print Error|The report could not be written to /no/such/folder/report.pdf."};
        if (QPrinterInfo::availablePrinters().isEmpty()) {   // else this would print a page
            rig.menus.filePrint->trigger();
            expected << "error:Print Error|No printer is installed, so the report was not printed.";
        }
        QCOMPARE(rig.dialogs.calls, expected);
        rig.printDialogs->orientation = QPageLayout::Portrait;
        rig.menus.filePrintSetup->trigger();
        QCOMPARE(rig.report->chosenOrientation(), std::optional(QPageLayout::Portrait));
        // Preview and PDF are there exactly when Print is.
        for (bool on : {false, true}) {
            rig.menus.filePrint->setEnabled(on);
            QCOMPARE(rig.report->filePrintPreview->isEnabled(), on);
            QCOMPARE(rig.report->fileExportPdf->isEnabled(), on);
        }
    }

    void pagesOfAnArchivedRun_data()
    {
        // top: the page's first line, in points from the paper's top; expected: its lines, "|" between them
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
        Rig rig(0);
        FilePrintDialogs &files = *rig.printDialogs;
        files.previewPath = pdf("preview.pdf");
        files.pdfPath = pdf("export.pdf");
        files.orientation = QPageLayout::Portrait;
        files.setupAccepted = false;
        ReportController &report = *rig.report;
        report.setChartPainter(paintTrendCharts);
        report.previewRunReport(run, runTrend);
        report.exportRunReportPdf(run, runTrend);
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
        QCOMPARE(rig.dialogs.calls, QStringList());
    }

    void failureKinds_data()
    {
        // before: error code, fail count, contact type when not 16 + 32; after: error code, fail count, down and up
        // stroke time (ms); came: the failure's kinds, new or standing; empty: no failure
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
        // changes: configuration changes, the first ones in the failures' samples; told: the line that says what
        // was left out or not listed, if any; failures not counted per so many cycles are listed one by one
        addColumns<int, int, int, int, QString>("failures", "cyclesApart", "events", "changes", "told");
        addRow("short lists as they are", 50, 100, 40, 0, QString());
        addRow("10,000 failures in a million cycles", 10000, 100, 10, 0,
               "The 10000 failures are counted per 10000 cycles, stretches without failure left out.");
        addRow("10,000 failures in 100 million cycles", 10000, 10000, 10, 0,
               "The 10000 failures are counted per 1000000 cycles, stretches without failure left out.");
        addRow("events of a noisy line", 10, 100, 5000, 0, "4628 events between are left out.");
        addRow("ten configuration changes all listed", 50, 100, 0, 10, QString());
        addRow("eleven configuration changes, the last not listed", 50, 100, 0, 11, "1 later changes are not listed.");
        addRow("a run of no cycles has no failure rate", 0, 0, 0, 0, QString());
    }

    // Whatever the run, at most thirty pages.
    void longListsFolded()
    {
        QFETCH(int, failures);
        QFETCH(int, cyclesApart);
        QFETCH(int, events);
        QFETCH(int, changes);
        QFETCH(QString, told);
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
        const QString rate = texts.value(texts.indexOf(QStringLiteral("Failures per 10,000 cycles")) + 1);
        QVERIFY2((rate == QStringLiteral("-")) == (cyclesApart == 0), qPrintable(rate));
        QCOMPARE(texts.filter(QRegularExpression(QStringLiteral("left out|not listed"))),
                 told.isEmpty() ? QStringList() : QStringList{told});
        if (!told.contains(QStringLiteral("failures are counted")))
            QCOMPARE(texts.count(QStringLiteral("down contact")) + texts.count(QStringLiteral("no failure bit")),
                     failures);
    }
};

QTEST_MAIN(ReportTest)
#include "ReportTest.moc"

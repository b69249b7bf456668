// The test results page, rendered to PDF and read back with pdftotext: which
// lines it holds, where it starts, and what the operator hears when a print fails.

#include "engine/state/TesterState.h"
#include "features/report/PrintDialogs.h"
#include "features/report/QtPrintDialogs.h"
#include "features/report/ReportController.h"
#include "support/FakeMessageDialogs.h"
#include "support/PdfText.h"
#include "support/TestKit.h"
#include "ui/MainMenus.h"

#include <QtPrintSupport>
#include <QtWidgets>

namespace {

// Print Setup chooses `orientation`; the PDF goes to pdfPath.
struct FakePrintDialogs : PrintDialogs
{
    bool printSetup(QPrinter &printer) override { return printer.setPageOrientation(orientation); }
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    void preview(QPrinter &, const std::function<void(QPrinter &)> &) override {}
    QString pdfFileName(const QString &) override { return pdfPath; }
    QString pdfPath;
};

// A controller on the File menu of a bare window, over fake dialogs, with a
// tester's data in which every reading differs, so a value in the wrong row shows.
struct Rig
{
    Rig(int contact, int errorCode = 0, int version = 12, int mode = 0) : menus(window)
    {
        auto fake = std::make_unique<FakePrintDialogs>();
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
    FakePrintDialogs *printDialogs;
    std::unique_ptr<ReportController> report;
};

constexpr double Inch = 72;   // points

// The top of every page, "|" between lines.
const QString Top = QStringLiteral("Model 418C Test Results||S/N 41800123 with Software Ver 1.2|"
                                   "Tested 03/04/2026 13:05:09||Value Tolerance||Total Test Cycles 1234 100000|"
                                   "Failed Test Cycles 3 50|Sequential Failed Cycles 1 10|");

}   // namespace

class ReportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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

    // Exported as PDF, after a Print Setup for landscape. The first line
    // starts half an inch from the top in landscape, an inch in portrait.
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
        // The page as a reader measures it, in points from the paper's edges:
        // the title centred; labels an inch from the left, limits an inch
        // from the right, values on one right edge between them, units just
        // after it; the condition rows indented under their heading.
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
};

QTEST_MAIN(ReportTest)
#include "ReportTest.moc"

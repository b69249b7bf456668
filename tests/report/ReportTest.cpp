// The test results page, rendered to PDF and read back with pdftotext: which
// lines it holds, where they stand, and what the operator hears when a print fails.

#include "mainwindow/MainMenus.h"
#include "report/PrintDialogs.h"
#include "report/QtPrintDialogs.h"
#include "report/ReportController.h"
#include "state/TesterState.h"
#include "support/FakeMessageDialogs.h"
#include "support/ModalAnswerer.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFile>
#include <QMainWindow>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

namespace {

struct FakePrintDialogs : PrintDialogs
{
    bool printSetup(QPrinter &printer) override
    {
        if (chosen) printer.setPageOrientation(*chosen);
        return bool(chosen);
    }
    void preview(QPrinter &, const std::function<void(QPrinter &)> &) override {}
    QString pdfFileName(const QString &) override { return pdfPath; }

    std::optional<QPageLayout::Orientation> chosen;   // none: the dialog is cancelled
    QString pdfPath;
};

struct Word
{
    QString text;
    double x0, y0, x1;   // twips
};

// A PDF's words with their positions (twips from the top left of the paper).
struct PdfPage
{
    explicit PdfPage(const QString &path)
    {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
        pdftotext.waitForFinished();
        QXmlStreamReader xml(pdftotext.readAllStandardOutput());
        const auto twips = [&xml](const char *name) { return xml.attributes().value(QLatin1String(name)).toDouble() * 20; };
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("page")) {
                width = twips("width");
            } else if (xml.name() == QLatin1String("word")) {
                Word word{QString(), twips("xMin"), twips("yMin"), twips("xMax")};
                word.text = xml.readElementText();
                words << word;
            }
        }
    }

    // The text lines, words joined by one space; an empty string for each gap of a line or more.
    QStringList lines() const
    {
        QList<Word> words = this->words;   // pdftotext gives them in drawing order
        std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) {
            return std::round(a.y0) != std::round(b.y0) ? a.y0 < b.y0 : a.x0 < b.x0;
        });
        QStringList out;
        double lastY = -1, step = 1e9;
        for (int i = 0; i + 1 < words.size(); ++i)
            if (words[i + 1].y0 > words[i].y0 + 1) step = std::min(step, words[i + 1].y0 - words[i].y0);
        for (const Word &w : words) {
            if (lastY >= 0 && std::abs(w.y0 - lastY) < 1) {
                out.last() += u' ' + w.text;
                continue;
            }
            if (lastY >= 0 && w.y0 - lastY > 1.5 * step) out << QString();
            out << w.text;
            lastY = w.y0;
        }
        return out;
    }

    const Word &word(const QString &text) const
    {
        for (const Word &w : words)
            if (w.text == text) return w;
        static const Word none{QString(), -1e9, -1e9, -1e9};
        return none;
    }

    double width = 0;
    QList<Word> words;
};

// A controller on the File menu of a bare window, over fake dialogs.
struct Rig
{
    Rig() : menus(window)
    {
        auto fake = std::make_unique<FakePrintDialogs>();
        printDialogs = fake.get();
        report = std::make_unique<ReportController>(menus, s, dialogs, std::move(fake));
        s.AppOrientation = -8;
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // Exports the page through the File menu and reads it back.
    PdfPage exported()
    {
        printDialogs->pdfPath = path(QStringLiteral("report.pdf"));
        report->FileExportPdfMenu->trigger();
        return PdfPage(printDialogs->pdfPath);
    }

    QTemporaryDir dir;
    QMainWindow window;
    MainMenus menus;
    TesterState s;
    FakeMessageDialogs dialogs;
    FakePrintDialogs *printDialogs;
    std::unique_ptr<ReportController> report;
};

// A tester's data with every reading different, so that a value in the wrong row shows.
void fill(TesterState &s, int contact, int errorCode, int version, int mode)
{
    s.vContact = TesterState::Integer(contact);
    s.vErrorCode = TesterState::Integer(errorCode);
    s.vSoftwareVersion = version;
    s.vRMode = TesterState::Integer(mode);
    s.vRPullUp = 1000;
    s.vSerialNumber = QStringLiteral("41800123");
    s.vUpdateTime = QDateTime(QDate(2026, 3, 4), QTime(13, 5, 9));
    s.CycleCount = 1234, s.vCycleLimit = 100000, s.FailCount = 3, s.vFailLimit = 50, s.SeqCount = 1, s.vSeqLimit = 10;
    s.vMaxDownResistance = 1023, s.vMaxDownResistTol = 1023, s.vMinDownResistance = 100, s.vMinDownResistTol = 50;
    s.vLastMeasuredDownResist = 200, s.vMaxDownBounce = 1000, s.vMaxDownBounceTol = 3000;
    s.vLastDownBounceTime = 500, s.vLastDownStrokeTime = 42;
    s.vMaxUpResistance = 300, s.vMaxUpResistTol = 400, s.vMinUpResistance = 10, s.vMinUpResistTol = 5;
    s.vLastMeasuredUpResist = 20, s.vMaxUpBounce = 2000, s.vMaxUpBounceTol = 4000;
    s.vLastUpBounceTime = 250, s.vLastUpStrokeTime = 55;
    s.vMaxDownTime = 1500, s.vMinDownTime = 10, s.vMaxUpTime = 2000, s.vMinUpTime = 20;
    s.vUpperBounce = 129, s.vLowerBounce = 35;
}

const QStringList Top = {"Model 418C Test Results", "", "S/N 41800123 with Software Ver 1.2",
                         "Tested 03/04/2026 13:05:09", "", "Value Tolerance", "", "Total Test Cycles 1234 100000",
                         "Failed Test Cycles 3 50", "Sequential Failed Cycles 1 10", ""};

} // namespace

class ReportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<int>("contact");
        QTest::addColumn<int>("errorCode");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("expected");   // the whole page when it begins with the title
        QTest::addColumn<QStringList>("absent");     // beginnings of lines that must not be there

        QTest::newRow("no stroke tested") << 0 << 0 << 12 << 0
            << Top + QStringList{"Down Stroke Time 1.500 seconds", "Up Stroke Time 2.000 seconds"} << QStringList();
        QTest::newRow("every check, error code 18, open readings") << 16 + 32 + 64 + 128 + 2 << 18 << 12 << 0
            << Top + QStringList{
                   "Maximum Contact Down Value open ohms open", "Minimum Contact Down Value 108.3 ohms 51.4",
                   "Maximum Contact Down Bounce 0.001600 seconds 0.004800", "Last Contact Down Value 243.0 ohms",
                   "Last Contact Down Bounce 0.000800 seconds", "Last Contact Down Time 0.042 seconds", "",
                   "Maximum Contact Up Value 414.9 ohms 642.1", "Minimum Contact Up Value 9.9 ohms 4.9",
                   "Maximum Contact Up Bounce 0.003200 seconds 0.006400", "Last Contact Up Value 19.9 ohms",
                   "Last Contact Up Bounce 0.000400 seconds", "Last Contact Up Time 0.055 seconds", "",
                   "Cumulative Errors", "Initial Down Contact Condition Fail", "Maximum Down Contact Condition Fail",
                   "Minimum Down Contact Condition Pass", "Maximum Down Bounce Condition Pass", "",
                   "Initial Up Contact Condition Pass", "Maximum Up Contact Condition Pass",
                   "Minimum Up Contact Condition Pass", "Maximum Up Bounce Condition Pass", "", "Maximum Minimum", "",
                   "Down Stroke Time 1.500 seconds 0.010", "Up Stroke Time 2.000 seconds 0.020",
                   // A threshold is a quarter of the reading count at which the tester switches.
                   "Bounce Thresholds 1017.8 ohms 158.6", "", "Contact Type Normally Closed",
                   "Measurement Method 1000 ohms Pullup Mode"}
            << QStringList();
        QTest::newRow("down only") << 16 + 1 << 0 << 12 << 0
            << QStringList{"Up Stroke Time 2.000 seconds 2.000", "Contact Type Normally Open"}
            << QStringList{"Maximum Contact Up", "Initial Up", "Bounce Thresholds", "Maximum Contact Down Bounce"};
        QTest::newRow("down bounce, software 1.1") << 16 + 64 << 0 << 11 << 0
            << QStringList{"Maximum Contact Down Bounce 0.001600 seconds 0.004800",
                           "Maximum Down Bounce Condition Pass", "Bounce Thresholds 1017.8 ohms 158.6"}
            << QStringList{"Last Contact Down Bounce"};
        QTest::newRow("up bounce bit without up check") << 16 + 128 + 3 << 0 << 12 << 0
            << QStringList{"Contact Type Alternate Action"}
            << QStringList{"Maximum Contact Up", "Maximum Up Bounce", "Bounce Thresholds"};
        QTest::newRow("contact type 5, mode 3") << 16 + 5 << 0 << 12 << 3
            << QStringList{"Contact Type Unknown", "Measurement Method ---- ??? ??? Mode"} << QStringList();
    }

    void lines()
    {
        QFETCH(int, contact);
        QFETCH(int, errorCode);
        QFETCH(int, version);
        QFETCH(int, mode);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);

        Rig rig;
        fill(rig.s, contact, errorCode, version, mode);
        const QStringList page = rig.exported().lines();
        if (expected.first() == Top.first())
            QCOMPARE(page, expected);
        for (const QString &line : expected)
            QVERIFY2(page.contains(line), qPrintable(line));
        for (const QString &start : absent)
            for (const QString &line : page)
                QVERIFY2(!line.startsWith(start), qPrintable(line));
        QVERIFY(rig.dialogs.calls.isEmpty());
    }

    // Columns in twips from the printable area's top left: its width is the
    // page width (a PDF has no unprintable border; a printer's margins are).
    void positions_data()
    {
        QTest::addColumn<int>("setupChoice");   // 0: no print setup, 1 portrait, 2 landscape
        QTest::addColumn<double>("margin");     // printer margins in twips; -1: Export PDF
        QTest::addColumn<double>("top");

        QTest::newRow("PDF, printer's orientation") << 0 << -1.0 << 1440.0;
        QTest::newRow("PDF after landscape setup") << 2 << -1.0 << 720.0;
        QTest::newRow("print to file, half-inch margins") << 1 << 720.0 << 1440.0;
        QTest::newRow("print to file, landscape") << 2 << 360.0 << 720.0;
    }

    void positions()
    {
        QFETCH(int, setupChoice);
        QFETCH(double, margin);
        QFETCH(double, top);

        Rig rig;
        fill(rig.s, 16 + 32, 0, 12, 0);
        if (setupChoice) {
            rig.printDialogs->chosen = setupChoice == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
            rig.menus.FilePrintSetupMenu->trigger();
            QCOMPARE(rig.s.AppOrientation, setupChoice);
        }
        std::optional<PdfPage> pdf;
        if (margin < 0) {
            pdf.emplace(rig.exported());
        } else {
            rig.report->printer().setOutputFileName(rig.path("printed.pdf"));
            rig.report->printer().setPageMargins(QMarginsF(margin, margin, margin, margin) / 20, QPageLayout::Point);
            rig.menus.FilePrintMenu->trigger();
            pdf.emplace(rig.path("printed.pdf"));
            QCOMPARE(rig.report->printer().pageLayout().orientation() == QPageLayout::Landscape, setupChoice == 2);
        }
        QCOMPARE(rig.dialogs.calls, QStringList());
        const double m = std::max(margin, 0.0);
        const double width = pdf->width - 2 * m, centre = width / 2, value = centre * 1.3;
        const Word &title = pdf->word("Model"), &results = pdf->word("Results");
        const struct { double at, expected; } checks[] = {
            {title.y0, m + top},
            {(title.x0 + results.x1) / 2, m + centre},
            {pdf->word("Total").x0, m + 1440},
            {pdf->word("Value").x1, m + value},
            {pdf->word("Tolerance").x1, m + width - 1440},
            {pdf->word("ohms").x0, m + value + 140},
            {pdf->word("Initial").x0, m + 1440 + 300},
        };
        for (const auto &check : checks)
            QVERIFY2(std::abs(check.at - check.expected) < 3,
                     qPrintable(QStringLiteral("%1 instead of %2").arg(check.at).arg(check.expected)));
    }

    void setupTakesTheOrientationEvenWhenCancelled()
    {
        Rig rig;
        rig.report->printer().setPageOrientation(QPageLayout::Landscape);
        rig.menus.FilePrintSetupMenu->trigger();
        QCOMPARE(rig.s.AppOrientation, 2);
        QCOMPARE(rig.report->printer().pageLayout().orientation(), QPageLayout::Landscape);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("how");   // "print", "print to file" or "export"
        QTest::addColumn<QString>("message");

        QTest::newRow("no printer installed") << "print" << "No printer is installed, so the report was not printed.";
        QTest::newRow("file cannot be printed to") << "print to file"
            << "The report could not be written to /no/such/folder/r.pdf.";
        QTest::newRow("PDF cannot be written") << "export" << "The report could not be written to /no/such/folder/r.pdf.";
    }

    void failures()
    {
        QFETCH(QString, how);
        QFETCH(QString, message);
        if (how == QLatin1String("print") && !QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("a printer is installed here: this would print a page");

        Rig rig;
        fill(rig.s, 16, 0, 12, 0);
        rig.printDialogs->pdfPath = QStringLiteral("/no/such/folder/r.pdf");
        if (how == QLatin1String("print to file"))
            rig.report->printer().setOutputFileName(rig.printDialogs->pdfPath);
        (how == QLatin1String("export") ? rig.report->FileExportPdfMenu : rig.menus.FilePrintMenu)->trigger();
        QCOMPARE(rig.dialogs.calls, QStringList{"error:Print Error|" + message});
    }

    void newItemsFollowPrint()
    {
        Rig rig;
        for (bool enabled : {false, true}) {
            rig.menus.FilePrintMenu->setEnabled(enabled);
            QCOMPARE(rig.report->FilePrintPreviewMenu->isEnabled(), enabled);
            QCOMPARE(rig.report->FileExportPdfMenu->isEnabled(), enabled);
        }
    }

    // Qt's own preview draws the page even on a machine with no printer; its
    // print dialog serves as the setup, its accept button saying what it does.
    void qtDialogs()
    {
        TesterState s;
        fill(s, 16, 0, 12, 0);
        QMainWindow window;
        MainMenus menus(window);
        FakeMessageDialogs dialogs;
        ReportController report(menus, s, dialogs, std::make_unique<QtPrintDialogs>());
        int pages = -1;
        QString setupTitle, setupAccept;
        ModalAnswerer answerer;
        answerer.then([&pages](QDialog *dialog) {
            pages = dialog->findChild<QPrintPreviewWidget *>()->pageCount();
            dialog->reject();
        });
        answerer.then([&](QDialog *dialog) {
            setupTitle = dialog->windowTitle();
            setupAccept = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->text();
            dialog->reject();
        });
        report.FilePrintPreviewMenu->trigger();
        menus.FilePrintSetupMenu->trigger();
        QCOMPARE(pages, 1);
        QCOMPARE(s.LMargin, 1440.0f);
        QCOMPARE(setupTitle + u'|' + setupAccept, QStringLiteral("Print Setup|OK"));
        QCOMPARE(s.AppOrientation, 1);
        QCOMPARE(dialogs.calls, QStringList());
    }
};

QTEST_MAIN(ReportTest)
#include "ReportTest.moc"

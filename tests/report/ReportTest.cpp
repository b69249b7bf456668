// The test results page, rendered to PDF and read back with pdftotext: which
// lines it holds, where they stand, and what the operator hears when a print fails.

#include "mainwindow/MainMenus.h"
#include "report/QtPrintDialogs.h"
#include "report/ReportController.h"
#include "state/TesterState.h"
#include "support/FakeMessageDialogs.h"
#include "support/ModalAnswerer.h"

#include <QAction>
#include <QMainWindow>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

struct FakePrintDialogs : PrintDialogs
{
    bool printSetup(QPrinter &printer) override { printer.setPageOrientation(chosen); return true; }
    void preview(QPrinter &, const std::function<void(QPrinter &)> &) override {}
    QString pdfFileName(const QString &) override { return pdfPath; }
    QPageLayout::Orientation chosen = QPageLayout::Portrait;
    QString pdfPath;
};

QByteArray pdftotext(const QString &option, const QString &path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {option, path, QStringLiteral("-")});
    tool.waitForFinished();
    return tool.readAllStandardOutput();
}

// The page's lines, each word parted by one space, empty lines kept.
QStringList pageLines(const QString &path)
{
    QStringList lines;
    for (const QByteArray &line : pdftotext(QStringLiteral("-layout"), path).split('\n'))
        lines << QString::fromUtf8(line).simplified();
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// The first box of each word: left, top, right edge and page width, in twips from the paper's top left.
QMap<QString, QList<double>> wordBoxes(const QString &path)
{
    const QString html = QString::fromUtf8(pdftotext(QStringLiteral("-bbox"), path));
    const QRegularExpression page(QString::fromLatin1(R"re(<page width="([\d.]+)")re"));
    const QRegularExpression word(
        QString::fromLatin1(R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)"[^>]*>([^<]*)<)re"));
    const double width = page.match(html).captured(1).toDouble() * 20;
    QMap<QString, QList<double>> boxes;
    for (auto words = word.globalMatch(html); words.hasNext();) {
        const QRegularExpressionMatch w = words.next();
        const auto twips = [&w](int i) { return w.captured(i).toDouble() * 20; };
        if (!boxes.contains(w.captured(4))) boxes.insert(w.captured(4), {twips(1), twips(2), twips(3), width});
    }
    return boxes;
}

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
        s.vContact = contact, s.vErrorCode = errorCode, s.vSoftwareVersion = version, s.vRMode = mode;
        s.vRPullUp = 1000, s.vSerialNumber = QStringLiteral("41800123");
        s.vUpdateTime = QDateTime(QDate(2026, 3, 4), QTime(13, 5, 9));
        s.CycleCount = 1234, s.vCycleLimit = 100000, s.FailCount = 3, s.vFailLimit = 50;
        s.SeqCount = 1, s.vSeqLimit = 10;
        s.vMaxDownResistance = 1023, s.vMaxDownResistTol = 1023, s.vMinDownResistance = 100, s.vMinDownResistTol = 50;
        s.vLastMeasuredDownResist = 200, s.vMaxDownBounce = 1000, s.vMaxDownBounceTol = 3000;
        s.vLastDownBounceTime = 500, s.vLastDownStrokeTime = 42;
        s.vMaxUpResistance = 300, s.vMaxUpResistTol = 400, s.vMinUpResistance = 10, s.vMinUpResistTol = 5;
        s.vLastMeasuredUpResist = 20, s.vMaxUpBounce = 2000, s.vMaxUpBounceTol = 4000;
        s.vLastUpBounceTime = 250, s.vLastUpStrokeTime = 55;
        s.vMaxDownTime = 1500, s.vMinDownTime = 10, s.vMaxUpTime = 2000, s.vMinUpTime = 20;
        s.vUpperBounce = 129, s.vLowerBounce = 35;
    }

    QTemporaryDir dir;
    QMainWindow window;
    MainMenus menus;
    TesterState s;
    FakeMessageDialogs dialogs;
    FakePrintDialogs *printDialogs;
    std::unique_ptr<ReportController> report;
};

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
        QTest::addColumn<QList<int>>("tester");      // contact, error code, software version, mode
        QTest::addColumn<QStringList>("expected");   // the whole page when it begins with the title
        QTest::addColumn<QStringList>("absent");     // beginnings of lines that must not be there

        QTest::newRow("no stroke tested") << QList<int>{0, 0, 12, 0}
            << Top + QStringList{"Down Stroke Time 1.500 seconds", "Up Stroke Time 2.000 seconds"} << QStringList();
        QTest::newRow("every check, error code 18, open readings") << QList<int>{16 + 32 + 64 + 128 + 2, 18, 12, 0}
            << Top + QStringList{"Maximum Contact Down Value open ohms open",
                   "Minimum Contact Down Value 108.3 ohms 51.4",
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
                   "Measurement Method 1000 ohms Pullup Mode"} << QStringList();
        QTest::newRow("down only") << QList<int>{16 + 1, 0, 12, 0}
            << QStringList{"Up Stroke Time 2.000 seconds 2.000", "Contact Type Normally Open"}
            << QStringList{"Maximum Contact Up", "Initial Up", "Bounce Thresholds", "Maximum Contact Down Bounce"};
        QTest::newRow("down bounce, software 1.1") << QList<int>{16 + 64, 0, 11, 0}
            << QStringList{"Maximum Contact Down Bounce 0.001600 seconds 0.004800",
                           "Maximum Down Bounce Condition Pass"}
            << QStringList{"Last Contact Down Bounce"};
        QTest::newRow("contact type 5, mode 3") << QList<int>{16 + 5, 0, 12, 3}
            << QStringList{"Contact Type Unknown", "Measurement Method ---- ??? ??? Mode"} << QStringList();
    }

    void lines()
    {
        QFETCH(QList<int>, tester);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);

        Rig rig(tester[0], tester[1], tester[2], tester[3]);
        rig.report->FileExportPdfMenu->trigger();
        const QStringList page = pageLines(rig.printDialogs->pdfPath);
        if (expected.first() == Top.first())
            QCOMPARE(page, expected);
        for (const QString &line : expected)
            QVERIFY2(page.contains(line), qPrintable(line));
        for (const QString &line : page)
            for (const QString &start : absent)
                QVERIFY2(!line.startsWith(start), qPrintable(line));
    }

    // Where the page lands, in twips from the printable area's top left, whose width is the
    // page width (a PDF has no unprintable border, a printer's margins are one), or what failed.
    void outputs_data()
    {
        QTest::addColumn<int>("setup");          // 0: no print setup, 1 portrait, 2 landscape
        QTest::addColumn<QString>("target");     // Export PDF, Print to a file with half-inch margins, Print
        QTest::addColumn<QString>("folder");     // of the PDF; empty: a temporary one
        QTest::addColumn<QString>("outcome");    // the top of the page, or the Print Error text

        const QString unwritable = QStringLiteral("The report could not be written to /no/such/folder/report.pdf.");
        QTest::newRow("PDF, printer's orientation") << 0 << "export" << "" << "1440";
        QTest::newRow("PDF after landscape setup") << 2 << "export" << "" << "720";
        QTest::newRow("print to file, portrait setup") << 1 << "file" << "" << "1440";
        QTest::newRow("print to file, landscape setup") << 2 << "file" << "" << "720";
        QTest::newRow("no printer installed") << 0 << "print" << ""
            << "No printer is installed, so the report was not printed.";
        QTest::newRow("file cannot be printed to") << 0 << "file" << "/no/such/folder" << unwritable;
        QTest::newRow("PDF cannot be written") << 0 << "export" << "/no/such/folder" << unwritable;
    }

    void outputs()
    {
        QFETCH(int, setup);
        QFETCH(QString, target);
        QFETCH(QString, folder);
        QFETCH(QString, outcome);
        if (target == QLatin1String("print") && !QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("a printer is installed here: this would print a page");

        Rig rig(16 + 32);
        if (!folder.isEmpty()) rig.printDialogs->pdfPath = folder + QStringLiteral("/report.pdf");
        rig.printDialogs->chosen = setup == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
        if (setup) rig.menus.FilePrintSetupMenu->trigger();
        QCOMPARE(rig.s.AppOrientation, setup ? setup : -8);
        const double m = target == QLatin1String("file") ? 720 : 0;
        if (m > 0) {
            rig.report->printer().setOutputFileName(rig.printDialogs->pdfPath);
            rig.report->printer().setPageMargins(QMarginsF(m, m, m, m) / 20, QPageLayout::Point);
        }
        (target == QLatin1String("export") ? rig.report->FileExportPdfMenu : rig.menus.FilePrintMenu)->trigger();
        bool printed = false;
        const double top = outcome.toDouble(&printed);
        QCOMPARE(rig.dialogs.calls, printed ? QStringList() : QStringList{"error:Print Error|" + outcome});
        if (!printed) return;

        const auto box = wordBoxes(rig.printDialogs->pdfPath);
        const double width = box["Model"][3] - 2 * m, value = width / 2 * 1.3;
        const QList<double> at = {box["Model"][1], (box["Model"][0] + box["Results"][2]) / 2, box["Total"][0],
                                  box["Value"][2], box["Tolerance"][2], box["ohms"][0], box["Initial"][0]};
        const QList<double> expected = {top, width / 2, 1440, value, width - 1440, value + 140, 1440 + 300};
        for (int i = 0; i < at.size(); ++i)
            QVERIFY2(std::abs(at[i] - m - expected[i]) < 3, qPrintable(QString::number(i)));
    }

    // Qt's preview draws the page on a machine with no printer, and is there whenever Print is.
    void preview()
    {
        Rig rig(16);
        ReportController report(rig.menus, rig.s, rig.dialogs, std::make_unique<QtPrintDialogs>());
        rig.menus.FilePrintMenu->setEnabled(false);
        QVERIFY(!report.FilePrintPreviewMenu->isEnabled() && !report.FileExportPdfMenu->isEnabled());
        rig.menus.FilePrintMenu->setEnabled(true);
        int pages = 0;
        ModalAnswerer answerer;
        answerer.then([&pages](QDialog *dialog) {
            pages = dialog->findChild<QPrintPreviewWidget *>()->pageCount();
            dialog->reject();
        });
        report.FilePrintPreviewMenu->trigger();
        QCOMPARE(pages, 1);
        QCOMPARE(rig.dialogs.calls, QStringList());
    }
};

QTEST_MAIN(ReportTest)
#include "ReportTest.moc"

#include "features/report/ReportController.h"

#include "engine/report/RunReportModel.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/TesterState.h"
#include "features/report/PrintDialogs.h"
#include "features/report/ReportPage.h"
#include "ui/MainMenus.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace {

constexpr int PdfResolution = 1200;   // dots per inch

QString notWritten(const QString &path)
{
    return QStringLiteral("The report could not be written to ") + QDir::toNativeSeparators(path) + u'.';
}

QString printerNamed(const QPrinter &printer)
{
    return printer.printerName().isEmpty() ? QStringLiteral("The printer")
                                           : QStringLiteral("The printer ") + printer.printerName();
}

QAction *menuEntry(QMenu *menu, QAction *before, const char *name, const char *caption)
{
    auto *action = new QAction(QString::fromLatin1(caption), menu);
    action->setObjectName(QString::fromLatin1(name));
    menu->insertAction(before, action);
    return action;
}

}   // namespace

ReportController::ReportController(MainMenus &menus, TesterState &state, MessageDialogs &dialogs,
                                   std::unique_ptr<PrintDialogs> printDialogs, QObject *parent)
    : QObject(parent), s(state), dialogs(dialogs), printDialogs(std::move(printDialogs))
{
    filePrintPreview = menuEntry(menus.fileMenu, menus.filePrintSetup, "FilePrintPreviewMenu", "Print Pre&view...");
    fileExportPdf = menuEntry(menus.fileMenu, menus.filePrintSetup, "FileExportPdfMenu", "&Export PDF...");

    // The preview and the PDF show what Print would print, so they are there when Print is.
    QAction *print = menus.filePrint;
    for (QAction *follower : {filePrintPreview, fileExportPdf}) {
        follower->setEnabled(print->isEnabled());
        connect(print, &QAction::enabledChanged, follower, &QAction::setEnabled);
    }

    connect(print, &QAction::triggered, this, [this] { printReport(); });
    connect(menus.filePrintSetup, &QAction::triggered, this, [this] { setUpPrinter(); });
    connect(filePrintPreview, &QAction::triggered, this, [this] { previewReport(); });
    connect(fileExportPdf, &QAction::triggered, this, [this] { exportReportPdf(); });
}

ReportController::~ReportController() = default;

QPageLayout::Orientation ReportController::reportOrientation() const
{
    // Until Print Setup has been used the printer keeps its own orientation.
    return setupOrientation.value_or(currentPrinter.pageLayout().orientation());
}

void ReportController::printReport()
{
    currentPrinter.setPageOrientation(reportOrientation());
    showFailure(printOn(currentPrinter));
}

void ReportController::setUpPrinter()
{
    printDialogs->printSetup(currentPrinter);
    // Taken whether the dialog was accepted or not: from now on the report
    // sets this orientation itself.
    setupOrientation = currentPrinter.pageLayout().orientation();
}

void ReportController::previewReport()
{
    currentPrinter.setPageOrientation(reportOrientation());
    printDialogs->preview(currentPrinter, [this](QPrinter &target) { showFailure(printOn(target)); });
}

void ReportController::exportReportPdf()
{
    QString serial = runReport ? runReport->serialNumber : s.identity.serialNumber;
    serial.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")));
    const QString title = runReport ? QStringLiteral("Test Report") : QStringLiteral("Test Results");
    const QString run = runReport ? QStringLiteral(" run %1").arg(runReport->runId) : QString();
    const QString path = printDialogs->pdfFileName(title + (serial.isEmpty() ? QString() : u' ' + serial) + run
                                                   + QStringLiteral(".pdf"));
    if (!path.isEmpty())
        showFailure(writePdf(path));
}

void ReportController::previewRunReport(const RunReportData &run, const TrendHistory &trend)
{
    runReportOn(run, trend, &ReportController::previewReport);
}

void ReportController::printRunReport(const RunReportData &run, const TrendHistory &trend)
{
    // A report of many pages goes out only once the printer has been chosen.
    if (!printDialogs->printSetup(currentPrinter))
        return;
    setupOrientation = currentPrinter.pageLayout().orientation();
    runReportOn(run, trend, &ReportController::printReport);
}

void ReportController::exportRunReportPdf(const RunReportData &run, const TrendHistory &trend)
{
    runReportOn(run, trend, &ReportController::exportReportPdf);
}

void ReportController::runReportOn(const RunReportData &run, const TrendHistory &trend,
                                   void (ReportController::*show)())
{
    runReport = &run;
    runTrend = &trend;
    (this->*show)();
    runReport = nullptr;
    runTrend = nullptr;
}

QString ReportController::writePdf(const QString &path)
{
    QPdfWriter writer(path);
    writer.setResolution(PdfResolution);
    writer.setTitle(runReport ? QStringLiteral("Model 418C Test Report") : QStringLiteral("Model 418C Test Results"));
    writer.setCreator(QStringLiteral("Model 418C Life Cycle Tester"));
    // A PDF has no unprintable border: the margins of the page are the report's own.
    writer.setPageLayout(QPageLayout(currentPrinter.pageLayout().pageSize(), reportOrientation(), QMarginsF()));
    return compose(writer, notWritten(path), notWritten(path));
}

QString ReportController::printOn(QPrinter &printer)
{
    // Print to file; with no printer installed the printer is a nameless file.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        const QString failure = notWritten(printer.outputFileName());
        return compose(printer, failure, failure);
    }
    // A machine with no printer still hands out a printer object; only
    // starting the page tells that nothing will come out.
    const QString refused =
        QPrinterInfo::availablePrinters().isEmpty()
            ? QStringLiteral("No printer is installed, so the report was not printed.")
            : printerNamed(printer) + QStringLiteral(" could not start the report, so it was not printed.");
    const QString printerError =
        printerNamed(printer) + QStringLiteral(" reported an error, so the report may not have printed.");
    const QString failure = compose(printer, refused, printerError);
    if (failure.isEmpty() && printer.printerState() == QPrinter::Error)
        return printerError;
    return failure;
}

QString ReportController::compose(QPagedPaintDevice &device, const QString &beginFailure, const QString &endFailure)
{
    QPainter painter;
    if (!painter.begin(&device))
        return beginFailure;
    composeOn(painter, device);
    return painter.end() ? QString() : endFailure;
}

// The one place the pages are drawn, for the preview, the printer and the PDF alike.
void ReportController::composeOn(QPainter &painter, QPagedPaintDevice &device)
{
    if (runReport)
        composeRunReport(painter, device, *runReport, *runTrend, chartPainter);
    else
        composeReport(painter, s, device.pageLayout().orientation() == QPageLayout::Landscape);
}

void ReportController::showFailure(const QString &failure)
{
    if (!failure.isEmpty())
        dialogs.showError(QStringLiteral("Print Error"), failure);
}

#pragma once

#include "features/report/RunReportPainter.h"

#include <QObject>
#include <QPrinter>
#include <functional>
#include <memory>
#include <optional>

class MainMenus;
class MessageDialogs;
class PrintDialogs;
class QAction;
class QPagedPaintDevice;
class QPainter;
struct RunReportData;
struct TesterState;

// File Print, Print Setup, Print Preview and Export PDF: the test results
// page of the tester's latest data on the current printer, in a preview or
// in a PDF file. A print that fails says so in a "Print Error" message.
class ReportController : public QObject
{
public:
    ReportController(MainMenus &menus, TesterState &state, MessageDialogs &dialogs,
                     std::unique_ptr<PrintDialogs> printDialogs, QObject *parent = nullptr);
    ~ReportController() override;

    QAction *filePrintPreview, *fileExportPdf;

    QPrinter &printer() { return currentPrinter; }
    // The orientation Print Setup chose; none before it was first used.
    std::optional<QPageLayout::Orientation> chosenOrientation() const { return setupOrientation; }

    void printReport();
    void setUpPrinter();
    void previewReport();
    void exportReportPdf();
    // The test report of an archived run, in the preview, on the printer
    // (chosen first in the print setup) or in a PDF file: the same pages on each.
    void setChartPainter(RunChartPainter painter) { chartPainter = std::move(painter); }
    void previewRunReport(const RunReportData &run, const TrendHistory &trend);
    void printRunReport(const RunReportData &run, const TrendHistory &trend);
    void exportRunReportPdf(const RunReportData &run, const TrendHistory &trend);

    // Writes the page to a PDF file of the printer's paper size, with no
    // unprintable border. Empty when written, otherwise what failed.
    QString writePdf(const QString &path);

private:
    QPageLayout::Orientation reportOrientation() const;
    QString printOn(QPrinter &printer);
    QString compose(QPagedPaintDevice &device, const QString &beginFailure, const QString &endFailure);
    void showFailure(const QString &failure);

    void runReportOn(const RunReportData &run, const TrendHistory &trend, void (ReportController::*show)());
    void composeOn(QPainter &painter, QPagedPaintDevice &device);

    TesterState &s;
    // While a run's test report is shown, printed or written: the run and its trend.
    const RunReportData *runReport = nullptr;
    const TrendHistory *runTrend = nullptr;
    RunChartPainter chartPainter;
    MessageDialogs &dialogs;
    std::unique_ptr<PrintDialogs> printDialogs;
    QPrinter currentPrinter{QPrinter::HighResolution};
    std::optional<QPageLayout::Orientation> setupOrientation;
};

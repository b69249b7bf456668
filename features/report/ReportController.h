#pragma once

#include <QObject>
#include <QPrinter>
#include <memory>
#include <optional>

class MainMenus;
class MessageDialogs;
class PrintDialogs;
class QAction;
class QPagedPaintDevice;
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
    // The same page for a run of the archive: its last sample.
    void previewOf(const TesterState &run);
    void exportPdfOf(const TesterState &run);

    // Writes the page to a PDF file of the printer's paper size, with no
    // unprintable border. Empty when written, otherwise what failed.
    QString writePdf(const QString &path);

private:
    QPageLayout::Orientation reportOrientation() const;
    QString printOn(QPrinter &printer);
    QString compose(QPagedPaintDevice &device, const QString &beginFailure, const QString &endFailure);
    void showFailure(const QString &failure);

    void reportOn(const TesterState &run, void (ReportController::*show)());

    TesterState &s;
    TesterState *reported;   // the tester's state, or the run's below
    std::unique_ptr<TesterState> runState;
    MessageDialogs &dialogs;
    std::unique_ptr<PrintDialogs> printDialogs;
    QPrinter currentPrinter{QPrinter::HighResolution};
    std::optional<QPageLayout::Orientation> setupOrientation;
};

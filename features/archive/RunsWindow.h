#pragma once

#include "engine/archive/RunCatalog.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class MessageDialogs;
class QDateEdit;
class QLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TrendHistory;

// View, Runs...: the runs in the archive, newest first, with the tester's
// serial number, start, end, cycles, failures and how each ended, filtered
// by serial number and start date. For the chosen run: its trend, its
// report on its last sample, and its data log file.
class RunsWindow : public QDialog
{
public:
    // What the window does with a run; the main window hands in its trend
    // and report, tests hand in stand-ins.
    struct Actions
    {
        std::function<void(TrendHistory &&history, const QString &title)> showTrend;
        std::function<void(const TesterState &lastSample)> previewReport;
        std::function<void(const TesterState &lastSample)> exportReportPdf;
        std::function<QString(const QString &suggestedName)> chooseDataLogFile;   // empty: cancelled
    };

    RunsWindow(RunCatalog &catalog, MessageDialogs &dialogs, Actions actions, QWidget *parent = nullptr);

    // Reads the list again with the filter as it stands.
    void refresh();
    const std::vector<RunSummary> &shownRuns() const { return runs; }
    void selectRun(int row);

    void trendOfRun();
    void previewReportOfRun();
    void exportPdfOfRun();
    void exportDataLogOfRun();

    QLineEdit *serialFilter;
    QDateEdit *fromDate, *toDate;
    QTableWidget *runTable;
    QPushButton *trendButton, *previewButton, *pdfButton, *exportButton;

private:
    QLayout *buildFilters();
    void buildRunTable();
    QLayout *buildRunButtons();
    const RunSummary *chosenRun() const;
    bool lastSampleOfRun(TesterState &last);
    void showFailure(const QString &failure);
    void enableRunButtons();

    RunCatalog &catalog;
    MessageDialogs &dialogs;
    Actions actions;
    std::vector<RunSummary> runs;
};

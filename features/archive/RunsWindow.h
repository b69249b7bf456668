#pragma once

#include "engine/archive/RunCatalog.h"

#include <QDialog>
#include <memory>
#include <vector>

class MessageDialogs;
class QLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TrendHistory;
struct RunReportData;

// View, Runs...: the runs in the archive, newest first, with the tester's
// serial number, the station, start, end, cycles, failures and how each
// ended (sorted by any column), filtered by serial number and start date. For the chosen run: its trend, its
// test report (previewed, printed or as PDF), and its data log file.
class RunsWindow : public QDialog
{
public:
    // What the window does with a run; the main window hands in its trend
    // and report, tests hand in stand-ins.
    class Actions
    {
    public:
        virtual ~Actions() = default;
        virtual void showTrend(TrendHistory &&history, const QString &title) = 0;
        virtual void previewReport(const RunReportData &run, const TrendHistory &trend) = 0;
        virtual void printReport(const RunReportData &run, const TrendHistory &trend) = 0;
        virtual void exportReportPdf(const RunReportData &run, const TrendHistory &trend) = 0;
        virtual QString chooseDataLogFile(const QString &suggestedName) = 0;   // empty: cancelled
    };

    RunsWindow(RunCatalog &catalog, MessageDialogs &dialogs, std::unique_ptr<Actions> actions,
               QWidget *parent = nullptr);

    // Reads the list again with the filter as it stands.
    void refresh();
    const std::vector<RunSummary> &shownRuns() const { return runs; }
    void selectRun(int row);

    void trendOfRun();
    void previewReportOfRun();
    void printReportOfRun();
    void exportPdfOfRun();
    void exportDataLogOfRun();

    QLineEdit *serialFilter;
    // Start dates as typed, empty for any: a date field cannot be empty,
    // and its sections rewrite what is typed into them.
    QLineEdit *fromDate, *toDate;
    QPushButton *lastWeekButton;
    QTableWidget *runTable;
    QPushButton *trendButton, *previewButton, *pdfButton, *printButton, *exportButton;

    void showLastWeek();

private:
    QLayout *buildFilters();
    QLineEdit *dateFilter(const char *name);
    QDate filterDate(QLineEdit *field);
    void buildRunTable();
    QLayout *buildRunButtons();
    const RunSummary *chosenRun() const;
    // Reads the chosen run's report and hands it to `act`.
    void reportOfRun(void (Actions::*act)(const RunReportData &, const TrendHistory &));
    void showFailure(const QString &failure);
    void enableRunButtons();

    RunCatalog &catalog;
    MessageDialogs &dialogs;
    std::unique_ptr<Actions> actions;
    std::vector<RunSummary> runs;
};

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
// serial number, the station, start, end, cycles, failures, how each ended
// and what was tested (sorted by any column), filtered by serial number and
// start date. For the chosen run: its trend, its test report (previewed,
// printed or as PDF), its data log file, and what was tested, entered in a
// dialog of its own (the notes run to several lines, more than a cell shows).
class RunsWindow : public QDialog
{
public:
    // What the window does with a run; the main window hands in its trend
    // and report, tests hand in stand-ins.
    class Actions
    {
    public:
        virtual ~Actions() = default;
        // id: the run's, to read its data log lines again.
        virtual void showTrend(TrendHistory &&history, const QString &title, qint64 id) = 0;
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
    void editDetailsOfRun();

    QLineEdit *serialFilter;
    // Start dates as typed, empty for any: a date field cannot be empty,
    // and its sections rewrite what is typed into them.
    QLineEdit *fromDate, *toDate;
    QPushButton *lastWeekButton;
    QTableWidget *runTable;
    QPushButton *trendButton, *previewButton, *pdfButton, *printButton, *exportButton, *detailsButton;

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
    void selectRunById(qint64 id);

    RunCatalog &catalog;
    MessageDialogs &dialogs;
    std::unique_ptr<Actions> actions;
    std::vector<RunSummary> runs;
};

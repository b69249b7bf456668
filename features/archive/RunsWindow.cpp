#include "features/archive/RunsWindow.h"

#include "engine/archive/RunFileLog.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "ui/ControlNames.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The earliest date of the filter stands for "any date".
const QDate AnyDate(2000, 1, 1);

QDateEdit *dateFilter(const char *name, QWidget *parent)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setMinimumDate(AnyDate);
    edit->setSpecialValueText(QStringLiteral("any"));
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setDate(AnyDate);
    return edit;
}

QString shownTime(const QDateTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

}   // namespace

RunsWindow::RunsWindow(RunCatalog &catalog, MessageDialogs &dialogs, std::unique_ptr<Actions> actions, QWidget *parent)
    : QDialog(parent), catalog(catalog), dialogs(dialogs), actions(std::move(actions))
{
    setObjectName("RunsWindow");
    setWindowTitle(QStringLiteral("Runs"));
    resize(760, 420);

    QLayout *filters = buildFilters();
    buildRunTable();
    QLayout *buttons = buildRunButtons();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(runTable, 1);
    layout->addLayout(buttons);
    refresh();
}

// The serial number and the start dates the list is filtered by.
QLayout *RunsWindow::buildFilters()
{
    auto *filters = new QGridLayout;
    const auto labelled = [this, filters](const QString &caption, QWidget *field, const QString &tip, int column) {
        auto *label = new QLabel(caption, this);
        labelField(label, field, tip);
        filters->addWidget(label, 0, column);
        filters->addWidget(field, 0, column + 1);
    };
    serialFilter = new QLineEdit(this);
    serialFilter->setObjectName("SerialFilter");
    labelled(QStringLiteral("&Serial number:"), serialFilter,
             QStringLiteral("Runs of testers whose serial number holds this"), 0);
    fromDate = dateFilter("FromDate", this);
    labelled(QStringLiteral("&From:"), fromDate, QStringLiteral("Runs started on or after this date"), 2);
    toDate = dateFilter("ToDate", this);
    labelled(QStringLiteral("&To:"), toDate, QStringLiteral("Runs started on or before this date"), 4);
    connect(serialFilter, &QLineEdit::textChanged, this, [this] { refresh(); });
    connect(fromDate, &QDateEdit::dateChanged, this, [this] { refresh(); });
    connect(toDate, &QDateEdit::dateChanged, this, [this] { refresh(); });
    return filters;
}

void RunsWindow::buildRunTable()
{
    runTable = new QTableWidget(0, 7, this);
    runTable->setObjectName("RunTable");
    describeControl(runTable, QStringLiteral("Runs"), QStringLiteral("The archive's runs, newest first"));
    runTable->setHorizontalHeaderLabels({QStringLiteral("Run"), QStringLiteral("S/N"), QStringLiteral("Start"),
                                         QStringLiteral("End"), QStringLiteral("Cycles"), QStringLiteral("Failures"),
                                         QStringLiteral("Ended")});
    runTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    runTable->setSelectionMode(QAbstractItemView::SingleSelection);
    runTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    runTable->verticalHeader()->hide();
    runTable->horizontalHeader()->setStretchLastSection(true);
    connect(runTable, &QTableWidget::itemSelectionChanged, this, [this] { enableRunButtons(); });
}

// What can be done with the chosen run.
QLayout *RunsWindow::buildRunButtons()
{
    const auto button = [this](const char *name, const QString &caption, const QString &tip,
                               void (RunsWindow::*act)()) {
        auto *b = captionedControl<QPushButton>(name, caption, tip, this);
        connect(b, &QPushButton::clicked, this, act);
        return b;
    };
    trendButton = button("TrendButton", QStringLiteral("T&rend"), QStringLiteral("The run in the Trend window"),
                         &RunsWindow::trendOfRun);
    previewButton = button("PreviewButton", QStringLiteral("Print Pre&view..."),
                           QStringLiteral("The report of the run's last sample"), &RunsWindow::previewReportOfRun);
    pdfButton =
        button("PdfButton", QStringLiteral("Export P&DF..."),
               QStringLiteral("The report of the run's last sample as a PDF file"), &RunsWindow::exportPdfOfRun);
    exportButton = button("ExportButton", QStringLiteral("&Export Data Log..."),
                          QStringLiteral("The run as a data log file, as live logging writes it"),
                          &RunsWindow::exportDataLogOfRun);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {trendButton, previewButton, pdfButton, exportButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    return buttons;
}

void RunsWindow::refresh()
{
    RunFilter filter;
    filter.serialNumber = serialFilter->text();
    if (fromDate->date() != AnyDate)
        filter.from = fromDate->date();
    if (toDate->date() != AnyDate)
        filter.to = toDate->date();
    const QString failure = catalog.listRuns(filter, runs);
    runTable->setRowCount(int(runs.size()));
    for (int row = 0; row < int(runs.size()); ++row) {
        const RunSummary &run = runs[size_t(row)];
        const QString cells[] = {QString::number(run.id),
                                 run.serialNumber,
                                 shownTime(run.start),
                                 shownTime(run.end),
                                 QString::number(run.cycles),
                                 QString::number(run.failures),
                                 run.endedHow};
        for (int column = 0; column < 7; ++column)
            runTable->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    enableRunButtons();
    showFailure(failure);
}

void RunsWindow::selectRun(int row)
{
    runTable->selectRow(row);
}

const RunSummary *RunsWindow::chosenRun() const
{
    const int row = runTable->currentRow();
    const bool chosen = row >= 0 && row < int(runs.size()) && !runTable->selectedItems().isEmpty();
    return chosen ? &runs[size_t(row)] : nullptr;
}

void RunsWindow::enableRunButtons()
{
    const bool chosen = chosenRun() != nullptr;
    for (QPushButton *b : {trendButton, previewButton, pdfButton, exportButton})
        b->setEnabled(chosen);
}

void RunsWindow::showFailure(const QString &failure)
{
    if (!failure.isEmpty())
        dialogs.showError(QStringLiteral("Run Archive"), failure);
}

void RunsWindow::trendOfRun()
{
    const RunSummary *run = chosenRun();
    if (!run)
        return;
    TrendHistory history;
    const QString failure =
        catalog.readRun(run->id, [&](const TesterState &s) { history.append(trendReadingFromState(s)); });
    if (!failure.isEmpty())
        return showFailure(failure);
    actions->showTrend(std::move(history), QStringLiteral("Run %1, %2").arg(run->id).arg(run->serialNumber));
}

bool RunsWindow::lastSampleOfRun(TesterState &last)
{
    const RunSummary *run = chosenRun();
    if (!run)
        return false;
    bool any = false;
    const QString failure = catalog.readRun(run->id, [&](const TesterState &s) {
        last = s;
        any = true;
    });
    showFailure(failure);
    // The report reads like the tester's own display of that sample.
    last.DownLoadedOnce = any;
    return failure.isEmpty() && any;
}

void RunsWindow::previewReportOfRun()
{
    TesterState last;
    if (lastSampleOfRun(last))
        actions->previewReport(last);
}

void RunsWindow::exportPdfOfRun()
{
    TesterState last;
    if (lastSampleOfRun(last))
        actions->exportReportPdf(last);
}

void RunsWindow::exportDataLogOfRun()
{
    const RunSummary *run = chosenRun();
    if (!run)
        return;
    const QString path = actions->chooseDataLogFile(runFileName(run->serialNumber, run->start));
    if (!path.isEmpty())
        showFailure(exportRunToFile(catalog, run->id, path));
}

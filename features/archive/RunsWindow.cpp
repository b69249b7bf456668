#include "features/archive/RunsWindow.h"

#include "engine/archive/RunFileLog.h"
#include "engine/archive/RunReportRead.h"
#include "engine/archive/RunTrend.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "features/archive/RunDetailsDialog.h"
#include "features/archive/TypedDate.h"
#include "ui/ControlNames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <limits>

namespace {

enum RunColumn {
    IdColumn,
    SerialColumn,
    StationColumn,
    StartColumn,
    EndColumn,
    CyclesColumn,
    FailuresColumn,
    EndedColumn,
    PartColumn,
    OperatorColumn,
    NotesColumn,
    ColumnCount
};

// Where a row's run stands in the list, whatever the sorting made of the rows.
constexpr int RunIndexRole = Qt::UserRole + 1;

// A cell sorted by its key: numbers as numbers, times as times.
class SortedItem : public QTableWidgetItem
{
public:
    SortedItem(const QString &text, const QVariant &key) : QTableWidgetItem(text) { setData(Qt::UserRole, key); }
    bool operator<(const QTableWidgetItem &other) const override
    {
        const QVariant mine = data(Qt::UserRole), theirs = other.data(Qt::UserRole);
        if (mine.typeId() == QMetaType::QString)
            return mine.toString().compare(theirs.toString(), Qt::CaseInsensitive) < 0;
        return mine.toLongLong() < theirs.toLongLong();
    }
};

qint64 timeKey(const QDateTime &t)
{
    return t.isValid() ? t.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
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
    fromDate = dateFilter("FromDate");
    labelled(QStringLiteral("&From:"), fromDate, QStringLiteral("Runs started on or after this date"), 2);
    toDate = dateFilter("ToDate");
    labelled(QStringLiteral("&To:"), toDate, QStringLiteral("Runs started on or before this date"), 4);
    lastWeekButton =
        captionedControl<QPushButton>("LastWeekButton", QStringLiteral("Last 7 days"),
                                      QStringLiteral("Runs started in the last 7 days, today included"), this);
    filters->addWidget(lastWeekButton, 0, 6);
    connect(lastWeekButton, &QPushButton::clicked, this, &RunsWindow::showLastWeek);
    connect(serialFilter, &QLineEdit::textChanged, this, [this] { refresh(); });
    return filters;
}

QLineEdit *RunsWindow::dateFilter(const char *name)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(QStringLiteral("any"));
    edit->setClearButtonEnabled(true);
    connect(edit, &QLineEdit::textChanged, this, [this] { refresh(); });
    return edit;
}

// The date typed, or none (any) when the field is empty or holds no date;
// such a text is marked so the filter it does not set is seen.
QDate RunsWindow::filterDate(QLineEdit *field)
{
    const QString text = field->text().trimmed();
    const QDate date = text.isEmpty() ? QDate() : readTypedDate(text, locale());
    const bool unread = !text.isEmpty() && !date.isValid();
    field->setStyleSheet(unread ? QStringLiteral("QLineEdit { color: #b00000; }") : QString());
    return date;
}

void RunsWindow::showLastWeek()
{
    const QDate today = QDate::currentDate();
    toDate->clear();
    fromDate->setText(today.addDays(-6).toString(Qt::ISODate));
}

void RunsWindow::buildRunTable()
{
    runTable = new QTableWidget(0, ColumnCount, this);
    runTable->setObjectName("RunTable");
    describeControl(runTable, QStringLiteral("Runs"), QStringLiteral("The archive's runs, newest first"));
    runTable->setHorizontalHeaderLabels({QStringLiteral("Run"), QStringLiteral("S/N"), QStringLiteral("Station"),
                                         QStringLiteral("Start"), QStringLiteral("End"), QStringLiteral("Cycles"),
                                         QStringLiteral("Failures"), QStringLiteral("Ended"), QStringLiteral("Part"),
                                         QStringLiteral("Operator"), QStringLiteral("Notes")});
    runTable->setSortingEnabled(true);
    runTable->sortByColumn(StartColumn, Qt::DescendingOrder);
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
                           QStringLiteral("The run's test report before it prints"), &RunsWindow::previewReportOfRun);
    pdfButton = button("PdfButton", QStringLiteral("Export P&DF..."),
                       QStringLiteral("The run's test report as a PDF file"), &RunsWindow::exportPdfOfRun);
    printButton = button("PrintButton", QStringLiteral("&Print..."),
                         QStringLiteral("The run's test report on the printer"), &RunsWindow::printReportOfRun);
    exportButton = button("ExportButton", QStringLiteral("&Export Data Log..."),
                          QStringLiteral("The run as a data log file, as live logging writes it"),
                          &RunsWindow::exportDataLogOfRun);
    detailsButton = button("DetailsButton", QStringLiteral("Ed&it Details..."),
                           QStringLiteral("What was tested in the run: the part, the operator and notes"),
                           &RunsWindow::editDetailsOfRun);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {trendButton, previewButton, pdfButton, printButton, exportButton, detailsButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    return buttons;
}

void RunsWindow::refresh()
{
    RunFilter filter;
    filter.serialNumber = serialFilter->text();
    filter.from = filterDate(fromDate);
    filter.to = filterDate(toDate);
    const QString failure = catalog.listRuns(filter, runs);
    // Rows filled while sorted would move under the filling.
    runTable->setSortingEnabled(false);
    runTable->setRowCount(int(runs.size()));
    for (int row = 0; row < int(runs.size()); ++row) {
        const RunSummary &run = runs[size_t(row)];
        // An open run is one whose tester runs: its end is still to come.
        const bool running = !run.end.isValid() && run.endedHow.isEmpty();
        SortedItem *cells[] = {
            new SortedItem(QString::number(run.id), run.id),
            new SortedItem(run.serialNumber, run.serialNumber),
            new SortedItem(run.host, run.host),
            new SortedItem(shownTime(run.start), timeKey(run.start)),
            new SortedItem(shownTime(run.end), timeKey(run.end)),
            new SortedItem(QString::number(run.cycles), run.cycles),
            new SortedItem(QString::number(run.failures), run.failures),
            new SortedItem(running ? QStringLiteral("running") : run.endedHow,
                           running ? QStringLiteral("running") : run.endedHow),
            new SortedItem(run.part, run.part),
            new SortedItem(run.operatorName, run.operatorName),
            // The notes on one line; all of them in the tool tip.
            new SortedItem(run.notes.simplified(), run.notes),
        };
        cells[NotesColumn]->setToolTip(run.notes);
        cells[IdColumn]->setData(RunIndexRole, row);
        for (int column = 0; column < ColumnCount; ++column)
            runTable->setItem(row, column, cells[column]);
    }
    runTable->setSortingEnabled(true);
    enableRunButtons();
    showFailure(failure);
}

void RunsWindow::selectRun(int row)
{
    runTable->selectRow(row);
}

const RunSummary *RunsWindow::chosenRun() const
{
    const QTableWidgetItem *cell = runTable->item(runTable->currentRow(), IdColumn);
    if (!cell || runTable->selectedItems().isEmpty())
        return nullptr;
    const int index = cell->data(RunIndexRole).toInt();
    return index >= 0 && index < int(runs.size()) ? &runs[size_t(index)] : nullptr;
}

void RunsWindow::selectRunById(qint64 id)
{
    for (int row = 0; row < runTable->rowCount(); ++row) {
        const QTableWidgetItem *cell = runTable->item(row, IdColumn);
        const int index = cell ? cell->data(RunIndexRole).toInt() : -1;
        if (index >= 0 && index < int(runs.size()) && runs[size_t(index)].id == id)
            return selectRun(row);
    }
}

void RunsWindow::enableRunButtons()
{
    const bool chosen = chosenRun() != nullptr;
    for (QPushButton *b : {trendButton, previewButton, pdfButton, printButton, exportButton, detailsButton})
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
    const QString failure = readRunTrend(catalog, run->id, history);
    if (!failure.isEmpty())
        return showFailure(failure);
    actions->showTrend(std::move(history), QStringLiteral("Run %1, %2").arg(run->id).arg(run->serialNumber), run->id);
}

void RunsWindow::reportOfRun(void (Actions::*act)(const RunReportData &, const TrendHistory &))
{
    const RunSummary *run = chosenRun();
    if (!run)
        return;
    RunReportData data;
    TrendHistory trend;
    if (const QString failure = readRunReport(catalog, run->id, data, trend); !failure.isEmpty())
        return showFailure(failure);
    (actions.get()->*act)(data, trend);
}

void RunsWindow::previewReportOfRun()
{
    reportOfRun(&Actions::previewReport);
}

void RunsWindow::printReportOfRun()
{
    reportOfRun(&Actions::printReport);
}

void RunsWindow::exportPdfOfRun()
{
    reportOfRun(&Actions::exportReportPdf);
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

void RunsWindow::editDetailsOfRun()
{
    const RunSummary *run = chosenRun();
    if (!run)
        return;
    const qint64 id = run->id;
    const RunDescription shown = run->description();
    RunDetailsDialog dialog(
        QStringLiteral("Run %1 of tester %2, started %3").arg(id).arg(run->serialNumber, shownTime(run->start)), shown,
        this);
    if (dialog.exec() != QDialog::Accepted || dialog.description() == shown)
        return;
    const QString failure = catalog.describeRun(id, dialog.description());
    refresh();
    selectRunById(id);
    showFailure(failure);
}

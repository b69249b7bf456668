#include "station/StationWindow.h"

#include "engine/preferences/Registry.h"
#include "engine/preferences/StationSettings.h"
#include "engine/session/TesterSession.h"
#include "engine/station/Station.h"
#include "engine/station/StationExit.h"
#include "engine/station/StationTableModel.h"
#include "features/preferences/PreferencesDialog.h"
#include "features/trend/TrendController.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/TesterWindow.h"
#include "platform/archive/ArchivePlace.h"
#include "station/StationRowDelegate.h"
#include "ui/ControlNames.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The widths the columns start with: room for the longest usual text.
const char *const WidestTexts[StationTableModel::ColumnCount] = {
    "41800123",
    "Comm 16 (/dev/ttyUSB10)",
    "Connected since 00:00:00",
    "Running without limit",
    "1000000 of 1000000 cycles",
    "10000 cycles/h",
    "1000:00:00",
    "10000 (100 sequential)",
    "station data file.txt",
};

constexpr int ColumnSaveDelayMs = 500;

}   // namespace

StationWindow::StationWindow(Station &station, SettingsStore &settings, MessageDialogs &dialogs, QWidget *parent)
    : QMainWindow(parent), station(station), settings(settings), dialogs(dialogs), preferences(settings)
{
    setObjectName("StationWindow");
    setWindowTitle(title());

    auto *central = new QWidget(this);
    setCentralWidget(central);
    buildTesterTable(central);
    openTesterButton =
        captionedControl<QPushButton>("openTesterButton", QStringLiteral("&Open Tester Window"),
                                      QStringLiteral("Open the window of the tester in the selected row"), central);
    openTesterButton->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(openTesterButton);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->addWidget(testers, 1);
    layout->addLayout(buttons);

    searchLabel = new QLabel(statusBar());
    searchLabel->setObjectName("searchLabel");
    searchLabel->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(searchLabel, 1);
    servicesLabel = new QLabel(statusBar());
    servicesLabel->setObjectName("servicesLabel");
    servicesLabel->setTextFormat(Qt::PlainText);
    describeControl(servicesLabel, QString(),
                    QStringLiteral("The web view and the tray icon: whether they are on, and where"));
    statusBar()->addPermanentWidget(servicesLabel);
    statusBar()->setSizeGripEnabled(false);
    buildMenus();
    connectStation();

    columnSave.setSingleShot(true);
    columnSave.setInterval(ColumnSaveDelayMs);
    connect(&columnSave, &QTimer::timeout, this, [this] { saveColumnWidths(); });
    connect(testers->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { columnSave.start(); });
    resize(std::min(testers->horizontalHeader()->length() + 40, 1600), 360);
}

// One row per tester, selected whole, with the column widths last saved.
void StationWindow::buildTesterTable(QWidget *central)
{
    model = new StationTableModel(station, this);
    testers = new QTableView(central);
    testers->setObjectName("StationTable");
    describeControl(testers, QStringLiteral("Testers"),
                    QStringLiteral("One row per tester: double-click a row or press Enter to open its window"));
    testers->setModel(model);
    testers->setItemDelegate(new StationRowDelegate(testers));
    testers->setSelectionBehavior(QAbstractItemView::SelectRows);
    testers->setSelectionMode(QAbstractItemView::SingleSelection);
    testers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    testers->setTabKeyNavigation(false);
    testers->setWordWrap(false);
    testers->verticalHeader()->hide();
    // Rows of one steady height: a sample repaints its row and lays out nothing.
    testers->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    testers->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    testers->horizontalHeader()->setStretchLastSection(true);
    restoreColumnWidths();
}

// Opening a tester from the table, the button or the menu, and what the
// station reports: the search, a tester's failure, a tester that joined.
void StationWindow::connectStation()
{
    auto openSelected = [this] {
        const QModelIndexList rows = testers->selectionModel()->selectedRows();
        if (!rows.isEmpty())
            openTester(rows.first().row());
    };
    connect(testers, &QAbstractItemView::activated, this,
            [this](const QModelIndex &index) { openTester(index.row()); });
    connect(openTesterButton, &QPushButton::clicked, this, openSelected);
    connect(testers->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const bool selected = testers->selectionModel()->hasSelection();
        openTesterButton->setEnabled(selected);
        testerOpen->setEnabled(selected);
        viewTrend->setEnabled(selected);
    });
    connect(&station, &Station::searchChanged, this, [this] { showSearch(); });
    // A failure that comes while its tester's window is in front is seen.
    connect(&station, &Station::testerChanged, this, [this](int row) {
        if (TesterWindow *form = testerWindow(row); form && form->isActiveWindow())
            this->station.failuresSeen(row);
    });
    connect(&station, &Station::testerJoined, this, [this](int row) {
        // The first tester is selected, so Enter opens it at once.
        if (!testers->selectionModel()->hasSelection())
            testers->selectRow(row);
        showSearch();
    });
}

StationWindow::~StationWindow()
{
    closeTesterWindows();
}

QString StationWindow::title()
{
    return QStringLiteral("Model 418C Life Cycle Tester - Station");
}

void StationWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName("FileMenu");
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName("FileExitMenu");
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QAction *preferencesEntry = new QAction(QStringLiteral("P&references..."), file);
    preferencesEntry->setObjectName("FilePreferencesMenu");
    file->insertAction(exit, preferencesEntry);
    file->insertSeparator(exit);
    connect(preferencesEntry, &QAction::triggered, this, [this] {
        PreferencesDialog dialog(preferences, this->dialogs, defaultArchivePath(), this);
        if (dialog.exec() == QDialog::Accepted)
            station.preferencesChanged();
    });
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *tester = menuBar()->addMenu(QStringLiteral("&Tester"));
    tester->setObjectName("TesterMenu");
    testerOpen = tester->addAction(QStringLiteral("&Open Window"));
    testerOpen->setObjectName("TesterOpenMenu");
    testerOpen->setEnabled(false);
    connect(testerOpen, &QAction::triggered, openTesterButton, &QPushButton::click);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName("ViewMenu");
    QAction *runs = view->addAction(QStringLiteral("&Runs..."));
    runs->setObjectName("ViewRunsMenu");
    connect(runs, &QAction::triggered, this, [this] { showRuns(); });
    viewTrend = view->addAction(QStringLiteral("&Trend"));
    viewTrend->setObjectName("ViewTrendMenu");
    viewTrend->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    viewTrend->setEnabled(false);
    connect(viewTrend, &QAction::triggered, this, [this] { showTrend(); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName("HelpMenu");
    QAction *about = help->addAction(QStringLiteral("&About..."));
    about->setObjectName("HelpAboutMenu");
    connect(about, &QAction::triggered, this, [this] {
        AboutDialog dialog(this);
        dialog.exec();
    });
}

void StationWindow::setRunCatalogSource(TesterWindow::RunCatalogSource source)
{
    runCatalogSource = std::move(source);
    for (const QPointer<TesterWindow> &form : std::as_const(windows))
        if (form && runCatalogSource)
            form->setRunCatalogSource(runCatalogSource);
}

void StationWindow::showServices(const QString &text)
{
    servicesLabel->setText(text);
    servicesLabel->setAccessibleName(text);
}

TesterWindow *StationWindow::selectedTesterWindow()
{
    const QModelIndexList rows = testers->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? (station.count() > 0 ? 0 : -1) : rows.first().row();
    if (row < 0)
        return nullptr;
    return makeTesterWindow(row);
}

void StationWindow::showRuns()
{
    if (!runCatalogSource) {
        dialogs.showError(QStringLiteral("Run Archive"), QStringLiteral("No run archive is in use."));
        return;
    }
    TesterWindow *form = selectedTesterWindow();
    if (!form) {
        dialogs.showError(QStringLiteral("Run Archive"),
                          QStringLiteral("The runs are shown once a tester has been found."));
        return;
    }
    form->showRunsWindow();
}

void StationWindow::showTrend()
{
    if (TesterWindow *form = selectedTesterWindow())
        form->trend().showLive();
}

void StationWindow::showSearch()
{
    const QString testerCount =
        station.count() == 1 ? QStringLiteral("1 tester") : QStringLiteral("%1 testers").arg(station.count());
    const QString text = testerCount + QStringLiteral(". ") + station.search().link().text(station.search().clock());
    if (searchLabel->text() != text)
        searchLabel->setText(text);
}

TesterWindow *StationWindow::openTester(int row)
{
    TesterWindow *form = makeTesterWindow(row);
    if (!form)
        return nullptr;
    form->show();
    form->raise();
    form->activateWindow();
    station.failuresSeen(row);
    return form;
}

TesterWindow *StationWindow::makeTesterWindow(int row)
{
    if (row < 0 || row >= station.count())
        return nullptr;
    StationTester &tester = station.tester(row);
    QPointer<TesterWindow> &form = windows[&tester.session()];
    if (!form) {
        form = new TesterWindow(tester.session());
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->joinStation(*this);
        if (runCatalogSource)
            form->setRunCatalogSource(runCatalogSource);
        const QByteArray place = tester.session().registry().loadWindowPlace();
        if (!place.isEmpty())
            form->restoreGeometry(place);
        form->installEventFilter(this);
    }
    return form;
}

QString StationWindow::testerName(const TesterSession &session) const
{
    for (int row = 0; row < station.count(); ++row) {
        if (&station.tester(row).session() == &session)
            return station.tester(row).name();
    }
    return QString();
}

void StationWindow::exitProgram()
{
    close();
}

void StationWindow::preferencesChanged()
{
    station.preferencesChanged();
}

TesterWindow *StationWindow::testerWindow(int row) const
{
    if (row < 0 || row >= station.count())
        return nullptr;
    return windows.value(&station.tester(row).session());
}

bool StationWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *form = dynamic_cast<TesterWindow *>(watched);
    if (form && event->type() == QEvent::WindowActivate) {
        // Whoever brings a tester's window up has seen its failures.
        station.failuresSeen(station.indexOf(form->session()));
    } else if (form && event->type() == QEvent::Close) {
        saveWindowPlace(*form);
    }
    return QMainWindow::eventFilter(watched, event);
}

void StationWindow::saveWindowPlace(TesterWindow &form)
{
    form.session().registry().storeWindowPlace(form.saveGeometry());
}

void StationWindow::closeEvent(QCloseEvent *event)
{
    if (!readyToExit(station, dialogs)) {
        event->ignore();
        return;
    }
    saveColumnWidths();
    closeTesterWindows();
    station.shutDown();
    event->accept();
}

void StationWindow::closeTesterWindows()
{
    for (const QPointer<TesterWindow> &form : std::as_const(windows)) {
        if (!form)
            continue;
        form->removeEventFilter(this);
        // A window only made for View, Runs... or Trend has no place of its own.
        if (form->isVisible())
            saveWindowPlace(*form);
        delete form.data();
    }
    windows.clear();
}

void StationWindow::restoreColumnWidths()
{
    const QList<int> widths = StationSettings(settings).columnWidths(StationTableModel::ColumnCount);
    // Measured in bold: a row with a new failure is drawn so.
    QFont bold = testers->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    for (int column = 0; column < StationTableModel::ColumnCount; ++column) {
        int fitting = metrics.horizontalAdvance(QLatin1String(WidestTexts[column])) + 12;
        if (column == StationTableModel::SerialColumn)
            fitting += StationRowDelegate::markRoom();
        testers->setColumnWidth(column, widths.value(column) > 0 ? widths.value(column) : fitting);
    }
}

void StationWindow::saveColumnWidths()
{
    columnSave.stop();
    QList<int> widths;
    for (int column = 0; column < StationTableModel::ColumnCount; ++column)
        widths << testers->columnWidth(column);
    if (widths != StationSettings(settings).columnWidths(StationTableModel::ColumnCount))
        StationSettings(settings).setColumnWidths(widths);
}

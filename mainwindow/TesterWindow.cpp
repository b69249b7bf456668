#include "mainwindow/TesterWindow.h"

#include "engine/archive/RunCatalog.h"
#include "engine/archive/RunFileLog.h"
#include "engine/archive/RunRecorder.h"
#include "engine/archive/RunTrend.h"
#include "engine/config/ConfigCommands.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/session/TesterSession.h"
#include "engine/state/DataFormat.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/StateTexts.h"
#include "engine/supervision/TesterEngine.h"
#include "features/archive/RunDetailsDialog.h"
#include "features/archive/RunsWindow.h"
#include "features/config/ConfigEditCommands.h"
#include "features/preferences/PreferencesDialog.h"
#include "features/procedures/ProcedureMenus.h"
#include "features/report/QtPrintDialogs.h"
#include "features/report/ReportController.h"
#include "features/trend/TrendController.h"
#include "features/trend/TrendPrint.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/BreakDialog.h"
#include "mainwindow/MenuShortcuts.h"
#include "mainwindow/PortDialog.h"
#include "mainwindow/RunOverview.h"
#include "mainwindow/StatusPanels.h"
#include "mainwindow/StrokePanel.h"
#include "mainwindow/WindowStation.h"
#include "platform/archive/ArchivePlace.h"
#include "ui/LedIndicator.h"
#include "ui/MainMenus.h"
#include "ui/ValueBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QLabel *plainLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// What the runs window does with a run: its trend in the trend window, its
// report from this window's report, its data log to a file chosen over
// the runs window.
class RunActions : public RunsWindow::Actions
{
public:
    RunActions(TrendController &trend, ReportController &report, RunsWindow *&runsWindow,
               const TesterWindow::RunCatalogSource &catalogs)
        : trend(trend), report(report), runsWindow(runsWindow), catalogs(catalogs)
    {
    }
    void showTrend(TrendHistory &&history, const QString &title, qint64 id) override
    {
        trend.plotRun(std::move(history), title, std::make_unique<ArchiveRunLines>(catalogs, id));
    }
    void previewReport(const RunReportData &run, const TrendHistory &history) override
    {
        report.previewRunReport(run, history);
    }
    void printReport(const RunReportData &run, const TrendHistory &history) override
    {
        report.printRunReport(run, history);
    }
    void exportReportPdf(const RunReportData &run, const TrendHistory &history) override
    {
        report.exportRunReportPdf(run, history);
    }
    QString chooseDataLogFile(const QString &suggested) override
    {
        return QFileDialog::getSaveFileName(runsWindow, QStringLiteral("Export Data Log"), suggested,
                                            QStringLiteral("Data log (*.txt);;All files (*)"));
    }

private:
    TrendController &trend;
    ReportController &report;
    RunsWindow *&runsWindow;
    const TesterWindow::RunCatalogSource &catalogs;
};

}   // namespace

TesterWindow::TesterWindow(TesterSession &session, QWidget *parent)
    : QMainWindow(parent), tester(session), s(session.state()), dialogs(session.dialogs()), registry(session.registry())
{
    setObjectName("TesterWindow");
    busyGrace.setSingleShot(true);
    busyGrace.setInterval(BusyGraceMs);
    connect(&busyGrace, &QTimer::timeout, this, [this] { showControls(engine().commReady()); });
    fileTitle = title();
    setWindowTitle(title());
    buildWindow();
    overview = new RunOverview(session, centralWidget(), centralWidget());
    connect(overview->exportRunButton, &QPushButton::clicked, this, [this] {
        if (!overview->runExportOffer())
            return;
        if (exportRunSoFar())
            s.session.dirtyData = false;
        overview->refresh();
    });
    static_cast<QVBoxLayout *>(centralWidget()->layout())->insertWidget(0, overview);
    connect(&session, &TesterSession::logChanged, this, [this] { overview->refresh(); });
    connect(&session, &TesterSession::linkWarningChanged, this, [this] { overview->linkChanged(); });
    addMenuShortcuts(*menus);
    connect(&registry, &Registry::recentFilesChanged, this, [this] { loadRecentFiles(); });
    connect(&registry, &Registry::recentConfigFilesChanged, this, [this] { loadRecentConfigFiles(); });
    connectMenus();
    trendView = std::make_unique<TrendController>(session.trendHistory(), session.trendLines(), *menus, dialogs, *this);
    configEdit = std::make_unique<ConfigEditCommands>(*menus, s, engine(), dialogs, this);
    procedures = std::make_unique<ProcedureMenus>(*menus, s, engine(), session.manual(), dialogs, this,
                                                  static_cast<ConfigurationSteps &>(*this));
    reportController = std::make_unique<ReportController>(*menus, s, dialogs, std::make_unique<QtPrintDialogs>(this));
    reportController->setChartPainter(paintTrendCharts);
    addArchiveMenus();
    chooseRunExportFile = [this](const QString &suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export Run So Far"), suggested,
                                            QStringLiteral("Data log (*.txt);;All files (*)"));
    };

    loadRecentFiles();
    loadRecentConfigFiles();
    session.setWindow(this);
}

TesterWindow::~TesterWindow()
{
    delete runs;
    tester.setWindow(nullptr);
}

TesterEngine &TesterWindow::engine()
{
    return tester.engine();
}

DataLog &TesterWindow::dataLog()
{
    return tester.dataLog();
}

ConfigCommands &TesterWindow::configCommands()
{
    return tester.configCommands();
}

QString TesterWindow::title()
{
    return QStringLiteral("Model 418C Life Cycle Tester");
}

void TesterWindow::buildWindow()
{
    menus = std::make_unique<MainMenus>(*this);

    auto *central = new QWidget(this);
    central->setObjectName("MainPanel");
    setCentralWidget(central);

    downPanel = new StrokePanel(QStringLiteral("Down"), central);
    upPanel = new StrokePanel(QStringLiteral("Up"), central);
    QLayout *counters = buildCounters(central);
    QLayout *sample = buildSampleGroup(central);

    auto *strokes = new QHBoxLayout;
    strokes->addWidget(downPanel, 1);
    strokes->addWidget(upPanel, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(counters);
    bottom->addStretch(1);
    bottom->addLayout(sample);

    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->addLayout(strokes, 1);
    layout->addSpacing(4);
    layout->addLayout(bottom);

    statusPanels = new StatusPanels(this);
    setStatusBar(statusPanels);
}

// The cycle, failure and sequential-failure counts, each beside its limit.
QLayout *TesterWindow::buildCounters(QWidget *central)
{
    cycleCountLabel = plainLabel("cycleCountLabel", QStringLiteral("Cycle Count"), central);
    failCountLabel = plainLabel("failCountLabel", QStringLiteral("Fail Count"), central);
    seqFailCountLabel = plainLabel("seqFailCountLabel", QStringLiteral("Seq Fail Count"), central);
    cycleCountBox = makeValueBox("cycleCountBox", QStringLiteral("Cycle Count"),
                                 QStringLiteral("Total count of complete cycles on test item"), central);
    cycleLimitBox = makeValueBox("cycleLimitBox", QStringLiteral("Cycle Count Limit"),
                                 QStringLiteral("Termination limit on test cycles"), central);
    failCountBox = makeValueBox("failCountBox", QStringLiteral("Fail Count"),
                                QStringLiteral("Count of contact test failures"), central);
    failLimitBox = makeValueBox("failLimitBox", QStringLiteral("Fail Count Limit"),
                                QStringLiteral("Termination limit on total contact test failures"), central);
    seqFailCountBox = makeValueBox("seqFailCountBox", QStringLiteral("Seq Fail Count"),
                                   QStringLiteral("Count of sequential test failures"), central);
    seqFailLimitBox = makeValueBox("seqFailLimitBox", QStringLiteral("Seq Fail Count Limit"),
                                   QStringLiteral("Termination limit on sequential test failures"), central);

    auto *counters = new QGridLayout;
    counters->setHorizontalSpacing(8);
    counters->setVerticalSpacing(4);
    counters->addWidget(new QLabel(QStringLiteral("Count"), central), 0, 1, Qt::AlignHCenter);
    counters->addWidget(new QLabel(QStringLiteral("Limit"), central), 0, 2, Qt::AlignHCenter);
    const struct
    {
        QLabel *label;
        QLineEdit *count, *limit;
    } rows[] = {
        {cycleCountLabel, cycleCountBox, cycleLimitBox},
        {failCountLabel, failCountBox, failLimitBox},
        {seqFailCountLabel, seqFailCountBox, seqFailLimitBox},
    };
    for (int row = 0; row < 3; ++row) {
        counters->addWidget(rows[row].label, row + 1, 0);
        counters->addWidget(rows[row].count, row + 1, 1);
        counters->addWidget(rows[row].limit, row + 1, 2);
    }
    return counters;
}

// When the last sample was taken, the tester's error LED and the Sample button.
QLayout *TesterWindow::buildSampleGroup(QWidget *central)
{
    sampledAtLabel = plainLabel("sampledAtLabel", QStringLiteral("Sampled at:"), central);
    sampleDateBox =
        makeValueBox("sampleDateBox", QStringLiteral("Sampled at"), QStringLiteral("Time and date of last data sample"),
                     central, QStringLiteral("00/00/0000 00:00:00"));
    sampleDateBox->setAlignment(Qt::AlignCenter);
    errorLedLabel = plainLabel("errorLedLabel", QStringLiteral("Error LED"), central);
    errorLedLabel->setToolTip(QStringLiteral("Indicates state of tester error LED"));
    errorLed = new LedIndicator(central);
    errorLed->setObjectName("errorLed");
    errorLed->setToolTip(errorLedLabel->toolTip());
    sampleButton = new QPushButton(QStringLiteral("Sample"), central);
    sampleButton->setObjectName("sampleButton");
    sampleButton->setToolTip(QStringLiteral("Resample the test data whether running or stopped"));

    auto *sampleGrid = new QGridLayout;
    sampleGrid->setHorizontalSpacing(8);
    sampleGrid->setVerticalSpacing(4);
    sampleGrid->addWidget(sampledAtLabel, 0, 0);
    sampleGrid->addWidget(sampleDateBox, 0, 1);
    auto *ledRow = new QHBoxLayout;
    ledRow->addWidget(errorLed);
    ledRow->addStretch(1);
    sampleGrid->addWidget(errorLedLabel, 1, 0);
    sampleGrid->addLayout(ledRow, 1, 1);
    sampleGrid->addWidget(sampleButton, 2, 1, Qt::AlignRight);
    return sampleGrid;
}

void TesterWindow::connectMenus()
{
    MainMenus &m = *menus;
    auto on = [this](QAction *action, auto handler) { connect(action, &QAction::triggered, this, handler); };

    on(m.fileNew, [this] {
        dataLog().newDataFile();
        afterFileCommand();
    });
    on(m.fileOpen, [this] {
        dataLog().openDataFile();
        afterFileCommand();
    });
    on(m.fileClose, [this] {
        dataLog().closeDataFile();
        afterFileCommand();
    });
    for (QAction *entry : m.recentFiles.entries)
        on(entry, [this, entry] {
            dataLog().openRecentDataFile(MainMenus::recentPath(entry));
            afterFileCommand();
        });
    on(m.fileExit, [this] { station ? station->exitProgram() : void(close()); });

    on(m.configureOpen, [this] { configCommands().configureOpenMenu(); });
    on(m.configureSave, [this] { configCommands().configureSaveMenu(); });
    for (QAction *entry : m.recentConfigFiles.entries)
        on(entry, [this, entry] { configCommands().configureRecentFileMenu(MainMenus::recentPath(entry)); });

    on(m.runStop, [this] { runCommand(Command::Stop); });
    on(m.runToLimits, [this] { runCommand(Command::RunToLimits); });
    on(m.runOnce, [this] { runCommand(Command::RunOnce); });
    on(m.runNoLimit, [this] { runCommand(Command::RunNoLimit); });
    on(m.runSampleData, [this] { runCommand(Command::SampleData); });
    on(m.runBreakUpdate, [this] { startBreakUpdate(); });
    on(m.runPort, [this] { choosePort(); });
    m.runPort->setEnabled(false);
    connect(sampleButton, &QPushButton::clicked, this, [this] { runCommand(Command::SampleData); });

    on(m.helpAbout, [this] { showAbout(); });
}

void TesterWindow::joinStation(WindowStation &testerStation)
{
    station = &testerStation;
    showTitle();
}

void TesterWindow::addArchiveMenus()
{
    QAction *runsEntry = trendView->viewMenu->addAction(QStringLiteral("&Runs..."));
    runsEntry->setObjectName("ViewRunsMenu");
    connect(runsEntry, &QAction::triggered, this, [this] { showRunsWindow(); });
    // Greyed until a run archive is in use: the details are kept there.
    menus->runMenu->addSeparator();
    runDetailsEntry = menus->runMenu->addAction(QStringLiteral("Run details..."));
    runDetailsEntry->setObjectName("RunDetailsMenu");
    runDetailsEntry->setStatusTip(QStringLiteral("What is tested in this run: the part, the operator and notes"));
    runDetailsEntry->setEnabled(false);
    connect(runDetailsEntry, &QAction::triggered, this, [this] { editRunDetails(); });
    auto *preferencesEntry = new QAction(QStringLiteral("P&references..."), menus->fileMenu);
    preferencesEntry->setObjectName("FilePreferencesMenu");
    menus->fileMenu->insertAction(menus->fileExit, preferencesEntry);
    menus->fileMenu->insertSeparator(menus->fileExit);
    connect(preferencesEntry, &QAction::triggered, this, [this] { editPreferences(); });
}

void TesterWindow::setRunCatalogSource(RunCatalogSource source)
{
    runCatalogSource = std::move(source);
    overview->offerRunExport();
    runDetailsEntry->setEnabled(bool(runCatalogSource));
}

void TesterWindow::editRunDetails()
{
    RunRecorder &recorder = tester.runRecorder();
    RunDescription shown = recorder.description();
    QString whichRun = QStringLiteral("The tester's next run: the one its next sample begins or goes on with");
    if (recorder.runOpen()) {
        whichRun = QStringLiteral("The current run of tester %1, begun %2")
                       .arg(s.identity.serialNumber.trimmed(),
                            recorder.runStart().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        // View, Runs or an earlier program may have entered them.
        archivedDescription(recorder.runKey(), shown);
    }
    RunDetailsDialog dialog(whichRun, shown, this);
    if (dialog.exec() == QDialog::Accepted && dialog.description() != shown)
        recorder.describeRun(dialog.description(), QDateTime::currentDateTime());
}

// The description the archive holds for the run; false when it cannot be
// read or does not hold the run yet.
bool TesterWindow::archivedDescription(const QString &runKey, RunDescription &description)
{
    QString failure;
    const std::unique_ptr<RunCatalog> catalog = runCatalogSource ? runCatalogSource(failure) : nullptr;
    RunFilter filter;
    if (!catalog || !catalog->runIdOf(runKey, filter.runId).isEmpty() || filter.runId == 0)
        return false;
    std::vector<RunSummary> listed;
    if (!catalog->listRuns(filter, listed).isEmpty() || listed.empty())
        return false;
    description = listed.front().description();
    return true;
}

bool TesterWindow::exportRunSoFar()
{
    const QString key = tester.runRecorder().runKey();
    QString failure = QStringLiteral("No run archive is in use.");
    std::unique_ptr<RunCatalog> catalog = runCatalogSource ? runCatalogSource(failure) : nullptr;
    qint64 id = 0;
    if (catalog && !key.isEmpty())
        failure = catalog->runIdOf(key, id);
    if (catalog && failure.isEmpty() && id == 0)
        failure = QStringLiteral("The run archive does not hold this run yet.");
    if (!failure.isEmpty()) {
        dialogs.showError(QStringLiteral("Run Archive"), failure);
        return false;
    }
    const QString path = chooseRunExportFile(runFileName(s.identity.serialNumber, tester.runRecorder().runStart()));
    if (path.isEmpty())
        return false;
    failure = exportRunToFile(*catalog, id, path);
    if (!failure.isEmpty()) {
        dialogs.showError(QStringLiteral("File Error"), failure);
        return false;
    }
    return true;
}

// Samples that reached no data file are all in the archive: closing asks
// one question, whether to export the whole run so far or only the last
// sample, and goes on with the question about the last sample alone when
// the export fails. Without such samples only the last sample is asked for.
bool TesterWindow::checkSamplesSaved()
{
    DataLog &log = dataLog();
    log.checkDataSaved(false);   // a data file open takes the last sample without asking
    if (!runCatalogSource || !s.session.dirtyData || tester.runRecorder().unloggedSamples() < 1)
        return log.checkDataSaved(true);
    enum { ExportRun, SaveLastSample, DontSave };
    const int answer = dialogs.askChoice(
        QStringLiteral("Save Data"),
        QStringLiteral("%1 samples of this run are in no data file.  Do you want to export the run so far "
                       "from the run archive to a data file, or save only the last sample?")
            .arg(tester.runRecorder().unloggedSamples()),
        {QStringLiteral("Export Run So Far..."), QStringLiteral("Save Last Sample..."), QStringLiteral("Don't Save"),
         QStringLiteral("Cancel")});
    switch (answer) {
    case ExportRun:
        if (!exportRunSoFar())
            return log.checkDataSaved(true);
        s.session.dirtyData = false;   // the last sample is in the file
        return true;
    case SaveLastSample: return log.saveData(1);
    case DontSave: return true;
    default: return false;
    }
}

void TesterWindow::showRunsWindow()
{
    delete runs;
    runs = nullptr;
    QString failure = QStringLiteral("No run archive is in use.");
    runCatalog = runCatalogSource ? runCatalogSource(failure) : nullptr;
    if (!runCatalog) {
        dialogs.showError(QStringLiteral("Run Archive"), failure);
        return;
    }
    runs = new RunsWindow(*runCatalog, dialogs,
                          std::make_unique<RunActions>(*trendView, *reportController, runs, runCatalogSource), this);
    runs->setAttribute(Qt::WA_DeleteOnClose, false);
    runs->show();
    runs->raise();
}

void TesterWindow::editPreferences()
{
    PreferencesDialog dialog(registry, dialogs, defaultArchivePath(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // In a station the preferences are every tester's.
    if (station)
        station->preferencesChanged();
    else
        tester.preferencesChanged();
}

void TesterWindow::closeEvent(QCloseEvent *event)
{
    // In a station the tester runs on without its window: nothing to ask.
    if (station) {
        procedures->closeForExit();
        event->accept();
        return;
    }
    if (s.session.goAgainMode)
        dialogs.showError(QStringLiteral("Break Update Mode Cancel"),
                          QStringLiteral("The tester is set to stop after ") + QString::number(s.session.repeatCount)
                              + QStringLiteral(" cycles and will not restart if program is terminated."));
    if (!checkSamplesSaved() || !checkConfigSaved()) {
        event->ignore();
        return;
    }
    procedures->closeForExit();
    tester.shutDown();
    event->accept();
}

bool TesterWindow::checkConfigSaved()
{
    return configCommands().checkConfigFileSaved();
}

void TesterWindow::editConfiguration(bool newLearn)
{
    configEdit->editConfiguration(newLearn);
}

void TesterWindow::runCommand(Command command)
{
    if (!engine().commReady())
        return;
    engine().sendCommand(command);
    // The operator's own command greys the commands at once.
    busyGrace.stop();
    showControls(engine().commReady());
}

void TesterWindow::startBreakUpdate()
{
    if (!engine().commReady())
        return;

    BreakDialog dialog(this);
    dialog.saveToDatabase = s.session.dataFileOpen;
    dialog.exec();
    const int16_t breakCount = dialog.breakCount;
    s.session.saveToDatabase = dialog.saveToDatabase;
    if (breakCount < 1)
        return;
    if (s.session.saveToDatabase && !s.session.dataFileOpen) {
        dialogs.showError(QStringLiteral("No Data File"),
                          QStringLiteral("There must be a database file open in which to save the data"));
        return;
    }
    // The poll cycle kept running while the dialog was open: the link may
    // have gone or become busy, and then the command would not go out.
    if (!engine().commReady())
        return;
    s.session.repeatCount = breakCount;
    engine().sendValueCommand(Command::ArmBreakUpdate, QString::number(breakCount));
    s.counters.running = true;
}

void TesterWindow::setSerialDevices(SerialDevices *devices)
{
    serialDevices = devices;
    menus->runPort->setEnabled(devices != nullptr);
}

void TesterWindow::choosePort()
{
    if (!serialDevices)
        return;
    PortDialog dialog(*serialDevices, this);
    // A new choice takes effect at once: the search starts again on it.
    if (dialog.exec() == QDialog::Accepted && dialog.changed)
        engine().restartSearch();
}

void TesterWindow::showAbout()
{
    AboutDialog about(this);
    about.devices = serialDevices;
    about.exec();
}

void TesterWindow::afterFileCommand()
{
    menus->fileClose->setEnabled(s.session.dataFileOpen);
}

void TesterWindow::loadRecentFiles()
{
    MainMenus::fillRecent(menus->recentFiles, registry.readRecentFiles());
}

void TesterWindow::loadRecentConfigFiles()
{
    MainMenus::fillRecent(menus->recentConfigFiles, registry.readRecentConfigFiles());
}

// ---- what the engine shows through the window ----

void TesterWindow::showBarMessage(const QString &text)
{
    statusPanels->showBarMessage(text);
}

void TesterWindow::showBarPanels()
{
    statusPanels->showPanels();
}

void TesterWindow::showVersion(const QString &text)
{
    statusPanels->setPanelText(StatusPanels::SoftwareVersion, text);
}

void TesterWindow::updateControls()
{
    // The link busy a moment after it was ready is most often the tester's
    // own sample being fetched, a few ticks: greying the commands for them
    // would repaint the window twice more per sample. A command refuses
    // itself while the link is busy anyway, so the grey may wait a little.
    const bool ready = engine().commReady();
    if (!ready && readyShown && s.link.portOpen) {
        if (!busyGrace.isActive())
            busyGrace.start();
        showControls(true);
        return;
    }
    busyGrace.stop();
    showControls(ready);
}

void TesterWindow::showControls(bool ready)
{
    readyShown = ready;
    const bool idle = ready && !s.counters.running;
    const bool sampled = s.session.downloadedOnce;
    MainMenus &m = *menus;

    m.configureLearn->setEnabled(idle);
    m.configureEdit->setEnabled(idle);
    m.configureOpen->setEnabled(idle);
    m.configureSave->setEnabled(idle);
    m.configureResetLimits->setEnabled(ready);
    m.runManual->setEnabled(idle);
    m.runStop->setEnabled(ready);
    m.runNoLimit->setEnabled(ready);
    m.runToLimits->setEnabled(ready);
    m.runSampleData->setEnabled(ready);
    m.runBreakUpdate->setEnabled(ready);
    m.runOnce->setEnabled(ready);
    sampleButton->setEnabled(ready);
    for (QWidget *w : std::initializer_list<QWidget *>{cycleCountBox, failCountBox, seqFailCountBox, cycleLimitBox,
                                                       failLimitBox, seqFailLimitBox, cycleCountLabel, failCountLabel,
                                                       seqFailCountLabel, errorLedLabel, sampledAtLabel, sampleDateBox})
        w->setEnabled(sampled);
    m.filePrint->setEnabled(sampled && ready);
    m.fileNew->setEnabled(sampled);
    m.fileClose->setEnabled(s.session.dataFileOpen);
    m.fileOpen->setEnabled(sampled);
    if (overview)
        overview->refresh();
}

namespace {

// Where one stroke direction's readings live in the state record, and which
// contact bits say that the stroke and its bounce are tested.
struct StrokeSource
{
    int testedBit, bounceBit;
    StateField<TesterState::Long> maxR, maxRLim, minR, minRLim, lastR, bounce, bounceLim, lastBounce, lastContactTime;
};

const StrokeSource DownStroke = {16,
                                 64,
                                 stateField<&TesterState::counters, &TesterCounters::maxDownResistance>,
                                 stateField<&TesterState::reported, &TesterConfig::maxDownResistTol>,
                                 stateField<&TesterState::counters, &TesterCounters::minDownResistance>,
                                 stateField<&TesterState::reported, &TesterConfig::minDownResistTol>,
                                 stateField<&TesterState::counters, &TesterCounters::lastDownResistance>,
                                 stateField<&TesterState::counters, &TesterCounters::maxDownBounce>,
                                 stateField<&TesterState::reported, &TesterConfig::maxDownBounceTol>,
                                 stateField<&TesterState::counters, &TesterCounters::lastDownBounceTime>,
                                 stateField<&TesterState::counters, &TesterCounters::lastDownStrokeTime>};
const StrokeSource UpStroke = {32,
                               128,
                               stateField<&TesterState::counters, &TesterCounters::maxUpResistance>,
                               stateField<&TesterState::reported, &TesterConfig::maxUpResistTol>,
                               stateField<&TesterState::counters, &TesterCounters::minUpResistance>,
                               stateField<&TesterState::reported, &TesterConfig::minUpResistTol>,
                               stateField<&TesterState::counters, &TesterCounters::lastUpResistance>,
                               stateField<&TesterState::counters, &TesterCounters::maxUpBounce>,
                               stateField<&TesterState::reported, &TesterConfig::maxUpBounceTol>,
                               stateField<&TesterState::counters, &TesterCounters::lastUpBounceTime>,
                               stateField<&TesterState::counters, &TesterCounters::lastUpStrokeTime>};

StrokeValues strokeValues(const TesterState &s, const StrokeSource &from, int contact, bool lastBounceReported)
{
    auto resistance = [&s](int32_t count) { return formatResistance(s, count, false); };
    StrokeValues v;
    v.tested = contact & from.testedBit;
    v.bounceTested = contact & from.bounceBit;
    v.lastBounceReported = lastBounceReported;
    v.maxR = resistance(from.maxR(s));
    v.maxRLim = resistance(from.maxRLim(s));
    v.minR = resistance(from.minR(s));
    v.minRLim = resistance(from.minRLim(s));
    v.lastR = resistance(from.lastR(s));
    v.bounce = formatBounceTime(from.bounce(s));
    v.bounceLim = formatBounceTime(from.bounceLim(s));
    v.lastBounce = formatBounceTime(from.lastBounce(s));
    v.lastContactTime = formatStrokeTime(from.lastContactTime(s));
    return v;
}

}   // namespace

void TesterWindow::showReadings()
{
    const int contact = s.reported.contact;
    const bool lastBounce = hasLastBounce(s);

    downPanel->display(strokeValues(s, DownStroke, contact, lastBounce));
    upPanel->display(strokeValues(s, UpStroke, contact, lastBounce));

    setSteadyText(cycleCountBox, QString::number(s.counters.cycleCount));
    setSteadyText(cycleLimitBox, QString::number(s.reported.cycleLimit));
    setSteadyText(failCountBox, QString::number(s.counters.failCount));
    setSteadyText(failLimitBox, QString::number(s.reported.failLimit));
    setSteadyText(seqFailCountBox, QString::number(s.counters.seqCount));
    setSteadyText(seqFailLimitBox, QString::number(s.reported.seqLimit));

    // The failure indicators follow the tester's bits even on a stroke that is not tested.
    const int error = s.counters.errorCode;
    downPanel->showFailures({bool(error & 1), bool(error & 2), bool(error & 16), bool(error & 64)});
    upPanel->showFailures({bool(error & 4), bool(error & 8), bool(error & 32), bool(error & 128)});
}

void TesterWindow::showMode()
{
    statusPanels->setPanelText(StatusPanels::Method, modePanelText(s));
    if (s.reported.rangeMode != lastModeShown)
        showContactUnits();
}

void TesterWindow::showContactUnits()
{
    const QString unit = contactUnitText(s.reported.rangeMode);
    downPanel->setUnitText(unit);
    upPanel->setUnitText(unit);
    lastModeShown = s.reported.rangeMode;
}

void TesterWindow::showPullUp()
{
    statusPanels->setPanelText(StatusPanels::RangeValue, rValuePanelText(s));
}

void TesterWindow::showSerialNumber()
{
    statusPanels->setPanelText(StatusPanels::SerialNumber, serialPanelText(s));
}

void TesterWindow::showSampleDate(const QString &text)
{
    setSteadyText(sampleDateBox, text);
}

void TesterWindow::drawLed(int drawing)
{
    errorLed->draw(drawing);
}

void TesterWindow::testEnded()
{
    QApplication::beep();
}

void TesterWindow::setTitle(const QString &text)
{
    fileTitle = text;
    showTitle();
}

void TesterWindow::showTitle()
{
    const QString text = station ? station->testerName(tester) + QStringLiteral(" - ") + fileTitle : fileTitle;
    if (windowTitle() != text)
        setWindowTitle(text);
}

void TesterWindow::sampleTaken(const DecodedSample &)
{
    overview->sampleTaken();
    trendView->historyGrew();
    // The first sample brings the tester's serial number.
    if (station)
        showTitle();
}

void TesterWindow::portTried(int, const QString &)
{
    overview->linkChanged();
}
void TesterWindow::linkFound(int, const QString &, const QDateTime &)
{
    overview->linkChanged();
    if (station)
        showTitle();
}
void TesterWindow::linkLost(const QDateTime &)
{
    overview->linkChanged();
}
void TesterWindow::runStarted(int)
{
    overview->runStarted();
}

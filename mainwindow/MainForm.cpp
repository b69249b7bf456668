#include "mainwindow/MainForm.h"

#include "engine/config/ConfigCommands.h"
#include "engine/state/DataFormat.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/StateTexts.h"
#include "engine/supervision/TesterEngine.h"
#include "features/config/ConfigEditCommands.h"
#include "features/procedures/ProcedureMenus.h"
#include "features/report/QtPrintDialogs.h"
#include "features/report/ReportController.h"
#include "features/trend/TrendController.h"
#include "mainwindow/BreakDialog.h"
#include "mainwindow/MenuShortcuts.h"
#include "mainwindow/PortDialog.h"
#include "mainwindow/RunOverview.h"
#include "mainwindow/StatusPanels.h"
#include "mainwindow/StrokePanel.h"
#include "mainwindow/frmAbout.h"
#include "ui/LedIndicator.h"
#include "ui/MainMenus.h"
#include "ui/QtConfigFileDialog.h"
#include "ui/ValueBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Tester command codes the Run menu sends.
enum RunCode : int {
    StopCode = 161,
    RunToLimitsCode = 162,
    RunOnceCode = 170,
    RunNoLimitCode = 172,
    SampleDataCode = 174,
    BreakUpdateCode = 243,
};

QLabel *plainLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

MainForm::MainForm(SerialPort &port, SettingsStore &settings, MessageDialogs &dialogs,
                   DataFileDialog &fileDialog, int pollPeriodMs, QWidget *parent)
    : QMainWindow(parent), dialogs(dialogs), registry(settings), pollPeriodMs(pollPeriodMs)
{
    setObjectName("MainForm");
    setWindowTitle(title());
    buildWindow();
    log = std::make_unique<DataLog>(s, dialogs, fileDialog, registry,
                                    [this](const QString &text) { setWindowTitle(text); });
    testerEngine = std::make_unique<TesterEngine>(s, port, *this);
    testerEngine->setSampleLog(log.get());
    configFileDialog = std::make_unique<QtConfigFileDialog>(this);
    config = std::make_unique<ConfigCommands>(s, *testerEngine, dialogs, *configFileDialog, registry);
    overview = new RunOverview(s, *log, centralWidget(), centralWidget());
    static_cast<QVBoxLayout *>(centralWidget()->layout())->insertWidget(0, overview);
    log->changed = [this] { overview->refresh(); };
    AddMenuShortcuts(*menus);
    registry.recentFilesChanged = [this] { LoadRecentFiles(); };
    registry.recentConfigFilesChanged = [this] { LoadRecentConfigFiles(); };
    connectMenus();
    trendView = std::make_unique<TrendController>(*menus, dialogs, *this);
    addSampleObserver([this](const TesterState &state) { trendView->sampleDecoded(state); });
    configEdit = std::make_unique<ConfigEditCommands>(*menus, s, *testerEngine, dialogs, this);
    procedures = std::make_unique<ProcedureMenus>(*menus, s, *testerEngine, dialogs, this,
                                                  [this] { return CheckConfigSaved(); },
                                                  [this](bool newLearn) { EditConfiguration(newLearn); });
    reportController = std::make_unique<ReportController>(*menus, s, dialogs, std::make_unique<QtPrintDialogs>(this));

    Tmr = new QTimer(this);
    Tmr->setObjectName("Tmr");
    connect(Tmr, &QTimer::timeout, this, [this] { tick(); });

    startUp();
}

MainForm::~MainForm()
{
    Tmr->stop();
    registry.recentFilesChanged = nullptr;
    registry.recentConfigFilesChanged = nullptr;
}

QString MainForm::title()
{
    return QStringLiteral("Model 418C Life Cycle Tester");
}

void MainForm::buildWindow()
{
    menus = std::make_unique<MainMenus>(*this);

    auto *central = new QWidget(this);
    central->setObjectName("MainPanel");
    setCentralWidget(central);

    downPanel = new StrokePanel(QStringLiteral("Down"), {1, 2, 3, 1, 2, 5}, central);
    upPanel = new StrokePanel(QStringLiteral("Up"), {4, 5, 6, 3, 4, 6}, central);

    CycCntLbl = plainLabel("CycCntLbl", QStringLiteral("Cycle Count"), central);
    FailCntLbl = plainLabel("FailCntLbl", QStringLiteral("Fail Count"), central);
    SeqCntLbl = plainLabel("SeqCntLbl", QStringLiteral("Seq Fail Count"), central);
    CycleCntBox = ValueBox("CycleCntBox", QStringLiteral("Cycle Count"),
                           QStringLiteral("Total count of complete cycles on test item"), central);
    CycleCntLimit = ValueBox("CycleCntLimit", QStringLiteral("Cycle Count Limit"),
                             QStringLiteral("Termination limit on test cycles"), central);
    FailCntBox = ValueBox("FailCntBox", QStringLiteral("Fail Count"), QStringLiteral("Count of contact test failures"),
                          central);
    FailCntLimit = ValueBox("FailCntLimit", QStringLiteral("Fail Count Limit"),
                            QStringLiteral("Termination limit on total contact test failures"), central);
    SeqCntBox = ValueBox("SeqCntBox", QStringLiteral("Seq Fail Count"),
                         QStringLiteral("Count of sequential test failures"), central);
    SeqCntLimit = ValueBox("SeqCntLimit", QStringLiteral("Seq Fail Count Limit"),
                           QStringLiteral("Termination limit on sequential test failures"), central);

    auto *counters = new QGridLayout;
    counters->setHorizontalSpacing(8);
    counters->setVerticalSpacing(4);
    counters->addWidget(new QLabel(QStringLiteral("Count"), central), 0, 1, Qt::AlignHCenter);
    counters->addWidget(new QLabel(QStringLiteral("Limit"), central), 0, 2, Qt::AlignHCenter);
    const struct { QLabel *label; QLineEdit *count, *limit; } rows[] = {
        {CycCntLbl, CycleCntBox, CycleCntLimit},
        {FailCntLbl, FailCntBox, FailCntLimit},
        {SeqCntLbl, SeqCntBox, SeqCntLimit},
    };
    for (int row = 0; row < 3; ++row) {
        counters->addWidget(rows[row].label, row + 1, 0);
        counters->addWidget(rows[row].count, row + 1, 1);
        counters->addWidget(rows[row].limit, row + 1, 2);
    }

    SmplAtLbl = plainLabel("SmplAtLbl", QStringLiteral("Sampled at:"), central);
    SampleDate = ValueBox("SampleDate", QStringLiteral("Sampled at"),
                          QStringLiteral("Time and date of last data sample"), central,
                          QStringLiteral("00/00/0000 00:00:00"));
    SampleDate->setAlignment(Qt::AlignCenter);
    LEDLabel = plainLabel("LEDLabel", QStringLiteral("Error LED"), central);
    LEDLabel->setToolTip(QStringLiteral("Indicates state of tester error LED"));
    Shape1 = new LedIndicator(central);
    Shape1->setObjectName("Shape1");
    Shape1->setToolTip(LEDLabel->toolTip());
    SampleDataBtn = new QPushButton(QStringLiteral("Sample"), central);
    SampleDataBtn->setObjectName("SampleDataBtn");
    SampleDataBtn->setToolTip(QStringLiteral("Resample the test data whether running or stopped"));

    auto *sampleGrid = new QGridLayout;
    sampleGrid->setHorizontalSpacing(8);
    sampleGrid->setVerticalSpacing(4);
    sampleGrid->addWidget(SmplAtLbl, 0, 0);
    sampleGrid->addWidget(SampleDate, 0, 1);
    auto *ledRow = new QHBoxLayout;
    ledRow->addWidget(Shape1);
    ledRow->addStretch(1);
    sampleGrid->addWidget(LEDLabel, 1, 0);
    sampleGrid->addLayout(ledRow, 1, 1);
    sampleGrid->addWidget(SampleDataBtn, 2, 1, Qt::AlignRight);

    auto *strokes = new QHBoxLayout;
    strokes->addWidget(downPanel, 1);
    strokes->addWidget(upPanel, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(counters);
    bottom->addStretch(1);
    bottom->addLayout(sampleGrid);

    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->addLayout(strokes, 1);
    layout->addSpacing(4);
    layout->addLayout(bottom);

    StatBar = new StatusPanels(this);
    setStatusBar(StatBar);
}

void MainForm::connectMenus()
{
    MainMenus &m = *menus;
    auto on = [this](QAction *action, auto handler) { connect(action, &QAction::triggered, this, handler); };

    on(m.FileNewMenu, [this] { log->FileNew(); afterFileCommand(); });
    on(m.FileOpenMenu, [this] { log->FileOpen(); afterFileCommand(); });
    on(m.FileCloseMenu, [this] { log->FileClose(); afterFileCommand(); });
    for (int i = 1; i <= 4; ++i) {
        QAction *entry = m.FileRecentMenu[i];
        on(entry, [this, entry] { log->FileRecent(MainMenus::recentPath(entry)); afterFileCommand(); });
    }
    on(m.FileExitMenu, [this] { close(); });

    on(m.ConfigureOpenMenu, [this] { config->ConfigureOpenMenu(); });
    on(m.ConfigureSaveMenu, [this] { config->ConfigureSaveMenu(); });
    for (int i = 1; i <= 4; ++i) {
        QAction *entry = m.ConfigureRecentFileMenu[i];
        on(entry, [this, entry] { config->ConfigureRecentFileMenu(MainMenus::recentPath(entry)); });
    }

    on(m.RunStopMenu, [this] { runCommand(StopCode); });
    on(m.RunRunLimitMenu, [this] { runCommand(RunToLimitsCode); });
    on(m.RunOnceMenu, [this] { runCommand(RunOnceCode); });
    on(m.RunNoLimitMenu, [this] { runCommand(RunNoLimitCode); });
    on(m.RunSampleDataMenu, [this] { runCommand(SampleDataCode); });
    on(m.RunBreakUpdateMenu, [this] { RunBreakUpdateMenu_Click(); });
    on(m.RunPortMenu, [this] { RunPortMenu_Click(); });
    m.RunPortMenu->setEnabled(false);
    connect(SampleDataBtn, &QPushButton::clicked, this, [this] { runCommand(SampleDataCode); });

    on(m.HelpAboutMenu, [this] { HelpAboutMenu_Click(); });
}

void MainForm::startUp()
{
    s.DataFileNum = 0;
    s.DataFileName.clear();
    s.DataFileOpen = false;
    s.AppOrientation = -8;
    s.DownLoadedOnce = false;
    s.IsDirtyData = false;
    s.IsDirtyConfig = false;
    s.MasterUpdate = false;
    s.GoAgainMode = false;
    s.GoAgainFlag = false;
    s.MustWait = true;
    LastModeShown = -100;

    testerEngine->SetClearAll();

    s.vMaxUpResistance = 1022;
    s.vMaxDownResistance = 1022;
    s.LearnConfigure = false;
    s.vRPullUp = -1;
    s.vRMode = -1;
    s.LEDCounter = 0;
    s.LEDState = 1;
    s.vMinDownResistance = 0;
    s.vMinUpResistance = 0;
    s.Running = false;

    s.ComChan = 0;
    s.ComSeq = 0;
    s.ComChanOpen = false;

    SetControls();

    s.vSerialNumber.clear();
    DisplaySerialNum();
    s.vSoftwareVersion = 0;
    setVersionPanel(DisplayVersion(s));
    DisplayMode();
    DisplayRValue();

    // The search starts at the saved port; ports above 9 are searched from 9.
    s.ComChan = TesterState::Integer(std::clamp(registry.LoadCommChannel(), 0, 8));

    Tmr->start(pollPeriodMs);

    LoadRecentFiles();
    LoadRecentConfigFiles();
}

void MainForm::tick()
{
    // A tick never waits, but guard anyway: a dialog opened from inside a
    // tick must not let the next tick run the cycle a second time.
    if (ticking)
        return;
    ticking = true;
    testerEngine->Tick();
    ticking = false;
}

void MainForm::closeEvent(QCloseEvent *event)
{
    if (s.GoAgainMode)
        dialogs.ErrorDialog(QStringLiteral("Break Update Mode Cancel"),
                            QStringLiteral("The tester is set to stop after ") + QString::number(s.RepeatCount)
                                + QStringLiteral(" cycles and will not restart if program is terminated."));
    if (!log->CheckDataSaved(true) || !CheckConfigSaved()) {
        event->ignore();
        return;
    }
    if (s.DataFileOpen)
        log->FileClose();
    Tmr->stop();
    registry.SaveCommChannel(s.ComChan);
    // No command goes to the tester, so a running test goes on without us;
    // only a piston the manual control moved down is raised first.
    procedures->closeForExit();
    event->accept();
}

bool MainForm::CheckConfigSaved()
{
    return config->CheckConfigSaved();
}

void MainForm::EditConfiguration(bool NewLearn)
{
    configEdit->EditConfiguration(NewLearn);
}

void MainForm::runCommand(int code)
{
    if (testerEngine->CommReady())
        testerEngine->SendCommand(code);
}

void MainForm::RunBreakUpdateMenu_Click()
{
    if (!testerEngine->CommReady())
        return;

    BreakDialog dialog(this);
    dialog.checked = s.DataFileOpen;
    dialog.exec();
    const int16_t breakCount = dialog.BreakCount;
    s.SaveToDatabase = dialog.checked;
    if (breakCount < 1)
        return;
    if (s.SaveToDatabase && !s.DataFileOpen) {
        dialogs.ErrorDialog(QStringLiteral("No Data File"),
                            QStringLiteral("There must be a database file open in which to save the data"));
        return;
    }
    // The poll cycle kept running while the dialog was open: the link may
    // have gone or become busy, and then the command would not go out.
    if (!testerEngine->CommReady())
        return;
    s.RepeatCount = breakCount;
    testerEngine->SendValueCommand(BreakUpdateCode, QString::number(breakCount));
    s.Running = true;
}

void MainForm::setSerialDevices(SerialDevices *devices)
{
    serialDevices = devices;
    menus->RunPortMenu->setEnabled(devices != nullptr);
}

void MainForm::RunPortMenu_Click()
{
    if (!serialDevices)
        return;
    PortDialog dialog(*serialDevices, this);
    // A new choice takes effect at once: the search starts again on it.
    if (dialog.exec() == QDialog::Accepted && dialog.changed)
        testerEngine->restartSearch();
}

void MainForm::HelpAboutMenu_Click()
{
    frmAbout about(this);
    about.devices = serialDevices;
    about.exec();
}

void MainForm::afterFileCommand()
{
    menus->FileCloseMenu->setEnabled(s.DataFileOpen);
}

void MainForm::LoadRecentFiles()
{
    MainMenus::fillRecent(menus->FileRecentMenu, registry.LoadRecentFiles());
}

void MainForm::LoadRecentConfigFiles()
{
    MainMenus::fillRecent(menus->ConfigureRecentFileMenu, registry.LoadRecentConfigFiles());
}

// ---- what the engine shows through the window ----

void MainForm::showBarMessage(const QString &text)
{
    StatBar->showBarMessage(text);
}

void MainForm::showBarPanels()
{
    StatBar->showPanels();
}

void MainForm::setVersionPanel(const QString &text)
{
    StatBar->setPanelText(4, text);
}

void MainForm::SetControls()
{
    const bool idle = testerEngine->CommReady() && !s.Running;
    const bool ready = testerEngine->CommReady();
    const bool sampled = s.DownLoadedOnce;
    MainMenus &m = *menus;

    m.ConfigureLearnMenu->setEnabled(idle);
    m.ConfigureEditMenu->setEnabled(idle);
    m.ConfigureOpenMenu->setEnabled(idle);
    m.ConfigureSaveMenu->setEnabled(idle);
    m.ConfigureResetLimits->setEnabled(ready);
    m.RunManualMenu->setEnabled(idle);
    m.RunStopMenu->setEnabled(ready);
    m.RunNoLimitMenu->setEnabled(ready);
    m.RunRunLimitMenu->setEnabled(ready);
    m.RunSampleDataMenu->setEnabled(ready);
    m.RunBreakUpdateMenu->setEnabled(ready);
    m.RunOnceMenu->setEnabled(ready);
    SampleDataBtn->setEnabled(ready);
    for (QWidget *w : std::initializer_list<QWidget *>{CycleCntBox, FailCntBox, SeqCntBox, CycleCntLimit,
                                                       FailCntLimit, SeqCntLimit, CycCntLbl, FailCntLbl,
                                                       SeqCntLbl, LEDLabel, SmplAtLbl, SampleDate})
        w->setEnabled(sampled);
    m.FilePrintMenu->setEnabled(sampled && ready);
    m.FileNewMenu->setEnabled(sampled);
    m.FileCloseMenu->setEnabled(s.DataFileOpen);
    m.FileOpenMenu->setEnabled(sampled);
    if (overview)
        overview->refresh();
}

namespace {

// Where one stroke direction's readings live in the state record, and which
// contact bits say that the stroke and its bounce are tested.
struct StrokeSource
{
    int testedBit, bounceBit;
    TesterState::Long TesterState::*maxR, TesterState::*maxRLim, TesterState::*minR, TesterState::*minRLim,
        TesterState::*lastR, TesterState::*bounce, TesterState::*bounceLim, TesterState::*lastBounce,
        TesterState::*lastContactTime;
};

const StrokeSource DownStroke = {16, 64, &TesterState::vMaxDownResistance, &TesterState::vMaxDownResistTol,
    &TesterState::vMinDownResistance, &TesterState::vMinDownResistTol, &TesterState::vLastMeasuredDownResist,
    &TesterState::vMaxDownBounce, &TesterState::vMaxDownBounceTol, &TesterState::vLastDownBounceTime,
    &TesterState::vLastDownStrokeTime};
const StrokeSource UpStroke = {32, 128, &TesterState::vMaxUpResistance, &TesterState::vMaxUpResistTol,
    &TesterState::vMinUpResistance, &TesterState::vMinUpResistTol, &TesterState::vLastMeasuredUpResist,
    &TesterState::vMaxUpBounce, &TesterState::vMaxUpBounceTol, &TesterState::vLastUpBounceTime,
    &TesterState::vLastUpStrokeTime};

StrokeValues strokeValues(const TesterState &s, const StrokeSource &from, int contact, bool lastBounceReported)
{
    auto resistance = [&s](int32_t count) { return FormatResistance(s, count, false); };
    StrokeValues v;
    v.tested = contact & from.testedBit;
    v.bounceTested = contact & from.bounceBit;
    v.lastBounceReported = lastBounceReported;
    v.maxR = resistance(s.*from.maxR);
    v.maxRLim = resistance(s.*from.maxRLim);
    v.minR = resistance(s.*from.minR);
    v.minRLim = resistance(s.*from.minRLim);
    v.lastR = resistance(s.*from.lastR);
    v.bounce = FormatBounceTime(s.*from.bounce);
    v.bounceLim = FormatBounceTime(s.*from.bounceLim);
    v.lastBounce = FormatBounceTime(s.*from.lastBounce);
    v.lastContactTime = FormatStrokeTime(s.*from.lastContactTime);
    return v;
}

} // namespace

void MainForm::DisplayData()
{
    const int contact = s.vContact;
    const bool lastBounce = HasLastBounce(s);

    downPanel->display(strokeValues(s, DownStroke, contact, lastBounce));
    upPanel->display(strokeValues(s, UpStroke, contact, lastBounce));

    SetSteadyText(CycleCntBox, QString::number(s.CycleCount));
    SetSteadyText(CycleCntLimit, QString::number(s.vCycleLimit));
    SetSteadyText(FailCntBox, QString::number(s.FailCount));
    SetSteadyText(FailCntLimit, QString::number(s.vFailLimit));
    SetSteadyText(SeqCntBox, QString::number(s.SeqCount));
    SetSteadyText(SeqCntLimit, QString::number(s.vSeqLimit));

    // The failure indicators follow the tester's bits even on a stroke that is not tested.
    const int error = s.vErrorCode;
    downPanel->showFailures({bool(error & 1), bool(error & 2), bool(error & 16), bool(error & 64)});
    upPanel->showFailures({bool(error & 4), bool(error & 8), bool(error & 32), bool(error & 128)});
}

void MainForm::DisplayMode()
{
    StatBar->setPanelText(3, ModePanelText(s));
    if (s.vRMode != LastModeShown)
        DoContactLabels();
}

void MainForm::DoContactLabels()
{
    const QString unit = ContactUnitText(s.vRMode);
    downPanel->setUnitText(unit);
    upPanel->setUnitText(unit);
    LastModeShown = s.vRMode;
}

void MainForm::DisplayRValue()
{
    StatBar->setPanelText(2, RValuePanelText(s));
}

void MainForm::DisplaySerialNum()
{
    StatBar->setPanelText(1, SerialPanelText(s));
}

void MainForm::showSampleDate(const QString &text)
{
    SetSteadyText(SampleDate, text);
}

int MainForm::ledDrawing() const
{
    return Shape1->drawing();
}

void MainForm::drawLed(int drawing)
{
    Shape1->draw(drawing);
}

void MainForm::beep()
{
    QApplication::beep();
}

// Only the manual control shows the piston and a single reading.
void MainForm::setPistonBox(bool ticked)
{
    procedures->manual().setPistonBox(ticked);
}

void MainForm::showManualReading(const QString &text)
{
    procedures->manual().showManualReading(text);
}

void MainForm::sampleDecoded()
{
    overview->sampleTaken();
    for (const auto &observer : sampleObservers)
        observer(s);
}

void MainForm::addSampleObserver(std::function<void(const TesterState &)> observer)
{
    sampleObservers.push_back(std::move(observer));
}

void MainForm::portTried(int port, const QString &problem) { overview->portTried(port, problem); }
void MainForm::linkFound(int port, const QString &device, const QDateTime &at) { overview->linkFound(port, device, at); }
void MainForm::linkLost(const QDateTime &at) { overview->linkLost(at); }
void MainForm::runStarted(int code) { overview->runStarted(code); }
void MainForm::stopAcknowledged() { overview->stopAcknowledged(); }

#include "engine/session/TesterSession.h"

#include "engine/archive/ArchiveSink.h"
#include "engine/archive/RunFileLog.h"
#include "engine/archive/RunRecorder.h"
#include "engine/config/ConfigCommands.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/procedures/ManualControl.h"
#include "engine/session/SampleRoute.h"
#include "engine/session/SessionView.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/StateTexts.h"
#include "engine/supervision/TesterEngine.h"

#include <QEventLoop>
#include <QSysInfo>
#include <algorithm>

namespace {

// Raising the piston at shut-down: a poll every tick, for two seconds at most.
constexpr int ExitPolls = 2000 / TickPeriodMs;
// The link's warning is checked once a second: it tells whole seconds.
constexpr int WarningCheckTicks = 1000 / TickPeriodMs;

// Without an archive the records go nowhere.
class DiscardingSink : public ArchiveSink
{
public:
    void post(ArchiveRecord &&) override {}
};

RunEvent eventOf(TesterChange change)
{
    switch (change) {
    case TesterChange::ConfigDownload: return RunEvent::ConfigDownload;
    case TesterChange::CounterReset: return RunEvent::CounterReset;
    case TesterChange::Learn: return RunEvent::Learn;
    case TesterChange::MasterDownload: return RunEvent::MasterDownload;
    }
    return RunEvent::ConfigDownload;
}

}   // namespace

// The data log's messages, with its file errors told to the session first.
class TesterSession::FileErrorWatch : public MessageDialogs
{
public:
    FileErrorWatch(MessageDialogs &shown, TesterSession &session) : shown(shown), session(session) {}
    void showError(const QString &title, const QString &text) override
    {
        if (title == QLatin1String("File Error"))
            Q_EMIT session.fileError(text);
        shown.showError(title, text);
    }
    int16_t askYesNo(const QString &title, const QString &text) override { return shown.askYesNo(title, text); }
    int16_t askReadjust(const QStringList &changes) override { return shown.askReadjust(changes); }
    int askChoice(const QString &title, const QString &text, const QStringList &choices) override
    {
        return shown.askChoice(title, text, choices);
    }

private:
    MessageDialogs &shown;
    TesterSession &session;
};

// What the data log did: the title goes to the window, the rest to the
// session's signal and the archive.
class TesterSession::DataLogNews : public DataLogListener
{
public:
    explicit DataLogNews(TesterSession &session) : session(session) {}
    void titleChanged(const QString &title) override { session.view->setTitle(title); }
    void logChanged() override { Q_EMIT session.logChanged(); }
    void fileOpenedOrClosed(bool opened) override
    {
        session.recorder->event(opened ? RunEvent::DataFileOpened : RunEvent::DataFileClosed,
                                QDateTime::currentDateTime(), session.s.session.dataFileName);
    }

private:
    TesterSession &session;
};

TesterSession::TesterSession(const SessionOutside &outside, int pollPeriodMs)
    : settingsStore(outside.settings), messageDialogs(outside.dialogs),
      view(std::make_unique<SessionView>(s, history, lines, summary)),
      prefs(std::make_unique<Registry>(outside.settings)), pollPeriodMs(pollPeriodMs)
{
    logDialogs = std::make_unique<FileErrorWatch>(outside.dialogs, *this);
    logNews = std::make_unique<DataLogNews>(*this);
    log = std::make_unique<DataLog>(s, *logDialogs, outside.dataFileDialog, *prefs, logNews.get());
    discardedRecords = std::make_unique<DiscardingSink>();
    recorder = std::make_unique<RunRecorder>(s, outside.archive ? *outside.archive : *discardedRecords,
                                             QSysInfo::machineHostName(), QStringLiteral(LIFECYCLE_VERSION));
    runFileLog = std::make_unique<RunFileLog>(s);
    samples = std::make_unique<SampleRoute>(*log, *recorder);
    samples->addListener(*view);
    testerEngine = std::make_unique<TesterEngine>(s, outside.port, *view);
    testerEngine->link().sharePorts(outside.sharedPorts);
    testerEngine->setSampleListener(samples.get());
    config = std::make_unique<ConfigCommands>(s, *testerEngine, outside.dialogs, outside.configFileDialog, *prefs);
    manualControl = std::make_unique<ManualControl>(s, *testerEngine);
    testerEngine->setManualDisplay(manualControl.get());
    connect(view.get(), &SessionView::sampleArrived, this, &TesterSession::sampleDecoded);
    connect(view.get(), &SessionView::searchTried, this, &TesterSession::portTried);
    connect(view.get(), &SessionView::testerFound, this, &TesterSession::linkFound);
    connect(view.get(), &SessionView::testerLost, this, &TesterSession::linkLost);
    connect(view.get(), &SessionView::runCommanded, this, &TesterSession::runStarted);
    connect(view.get(), &SessionView::limitReached, this, &TesterSession::testEnded);
    connect(view.get(), &SessionView::stopCommanded, this, &TesterSession::stopAcknowledged);
    connect(view.get(), &SessionView::otherTesterFound, this, &TesterSession::otherTesterFound);
    if (outside.sharedPorts)
        view->followOneTester();
    connectRecorder();
    pollTimer.setObjectName("pollTimer");
    connect(&pollTimer, &QTimer::timeout, this, [this] { tick(); });
}

TesterSession::~TesterSession()
{
    pollTimer.stop();
}

void TesterSession::connectRecorder()
{
    RunRecorder &r = *recorder;
    connect(view.get(), &SessionView::testerFound, this,
            [&r](int, const QString &, const QDateTime &at) { r.linkFound(at); });
    connect(view.get(), &SessionView::testerLost, this, [&r](const QDateTime &at) { r.linkLost(at); });
    connect(view.get(), &SessionView::runCommanded, this,
            [&r](int code) { r.runStarted(QDateTime::currentDateTime(), code); });
    connect(view.get(), &SessionView::stopCommanded, this, [&r] { r.stopAcknowledged(); });
    connect(view.get(), &SessionView::limitReached, this, [&r] { r.limitReached(QDateTime::currentDateTime()); });
    connect(view.get(), &SessionView::changeSent, this,
            [&r](TesterChange change) { r.event(eventOf(change), QDateTime::currentDateTime()); });
    RunFileLog &file = *runFileLog;
    r.setRunFile(&file);
    // Queued: the poll tick that wrote must finish first.
    connect(
        &file, &RunFileLog::failed, this,
        [this](const QString &text) { logDialogs->showError(QStringLiteral("File Error"), text); },
        Qt::QueuedConnection);
}

void TesterSession::preferencesChanged()
{
    runFileLog->setFolder(prefs->runFilesFolder());
}

void TesterSession::start(std::optional<int> searchAfterPort)
{
    s.session.dataFileName.clear();
    s.session.dataFileOpen = false;
    s.session.downloadedOnce = false;
    s.session.dirtyData = false;
    s.session.dirtyConfig = false;
    s.session.masterUpdate = false;
    s.session.goAgainMode = false;
    s.session.goAgainFlag = false;
    s.link.busy = true;

    testerEngine->setClearAll();

    s.counters.maxUpResistance = 1022;
    s.counters.maxDownResistance = 1022;
    s.session.learnConfigure = false;
    s.reported.rangePullUp = -1;
    s.reported.rangeMode = -1;
    s.link.slowTaskTicks = 0;
    s.counters.ledState = 1;
    s.counters.minDownResistance = 0;
    s.counters.minUpResistance = 0;
    s.counters.running = false;

    s.link.port = 0;
    s.link.step = LinkStep::Idle;
    s.link.portOpen = false;
    s.identity.serialNumber.clear();
    s.identity.softwareVersion = 0;
    if (TesterView *window = view->shownIn())
        showEverything(*window);

    // The search tries the port after the link's port first: it starts at
    // the saved port, and ports above 9 are searched from 9.
    s.link.port = TesterState::Integer(std::clamp(prefs->savedPort() - 1, 0, 8));
    if (searchAfterPort)
        s.link.port = TesterState::Integer(std::clamp(*searchAfterPort, 0, PortCount));
    preferencesChanged();
    if (pollPeriodMs > 0)
        pollTimer.start(pollPeriodMs);
}

void TesterSession::shutDown()
{
    if (s.session.dataFileOpen)
        log->closeDataFile();
    pollTimer.stop();
    recorder->programClosing(QDateTime::currentDateTime());
    prefs->saveCommChannel(s.link.port);
    raisePistonBeforeExit();
}

void TesterSession::raisePistonBeforeExit()
{
    manualControl->raisePistonPolling(
        [this] {
            // Time for the tester to answer, with the port's events taken in;
            // the operator's input waits.
            QEventLoop wait;
            QTimer::singleShot(TickPeriodMs, &wait, &QEventLoop::quit);
            wait.exec(QEventLoop::ExcludeUserInputEvents);
            testerEngine->pollTick();
        },
        ExitPolls);
}

void TesterSession::tick()
{
    // A tick never waits, but guard anyway: a dialog opened from inside a
    // tick must not let the next tick run the cycle a second time.
    if (ticking)
        return;
    ticking = true;
    testerEngine->pollTick();
    ticking = false;
    if (++warningTicks >= WarningCheckTicks) {
        warningTicks = 0;
        checkLinkWarning();
    }
}

void TesterSession::setClock(const std::function<QDateTime()> &clock)
{
    testerEngine->setClock(clock);
    summary.clock = clock ? clock : std::function<QDateTime()>(&QDateTime::currentDateTime);
}

void TesterSession::checkLinkWarning()
{
    const QString warning = summary.linkWarning(s, summary.clock());
    if (warning == linkWarning)
        return;
    linkWarning = warning;
    Q_EMIT linkWarningChanged();
}

void TesterSession::setWindow(TesterView *window)
{
    view->setWindow(window);
    if (window)
        showEverything(*window);
}

SampleListener &TesterSession::sampleRoute()
{
    return *samples;
}

TesterView &TesterSession::engineView()
{
    return *view;
}

QString TesterSession::title() const
{
    return view->title();
}

void TesterSession::showEverything(TesterView &window)
{
    window.updateControls();
    window.showSerialNumber();
    window.showVersion(displayVersion(s));
    window.showMode();
    window.showPullUp();
    // The last sample, also after the link was lost: a window opened then
    // shows it (greyed by the window) as one that was open all along.
    if (s.session.downloadedOnce || !history.empty()) {
        window.showReadings();
        window.showSampleDate(formatSampleTime(s.counters.updateTime));
    }
    window.drawLed(testerEngine->ledDrawing());
    if (!view->title().isEmpty())
        window.setTitle(view->title());
}

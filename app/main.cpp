#include "app/AppOptions.h"
#include "app/ArchiveCommands.h"
#include "app/Notifications.h"
#include "app/SerialSetup.h"
#include "app/WindowsConsole.h"
#include "engine/preferences/Registry.h"
#include "engine/session/TesterSession.h"
#include "engine/station/Station.h"
#include "features/preferences/PreferencesDialog.h"
#include "features/report/ReportController.h"
#include "features/trend/TrendController.h"
#include "features/trend/TrendPrint.h"
#include "features/trend/TrendWindow.h"
#include "mainwindow/TesterWindow.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtWebhookSender.h"
#include "platform/QuitSignals.h"
#include "platform/archive/ArchivePlace.h"
#include "platform/archive/ArchiveWriter.h"
#include "station/StationWindow.h"
#include "ui/QtConfigFileDialog.h"
#include "ui/QtDataFileDialog.h"
#include "ui/QtMessageDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

// How long after start the --screenshot picture and the --report page are
// taken: time for the simulated tester to be found and its first sample shown;
// for a station, time for every tester to be found and show its rate.
constexpr int ScreenshotDelayMs = 4000;
constexpr int StationScreenshotDelayMs = 8000;

// The --trend-screenshot picture: taken once the live run has this many
// samples (or at the latest after the wait), or at once for a plotted log.
constexpr size_t TrendScreenshotSamples = 250;
constexpr int TrendScreenshotWaitMs = 90000;

void saveTrendScreenshot(TesterWindow &form, const AppOptions &options, QElapsedTimer started)
{
    TrendController &trend = form.trend();
    const QString &path = options.trendScreenshotFile;
    const bool ready = !trend.window().showingLive() || form.session().trendHistory().size() >= TrendScreenshotSamples
                       || started.elapsed() > TrendScreenshotWaitMs;
    if (!ready) {
        QTimer::singleShot(200, &form, [&form, &options, started] { saveTrendScreenshot(form, options, started); });
        return;
    }
    trend.window().redraw();
    if (options.trendZoomFrom < options.trendZoomTo)
        trend.window().zoomTo({options.trendZoomFrom, options.trendZoomTo});
    if (!qIsNaN(options.trendCursor))
        trend.window().readOut(options.trendCursor, "BounceChart");
    if (trend.window().grab().save(path, "PNG")) {
        QCoreApplication::exit(0);
    } else {
        QTextStream(stderr) << "lifecycle: cannot write the screenshot " << path << "\n";
        QCoreApplication::exit(1);
    }
}

// Without a display and without a chosen platform, Qt aborts with a message
// that does not say what to do; say it here.
bool displayAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// Quits a while after start, once the window's picture is saved and `more`
// did its part (0 when it went well). The window is not closed: such a run
// asks no questions and leaves the saved settings alone.
void quitAfterStart(QWidget &window, const QString &screenshotFile, int delayMs, std::function<int()> more)
{
    QTimer::singleShot(delayMs, &window, [&window, screenshotFile, more] {
        int code = 0;
        if (!screenshotFile.isEmpty() && !window.grab().save(screenshotFile, "PNG")) {
            QTextStream(stderr) << "lifecycle: cannot write the screenshot " << screenshotFile << "\n";
            code = 1;
        }
        if (more && more() != 0)
            code = 1;
        QCoreApplication::exit(code);
    });
}

// What the command line asks of the window at start: a data log to plot,
// and the pictures or the report page to write before quitting.
void scheduleStartRequests(TesterWindow &form, const AppOptions &options)
{
    if (!options.plotFile.isEmpty())
        QTimer::singleShot(0, &form, [&form, &options] { form.trend().plotLog(options.plotFile); });
    if (!options.trendScreenshotFile.isEmpty()) {
        QElapsedTimer started;
        started.start();
        if (options.plotFile.isEmpty())
            form.trend().showLive();
        QTimer::singleShot(500, &form, [&form, &options, started] { saveTrendScreenshot(form, options, started); });
    }
    if (options.screenshotFile.isEmpty() && options.reportFile.isEmpty())
        return;
    quitAfterStart(form, options.screenshotFile, ScreenshotDelayMs, [&form, &options] {
        if (options.reportFile.isEmpty())
            return 0;
        const QString failure = form.report().writePdf(options.reportFile);
        if (failure.isEmpty())
            return 0;
        QTextStream(stderr) << "lifecycle: " << failure << "\n";
        return 1;
    });
}

// The data folder of the archive: the same names as the settings file.
void nameTheProgram()
{
    QCoreApplication::setOrganizationName(QStringLiteral("RuqLifeCycle"));
    QCoreApplication::setApplicationName(QStringLiteral("RuqLifeCycle"));
}

// The run archive's writer, or none when the archive named cannot be used:
// the program then runs with its data log alone, and says so.
std::unique_ptr<ArchiveWriter> startArchive(const AppOptions &options, SettingsStore &settings, MessageDialogs &dialogs,
                                            QObject &context)
{
    ArchiveLocation location;
    if (const QString failure = chooseArchive(options.archive, Registry(settings).loadArchive(), location);
        !failure.isEmpty()) {
        QTimer::singleShot(0, &context, [&dialogs, failure] {
            dialogs.showError(QStringLiteral("Run Archive"),
                              failure + QStringLiteral("  The runs are not archived; the data log works as before."));
        });
        return nullptr;
    }
    auto writer = std::make_unique<ArchiveWriter>(location, spoolPathFor(location, archiveSpoolFolder()));
    QObject::connect(writer.get(), &ArchiveWriter::problem, &context, [&dialogs](const QString &text) {
        dialogs.showError(QStringLiteral("Run Archive"),
                          text
                              + QStringLiteral("  Polling and the data log go on; the samples are kept and "
                                               "written to the archive when it can be written again."));
    });
    writer->start();
    return writer;
}

// SIGTERM or SIGINT: the testers' sessions shut down as on closing (the data
// logs closed, the runs left open with the program's exit), then the
// program quits; the archive's writer commits what it holds as it stops.
void shutDownOnSignal(QuitSignals &quitSignals, QObject &context, std::function<void()> shutDown)
{
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &context, [shutDown = std::move(shutDown)] {
        static bool done = false;
        if (done)
            return;
        done = true;
        shutDown();
        QCoreApplication::exit(0);
    });
}

// What the program builds for its testers, handed to their sessions.
struct ProgramParts
{
    SettingsStore &settings;
    SerialSetup &serial;
    QtMessageDialogs &dialogs;
    QtDataFileDialog &fileDialog;
    QtConfigFileDialog &configFileDialog;
    ArchiveWriter *archive;   // none when the runs are not archived

    TesterWindow::RunCatalogSource runCatalog() const
    {
        if (!archive)
            return nullptr;
        ArchiveWriter *writer = archive;
        return [writer](QString &failure) { return readArchiveOf(*writer, 1500, failure); };
    }
};

// The program with one tester: its main window.
int runOneTester(const AppOptions &options, ProgramParts &parts)
{
    TesterSession session(
        {parts.serial.port(), parts.settings, parts.dialogs, parts.fileDialog, parts.configFileDialog, parts.archive},
        options.pollPeriodMs);
    TesterWindow form(session);
    if (parts.archive)
        form.setRunCatalogSource(parts.runCatalog());
    form.setSerialDevices(&parts.serial.devices());
    parts.dialogs.setParentWidget(&form);
    parts.fileDialog.setParentWidget(&form);
    parts.configFileDialog.setParentWidget(&form);
    Notifications notifications(options, parts.settings, parts.dialogs, parts.archive);
    notifications.watchSession(session, form);
    QuitSignals quitSignals;
    shutDownOnSignal(quitSignals, form, [&session] { session.shutDown(); });
    session.start();
    if (!options.logFile.isEmpty())
        session.dataLog().openRecentDataFile(options.logFile);
    form.show();

    scheduleStartRequests(form, options);
    return QApplication::exec();
}

// The program with every tester found: the Station window. Messages and
// file dialogs come over the window in use.
int runStation(const AppOptions &options, ProgramParts &parts)
{
    SerialSetup &serial = parts.serial;
    Station station({[&serial]() -> SerialPort & { return serial.newPort(); }, parts.settings, parts.dialogs,
                     parts.fileDialog, parts.configFileDialog, parts.archive},
                    options.pollPeriodMs);
    StationWindow window(station, parts.settings, parts.dialogs);
    window.setRunCatalogSource(parts.runCatalog());
    Notifications notifications(options, parts.settings, parts.dialogs, parts.archive);
    notifications.watchStation(station, window);
    window.showServices(notifications.servicesText());
    QuitSignals quitSignals;
    shutDownOnSignal(quitSignals, window, [&station] { station.shutDown(); });
    station.start();
    window.show();
    if (!options.screenshotFile.isEmpty())
        quitAfterStart(window, options.screenshotFile, StationScreenshotDelayMs, nullptr);
    return QApplication::exec();
}

}   // namespace

int main(int argc, char **argv)
{
    attachParentConsole();
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const AppOptions options = parseCommandLine(args);
    if (options.exitNow)
        return options.exitCode;

    if (!options.exportReport.isEmpty()) {
        // The report's pages need fonts and the Trend window's charts, though
        // no window is shown: without a display they are drawn off-screen.
        if (!displayAvailable())
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        nameTheProgram();
        QtSettingsStore settings;
        return runArchiveCommand(options, settings, paintTrendCharts);
    }
    if (options.archiveOnly()) {
        QCoreApplication app(argc, argv);
        nameTheProgram();
        QtSettingsStore settings;
        return runArchiveCommand(options, settings);
    }

    if (!displayAvailable()) {
        std::fputs("lifecycle: no display to show the window on. Run it on a desktop, under a virtual\n"
                   "display (xvfb-run -a lifecycle ...), or without a window with QT_QPA_PLATFORM=offscreen.\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    nameTheProgram();
    PreferencesDialog::setWebhook(options.notifyUrl, [] { return std::make_unique<QtWebhookSender>(); });

    QtSettingsStore settings;
    SerialSetup serial(options, settings);
    QtMessageDialogs dialogs;
    QtDataFileDialog fileDialog;
    QtConfigFileDialog configFileDialog;
    const std::unique_ptr<ArchiveWriter> archive = startArchive(options, settings, dialogs, app);
    ProgramParts parts{settings, serial, dialogs, fileDialog, configFileDialog, archive.get()};
    // The command line asks for several testers, or the preferences do,
    // unless one tester's report or trend is asked for.
    const bool station =
        options.station
        || (!options.needsOneTester() && options.logFile.isEmpty() && Registry(settings).loadDriveEveryTester());
    if (station)
        return runStation(options, parts);
    return runOneTester(options, parts);
}

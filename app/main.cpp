#include "app/AppOptions.h"
#include "app/SerialSetup.h"
#include "engine/preferences/StationSettings.h"
#include "engine/session/TesterSession.h"
#include "engine/station/Station.h"
#include "features/report/ReportController.h"
#include "features/trend/TrendController.h"
#include "features/trend/TrendWindow.h"
#include "mainwindow/MainForm.h"
#include "platform/QtSettingsStore.h"
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

void saveTrendScreenshot(MainForm &form, const QString &path, QElapsedTimer started)
{
    TrendController &trend = form.trend();
    const bool ready = !trend.window().showingLive() || form.session().trendHistory().size() >= TrendScreenshotSamples
        || started.elapsed() > TrendScreenshotWaitMs;
    if (!ready) {
        QTimer::singleShot(200, &form, [&form, path, started] { saveTrendScreenshot(form, path, started); });
        return;
    }
    trend.window().redraw();
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
void QuitAfterStart(QWidget &window, const QString &screenshotFile, int delayMs, std::function<int()> more)
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
void ScheduleStartRequests(MainForm &form, const AppOptions &options)
{
    if (!options.plotFile.isEmpty())
        QTimer::singleShot(0, &form, [&form, &options] { form.trend().plotLog(options.plotFile); });
    if (!options.trendScreenshotFile.isEmpty()) {
        QElapsedTimer started;
        started.start();
        if (options.plotFile.isEmpty())
            form.trend().showLive();
        QTimer::singleShot(500, &form, [&form, &options, started] {
            saveTrendScreenshot(form, options.trendScreenshotFile, started);
        });
    }
    if (options.screenshotFile.isEmpty() && options.reportFile.isEmpty())
        return;
    QuitAfterStart(form, options.screenshotFile, ScreenshotDelayMs, [&form, &options] {
        if (options.reportFile.isEmpty())
            return 0;
        const QString failure = form.report().writePdf(options.reportFile);
        if (failure.isEmpty())
            return 0;
        QTextStream(stderr) << "lifecycle: " << failure << "\n";
        return 1;
    });
}

// The program with one tester: its main window.
int RunOneTester(const AppOptions &options, SettingsStore &settings, SerialSetup &serial, QtMessageDialogs &dialogs,
                 QtDataFileDialog &fileDialog, QtConfigFileDialog &configFileDialog)
{
    TesterSession session({serial.port(), settings, dialogs, fileDialog, configFileDialog}, options.pollPeriodMs);
    MainForm form(session);
    dialogs.setParentWidget(&form);
    fileDialog.setParentWidget(&form);
    configFileDialog.setParentWidget(&form);
    session.start();
    form.show();

    ScheduleStartRequests(form, options);
    return QApplication::exec();
}

// The program with every tester found: the Station window. Messages and
// file dialogs come over the window in use.
int RunStation(const AppOptions &options, SettingsStore &settings, SerialSetup &serial, MessageDialogs &dialogs,
               DataFileDialog &fileDialog, ConfigFileDialog &configFileDialog)
{
    Station station({[&serial]() -> SerialPort & { return serial.newPort(); }, settings, dialogs, fileDialog,
                     configFileDialog},
                    options.pollPeriodMs);
    StationWindow window(station, settings, dialogs);
    station.start();
    window.show();
    if (!options.screenshotFile.isEmpty())
        QuitAfterStart(window, options.screenshotFile, StationScreenshotDelayMs, nullptr);
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const AppOptions options = ParseCommandLine(args);
    if (options.exitNow)
        return options.exitCode;

    if (!displayAvailable()) {
        std::fputs("lifecycle: no display to show the window on. Run it on a desktop, under a virtual\n"
                    "display (xvfb-run -a lifecycle ...), or without a window with QT_QPA_PLATFORM=offscreen.\n",
                    stderr);
        return 1;
    }

    QApplication app(argc, argv);

    QtSettingsStore settings;
    SerialSetup serial(options, settings);
    QtMessageDialogs dialogs;
    QtDataFileDialog fileDialog;
    QtConfigFileDialog configFileDialog;
    // The command line asks for several testers, or the preferences do,
    // unless one tester's report or trend is asked for.
    const bool station =
        options.station || (!options.needsOneTester() && StationSettings(settings).driveEveryTester());
    if (station)
        return RunStation(options, settings, serial, dialogs, fileDialog, configFileDialog);
    return RunOneTester(options, settings, serial, dialogs, fileDialog, configFileDialog);
}

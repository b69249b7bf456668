#include "app/AppOptions.h"
#include "app/SerialSetup.h"
#include "features/report/ReportController.h"
#include "features/trend/TrendController.h"
#include "features/trend/TrendWindow.h"
#include "mainwindow/MainForm.h"
#include "platform/QtSettingsStore.h"
#include "ui/QtDataFileDialog.h"
#include "ui/QtMessageDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

// How long after start the --screenshot picture and the --report page are
// taken: time for the simulated tester to be found and its first sample shown.
constexpr int ScreenshotDelayMs = 4000;

// The --trend-screenshot picture: taken once the live run has this many
// samples (or at the latest after the wait), or at once for a plotted log.
constexpr size_t TrendScreenshotSamples = 250;
constexpr int TrendScreenshotWaitMs = 90000;

void saveTrendScreenshot(MainForm &form, const AppOptions &options, QElapsedTimer started)
{
    TrendController &trend = form.trend();
    const QString &path = options.trendScreenshotFile;
    const bool ready = !trend.window().showingLive() || trend.liveHistory().size() >= TrendScreenshotSamples
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
    MainForm form(serial.port(), settings, dialogs, fileDialog, options.pollPeriodMs);
    dialogs.setParentWidget(&form);
    fileDialog.setParentWidget(&form);
    form.show();

    if (!options.plotFile.isEmpty())
        QTimer::singleShot(0, &form, [&] { form.trend().plotLog(options.plotFile); });
    if (!options.trendScreenshotFile.isEmpty()) {
        QElapsedTimer started;
        started.start();
        if (options.plotFile.isEmpty())
            form.trend().showLive();
        QTimer::singleShot(500, &form, [&form, &options, started] {
            saveTrendScreenshot(form, options, started);
        });
    }
    if (!options.screenshotFile.isEmpty() || !options.reportFile.isEmpty()) {
        // Quit without closing the window: a screenshot or report run asks no
        // questions and leaves the saved settings alone.
        QTimer::singleShot(ScreenshotDelayMs, &form, [&] {
            int code = 0;
            if (!options.screenshotFile.isEmpty() && !form.grab().save(options.screenshotFile, "PNG")) {
                QTextStream(stderr) << "lifecycle: cannot write the screenshot " << options.screenshotFile << "\n";
                code = 1;
            }
            if (!options.reportFile.isEmpty()) {
                const QString failure = form.report().writePdf(options.reportFile);
                if (!failure.isEmpty()) {
                    QTextStream(stderr) << "lifecycle: " << failure << "\n";
                    code = 1;
                }
            }
            app.exit(code);
        });
    }
    return app.exec();
}

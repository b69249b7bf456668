#pragma once

#include "engine/state/Protocol.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QtNumeric>

// What the command line asks of this run of the program.
struct AppOptions
{
    bool simulate = false;             // run the simulated tester on a pseudo-terminal as port 1
    int simulatedTesters = 0;          // --simulate N: that many, as ports 1 to N
    QMap<int, QString> portMap;        // --port N=DEVICE; when given, only mapped ports exist
    bool station = false;              // several testers asked for: --port more than once, --simulate N above 1
    QString traceFile;                 // --trace FILE: every byte on the line, time-stamped
    QString screenshotFile;            // --screenshot FILE: save the main window a few seconds after start
    QString plotFile;                  // --plot FILE: show a saved data log in the Trend window
    QString logFile;                   // --log FILE: log the tester's samples to this data file from the start
    QString trendScreenshotFile;       // --trend-screenshot FILE: save the Trend window after a fast run
    double trendZoomFrom = 0;          // --trend-zoom FROM:TO: the cycles the Trend picture shows; ...
    double trendZoomTo = 0;            // ... equal: the whole run
    double trendCursor = qQNaN();      // --trend-cursor CYCLE: where the Trend picture reads out a sample
    QString reportFile;                // --report FILE: write the test results page as PDF a few seconds after start
    int pollPeriodMs = TickPeriodMs;   // only tests and the soak run change it
    QString archive;                   // --archive FILE|URL: the run archive for this start
    bool listRuns = false;             // --list-runs: print the archive's runs and exit
    QString runSerial;                 // --serial S, --host H, --since DATE: which runs --list-runs prints,
    QString runHost;                   // as given; read against the archive
    QString runSince;
    QString exportRun;      // --export-run ID|last FILE: write a run's data log and exit
    QString exportReport;   // --export-report ID|last FILE.pdf: write a run's test report and exit
    QString exportFile;     // the FILE of either
    QString notifyUrl;      // --notify-url URL: the webhook for this start
    QString webAddress;     // --http ADDRESS:PORT: the web view for this start
    QString webToken;       // --http-token TOKEN

    // Whether this start needs no window: it only reads the archive.
    bool archiveOnly() const { return listRuns || !exportRun.isEmpty() || !exportReport.isEmpty(); }

    // The window of one tester is asked for: its report, its trend.
    bool needsOneTester() const
    {
        return !reportFile.isEmpty() || !plotFile.isEmpty() || !trendScreenshotFile.isEmpty();
    }

    bool exitNow = false;   // --help, --version or a bad option was handled
    int exitCode = 0;
};

// Parses the program's arguments (args[0] is the program). Prints the help,
// the version or the error itself and sets exitNow. Needs no application
// object, so --help and --version work without a display.
AppOptions parseCommandLine(const QStringList &args);

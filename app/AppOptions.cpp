#include "app/AppOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QLocale>
#include <QTextStream>

namespace {

const char Description[] = "Watches and controls a Model 418C life-cycle tester on a serial port.";

const char Epilogue[] =
    "\n"
    "Without --port, port N is the device named under [Ports] as CommN in the\n"
    "settings file, otherwise the N-th serial device of the system in name\n"
    "order (COMN on Windows).\n";

AppOptions finished(int exitCode)
{
    AppOptions options;
    options.exitNow = true;
    options.exitCode = exitCode;
    return options;
}

AppOptions fail(const QString &text)
{
    QTextStream(stderr) << "lifecycle: " << text << "\n"
                        << "Try 'lifecycle --help' for more information.\n";
    return finished(2);
}

// "N=DEVICE" with N in 1..16 and a non-empty device.
bool parsePortMapping(const QString &text, int &port, QString &device)
{
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    bool ok = false;
    port = QLocale::c().toInt(text.left(eq), &ok);
    device = text.mid(eq + 1);
    return ok && port >= 1 && port <= 16 && !device.isEmpty();
}

QCommandLineOption fileOption(const char *name, const char *description)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description), QStringLiteral("FILE"));
}

} // namespace

AppOptions ParseCommandLine(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Description));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Run a simulated tester, already in the middle of a test, on a pseudo-terminal as "
                       "port 1 (no other port exists; Unix only)."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Use DEVICE as port N (1 to 16); may be repeated; when given, only the mapped "
                       "ports exist."),
        QStringLiteral("N=DEVICE"));
    const QCommandLineOption trace = fileOption("trace", "Append every byte sent and received, time-stamped, to FILE.");
    const QCommandLineOption screenshot =
        fileOption("screenshot", "Save a picture of the main window to FILE shortly after start.");
    const QCommandLineOption report =
        fileOption("report", "Write the test results report of the tester's data to the PDF file FILE shortly "
                             "after start.");
    const QCommandLineOption plot = fileOption("plot", "Show the data log FILE in the Trend window at start.");
    const QCommandLineOption trendScreenshot = fileOption(
        "trend-screenshot",
        "With --simulate: run the simulated tester fast for a few hundred cycles, then save a picture of "
        "the Trend window to FILE and quit.");
    const QCommandLineOption trendZoom(
        QStringLiteral("trend-zoom"), QStringLiteral("With --trend-screenshot: show the cycles FROM to TO of the run."),
        QStringLiteral("FROM:TO"));
    const QCommandLineOption trendCursor(
        QStringLiteral("trend-cursor"),
        QStringLiteral("With --trend-screenshot: read out the sample nearest CYCLE in the picture."),
        QStringLiteral("CYCLE"));
    // Not in the help: only tests and the soak run shorten the tick.
    QCommandLineOption pollMs(QStringLiteral("poll-ms"), QStringLiteral("Poll period."), QStringLiteral("MS"));
    pollMs.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({help, version, simulate, port, trace, screenshot, report, plot, trendScreenshot, trendZoom,
                       trendCursor, pollMs});

    const bool parsed = parser.parse(args);
    // Help and version win over any mistake elsewhere on the line.
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QLatin1String("<executable_name>"), QLatin1String("lifecycle"));
        QTextStream(stdout) << text << Epilogue;
        return finished(0);
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << "lifecycle " << LIFECYCLE_VERSION << "\n";
        return finished(0);
    }
    if (!parsed)
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    AppOptions options;
    options.simulate = parser.isSet(simulate);
    for (const QString &value : parser.values(port)) {
        int n = 0;
        QString device;
        if (!parsePortMapping(value, n, device))
            return fail(QStringLiteral("bad port mapping '%1': expected N=DEVICE with N from 1 to 16").arg(value));
        options.portMap.insert(n, device);
    }
    const struct { const QCommandLineOption &option; QString &target; } files[] = {
        {trace, options.traceFile},
        {screenshot, options.screenshotFile},
        {report, options.reportFile},
        {plot, options.plotFile},
        {trendScreenshot, options.trendScreenshotFile},
    };
    for (const auto &file : files) {
        if (!parser.isSet(file.option))
            continue;
        file.target = parser.value(file.option);
        if (file.target.isEmpty())
            return fail(QStringLiteral("option '--%1' needs a file name").arg(file.option.names().first()));
    }
    bool ok = true;
    if (parser.isSet(trendZoom)) {
        const QStringList ends = parser.value(trendZoom).split(QLatin1Char(':'));
        bool fromOk = false;
        options.trendZoomFrom = QLocale::c().toDouble(ends.value(0), &fromOk);
        options.trendZoomTo = QLocale::c().toDouble(ends.value(1), &ok);
        if (ends.size() != 2 || !fromOk || !ok || !(options.trendZoomFrom < options.trendZoomTo))
            return fail(QStringLiteral("option '--trend-zoom' needs two cycle counts FROM:TO, FROM below TO"));
    }
    if (parser.isSet(trendCursor)) {
        options.trendCursor = QLocale::c().toDouble(parser.value(trendCursor), &ok);
        if (!ok)
            return fail(QStringLiteral("option '--trend-cursor' needs a cycle count"));
    }
    if (parser.isSet(pollMs)) {
        bool ok = false;
        const int ms = QLocale::c().toInt(parser.value(pollMs), &ok);
        if (!ok || ms < 1 || ms > 1000)
            return fail(QStringLiteral("option '--poll-ms' needs a number of milliseconds from 1 to 1000"));
        options.pollPeriodMs = ms;
    } else if (!options.trendScreenshotFile.isEmpty()) {
        // The picture's simulated run goes at full speed.
        options.pollPeriodMs = 10;
    }
    return options;
}

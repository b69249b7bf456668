#include "app/AppOptions.h"

#include <QLocale>
#include <QTextStream>
#include <cstdio>

namespace {

const char HelpText[] =
    "Usage: lifecycle [options]\n"
    "Watches and controls a Model 418C life-cycle tester on a serial port.\n"
    "\n"
    "Options:\n"
    "  --simulate            run a simulated tester, already in the middle of a\n"
    "                        test, on a pseudo-terminal as port 1 (no other port\n"
    "                        exists; Unix only)\n"
    "  --port N=DEVICE       use DEVICE as port N (1 to 16); may be repeated;\n"
    "                        when given, only the mapped ports exist\n"
    "  --trace FILE          append every byte sent and received, time-stamped,\n"
    "                        to FILE\n"
    "  --screenshot FILE     save a picture of the main window to FILE shortly\n"
    "                        after start\n"
    "  --report FILE         write the test results report of the tester's\n"
    "                        data to the PDF file FILE shortly after start\n"
    "  -h, --help            show this help and exit\n"
    "  -v, --version         show the version and exit\n"
    "\n"
    "Without --port, port N is the device named under [Ports] as CommN in the\n"
    "settings file, otherwise the N-th serial device of the system in name\n"
    "order (COMN on Windows).\n";

void printOut(const QString &text)
{
    QTextStream(stdout) << text;
}

void printError(const QString &text)
{
    QTextStream(stderr) << "lifecycle: " << text << "\n"
                        << "Try 'lifecycle --help' for more information.\n";
}

AppOptions fail(const QString &text)
{
    printError(text);
    AppOptions options;
    options.exitNow = true;
    options.exitCode = 2;
    return options;
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

} // namespace

AppOptions ParseCommandLine(const QStringList &args)
{
    AppOptions options;
    for (int i = 1; i < args.size(); ++i) {
        QString name = args.at(i);
        QString value;
        bool hasValue = false;
        if (name.startsWith(QLatin1String("--"))) {
            const int eq = name.indexOf(QLatin1Char('='));
            if (eq > 0) {
                value = name.mid(eq + 1);
                name = name.left(eq);
                hasValue = true;
            }
        }
        const auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= args.size())
                return false;
            value = args.at(++i);
            return true;
        };

        if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
            printOut(QString::fromLatin1(HelpText));
            options.exitNow = true;
            options.exitCode = 0;
            return options;
        }
        if (name == QLatin1String("-v") || name == QLatin1String("--version")) {
            printOut(QStringLiteral("lifecycle %1\n").arg(QLatin1String(LIFECYCLE_VERSION)));
            options.exitNow = true;
            options.exitCode = 0;
            return options;
        }
        if (name == QLatin1String("--simulate") && !hasValue) {
            options.simulate = true;
        } else if (name == QLatin1String("--port")) {
            if (!takeValue())
                return fail(QStringLiteral("option '--port' needs a value N=DEVICE"));
            int port = 0;
            QString device;
            if (!parsePortMapping(value, port, device))
                return fail(QStringLiteral("bad port mapping '%1': expected N=DEVICE with N from 1 to 16")
                                .arg(value));
            options.portMap.insert(port, device);
        } else if (name == QLatin1String("--trace")) {
            if (!takeValue() || value.isEmpty())
                return fail(QStringLiteral("option '--trace' needs a file name"));
            options.traceFile = value;
        } else if (name == QLatin1String("--screenshot")) {
            if (!takeValue() || value.isEmpty())
                return fail(QStringLiteral("option '--screenshot' needs a file name"));
            options.screenshotFile = value;
        } else if (name == QLatin1String("--report")) {
            if (!takeValue() || value.isEmpty())
                return fail(QStringLiteral("option '--report' needs a file name"));
            options.reportFile = value;
        } else if (name == QLatin1String("--poll-ms")) {
            // Not in the help: only tests and the soak run shorten the tick.
            bool ok = false;
            const int ms = takeValue() ? QLocale::c().toInt(value, &ok) : 0;
            if (!ok || ms < 1 || ms > 1000)
                return fail(QStringLiteral("option '--poll-ms' needs a number of milliseconds from 1 to 1000"));
            options.pollPeriodMs = ms;
        } else if (name.startsWith(QLatin1Char('-'))) {
            return fail(QStringLiteral("unknown option '%1'").arg(args.at(i)));
        } else {
            return fail(QStringLiteral("unexpected argument '%1'").arg(name));
        }
    }
    return options;
}

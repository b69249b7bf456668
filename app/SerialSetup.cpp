#include "app/SerialSetup.h"

#include "app/AppOptions.h"
#include "engine/link/TracingSerialPort.h"
#include "platform/PortMap.h"
#include "platform/QtSerialDevices.h"
#include "platform/QtSerialPort.h"

#include <QtGlobal>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"

namespace {

// The simulated tester inside the program wakes for the program's bytes and
// for what it has to do on its own, and at least once a second.
constexpr int SimulatorStepMs = 10;
constexpr int SimulatorLongestSleepMs = 1000;

// The tester a newcomer meets: already in the middle of a long test, one
// cycle a second, with the odd failure so the fail counts and lamps move.
SimulatorConfig demoTester(const AppOptions &options)
{
    const int pollPeriodMs = options.pollPeriodMs;
    SimulatorConfig config;
    // The Trend window's picture wants a few hundred cycles in seconds.
    config.periodMs = options.trendScreenshotFile.isEmpty() ? 1000 : 40;
    config.failureRate = 0.02;
    config.startRunning = true;
    config.seed = 8;   // one of its first two cycles fails: the failure boxes show at once
    config.signalQuietMs = 3 * pollPeriodMs;
    return config;
}

} // namespace
#endif

struct SerialSetup::Parts
{
#ifdef Q_OS_UNIX
    std::unique_ptr<SimulatedTester> tester;
    std::unique_ptr<PseudoTerminal> pty;
    std::unique_ptr<SimulatorPump> pump;
#endif
    std::unique_ptr<PortMap> ports;
    std::unique_ptr<QtSerialDevices> devices;
    std::unique_ptr<QtSerialPort> serial;
    std::unique_ptr<TracingSerialPort> tracer;
};

SerialSetup::SerialSetup(const AppOptions &options, SettingsStore &settings)
    : parts(std::make_unique<Parts>())
{
    parts->ports = std::make_unique<PortMap>(options.portMap, &settings);
    parts->devices = std::make_unique<QtSerialDevices>(*parts->ports, settings);
    if (options.simulate) {
#ifdef Q_OS_UNIX
        parts->tester = std::make_unique<SimulatedTester>(demoTester(options));
        // The cycle limit ends the demonstration test, not the failures.
        parts->tester->settings().cycleLimit = 100000;
        parts->tester->settings().failLimit = 5000;
        parts->tester->settings().seqLimit = 10;
        parts->pty = std::make_unique<PseudoTerminal>();
        // Only the simulated tester's port exists.
        QMap<int, QString> simulated;
        if (parts->pty->open())
            simulated.insert(1, parts->pty->slavePath());
        else
            QTextStream(stderr) << "lifecycle: cannot create a pseudo-terminal for the simulated tester: "
                                << parts->pty->errorText() << "\n";
        parts->ports->setGivenPorts(simulated);
        parts->ports->windowsNames = false;
        parts->pump = std::make_unique<SimulatorPump>(*parts->tester, *parts->pty);
        parts->pump->start(SimulatorStepMs, SimulatorLongestSleepMs);
#else
        QTextStream(stderr) << "lifecycle: the simulated tester needs a Unix pseudo-terminal; here run "
                               "lifecycle-sim --device COMn on one end of a null-modem pair and open "
                               "the other end\n";
#endif
    }
    PortMap *ports = parts->ports.get();
    parts->serial = std::make_unique<QtSerialPort>([ports](int n) { return ports->deviceFor(n); });
    if (!options.traceFile.isEmpty()) {
        parts->tracer = std::make_unique<TracingSerialPort>(*parts->serial, options.traceFile);
        if (!parts->tracer->traceOpen())
            QTextStream(stderr) << "lifecycle: cannot write the trace file " << options.traceFile << "\n";
    }
}

SerialSetup::~SerialSetup()
{
#ifdef Q_OS_UNIX
    if (parts->pump)
        parts->pump->stop();
#endif
    // The program's port goes before the simulated tester's end of the line.
    parts->tracer.reset();
    parts->serial.reset();
}

SerialDevices &SerialSetup::devices()
{
    return *parts->devices;
}

SerialPort &SerialSetup::port()
{
    if (parts->tracer)
        return *parts->tracer;
    return *parts->serial;
}

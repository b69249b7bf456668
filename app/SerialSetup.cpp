#include "app/SerialSetup.h"

#include "app/AppOptions.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "link/TracingSerialPort.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"

#include <QTextStream>
#include <cstdio>

namespace {

// The simulated tester inside the program moves on every few milliseconds,
// well inside the 50 ms poll tick.
constexpr int SimulatorStepMs = 10;

} // namespace

struct SerialSetup::Parts
{
    std::unique_ptr<SimulatedTester> tester;
    std::unique_ptr<PseudoTerminal> pty;
    std::unique_ptr<SimulatorPump> pump;
    std::unique_ptr<PortMap> ports;
    std::unique_ptr<QtSerialPort> serial;
    std::unique_ptr<TracingSerialPort> tracer;
};

SerialSetup::SerialSetup(const AppOptions &options, SettingsStore &settings)
    : parts(std::make_unique<Parts>())
{
    parts->ports = std::make_unique<PortMap>(options.portMap, &settings);
    if (options.simulate) {
        SimulatorConfig config;
        config.periodMs = 1000;
        config.signalQuietMs = 3 * options.pollPeriodMs;
        parts->tester = std::make_unique<SimulatedTester>(config);
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
        parts->pump->start(SimulatorStepMs);
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
    if (parts->pump)
        parts->pump->stop();
    // The program's port goes before the simulated tester's end of the line.
    parts->tracer.reset();
    parts->serial.reset();
}

SerialPort &SerialSetup::port()
{
    if (parts->tracer)
        return *parts->tracer;
    return *parts->serial;
}

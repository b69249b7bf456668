#include "app/SerialSetup.h"

#include "app/AppOptions.h"
#include "engine/link/TracingSerialPort.h"
#include "platform/PortMap.h"
#include "platform/QtSerialDevices.h"
#include "platform/QtSerialPort.h"

#include <QTextStream>
#include <QtGlobal>
#include <vector>

#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"
#ifdef Q_OS_UNIX
#include "simulator/PseudoTerminal.h"
#else
#include "simulator/InProcessCable.h"
#endif

namespace {

// The simulated tester inside the program wakes for the program's bytes and
// for what it has to do on its own, and at least once a second.
constexpr int SimulatorStepMs = 10;
constexpr int SimulatorLongestSleepMs = 1000;

// The tester a newcomer meets: already in the middle of a long test, one
// cycle a second, with the odd failure so the fail counts and lamps move.
// A simulated station mixes them: the second tester stands stopped, the
// third fails often.
SimulatorConfig demoTester(const AppOptions &options, int index)
{
    const int pollPeriodMs = options.pollPeriodMs;
    SimulatorConfig config;
    config.serialNumber = QString::number(41800123 + index);
    // The Trend window's picture wants a few hundred cycles in seconds.
    config.periodMs = options.trendScreenshotFile.isEmpty() ? 1000 : 40;
    config.failureRate = index == 2 ? 0.3 : 0.02;
    config.startRunning = index != 1;
    // Each tester of a station is at its own point of its test.
    config.startCycles = int32_t(index * 23017 % 90000);
    config.seed = uint32_t(8 + index);   // seed 8: one of the first two cycles fails, the failure boxes show at once
    config.signalQuietMs = 3 * pollPeriodMs;
    return config;
}

}   // namespace

struct SerialSetup::Parts
{
    struct Simulated
    {
        std::unique_ptr<SimulatedTester> tester;
#ifdef Q_OS_UNIX
        std::unique_ptr<PseudoTerminal> pty;
#else
        std::unique_ptr<InProcessCable> cable;
#endif
        std::unique_ptr<SimulatorPump> pump;
    };
    std::vector<Simulated> simulated;
    QString traceFile;
    std::unique_ptr<PortMap> ports;
    std::unique_ptr<QtSerialDevices> devices;
    std::vector<std::unique_ptr<SerialPort>> serials;
    std::vector<std::unique_ptr<TracingSerialPort>> tracers;
    std::vector<SerialPort *> built;
};

SerialSetup::SerialSetup(const AppOptions &options, SettingsStore &settings) : parts(std::make_unique<Parts>())
{
    parts->ports = std::make_unique<PortMap>(options.portMap, &settings);
    parts->devices = std::make_unique<QtSerialDevices>(*parts->ports, settings);
    parts->traceFile = options.traceFile;
    if (options.simulatedTesters > 0) {
        // Only the simulated testers' ports exist.
        QMap<int, QString> simulated;
        for (int i = 0; i < options.simulatedTesters; ++i) {
            Parts::Simulated one;
            one.tester = std::make_unique<SimulatedTester>(demoTester(options, i));
            // The cycle limit ends the demonstration test, not the failures.
            one.tester->settings().cycleLimit = 100000;
            one.tester->settings().failLimit = 5000;
            one.tester->settings().seqLimit = 10;
#ifdef Q_OS_UNIX
            one.pty = std::make_unique<PseudoTerminal>();
            if (one.pty->open())
                simulated.insert(i + 1, one.pty->slavePath());
            else
                QTextStream(stderr) << "lifecycle: cannot create a pseudo-terminal for the simulated tester: "
                                    << one.pty->errorText() << "\n";
            one.pump = std::make_unique<SimulatorPump>(*one.tester, *one.pty);
#else
            // No pseudo-terminals here: the tester hangs on a cable inside
            // the program, and its port is named after it (SIM1, SIM2...).
            one.cable = std::make_unique<InProcessCable>(QStringLiteral("SIM%1").arg(i + 1));
            simulated.insert(i + 1, one.cable->name());
            one.pump = std::make_unique<SimulatorPump>(*one.tester, *one.cable);
#endif
            one.pump->start(SimulatorStepMs, SimulatorLongestSleepMs);
            parts->simulated.push_back(std::move(one));
        }
        parts->ports->setGivenPorts(simulated);
        parts->ports->windowsNames = false;
    }
}

SerialSetup::~SerialSetup()
{
    for (Parts::Simulated &one : parts->simulated)
        one.pump->stop();
    // The program's ports go before the simulated testers' ends of the line.
    parts->tracers.clear();
    parts->serials.clear();
}

SerialDevices &SerialSetup::devices()
{
    return *parts->devices;
}

SerialPort &SerialSetup::port()
{
    return parts->built.empty() ? newPort() : *parts->built.front();
}

SerialPort &SerialSetup::newPort()
{
    PortMap *ports = parts->ports.get();
    const auto qtPort = [ports] {
        auto port = std::make_unique<QtSerialPort>([ports](int n) { return ports->deviceFor(n); });
        port->portExistsFor = [ports](int n) { return ports->portExists(n); };
        return port;
    };
#ifdef Q_OS_UNIX
    parts->serials.push_back(qtPort());
#else
    if (parts->simulated.empty()) {
        parts->serials.push_back(qtPort());
    } else {
        // Port N is the simulated tester's cable whose name the port map gives it.
        Parts *p = parts.get();
        parts->serials.push_back(std::make_unique<InProcessSerialPort>([p](int n) -> InProcessCable * {
            const QString device = p->ports->deviceFor(n);
            for (Parts::Simulated &one : p->simulated)
                if (!device.isEmpty() && one.cable->name() == device)
                    return one.cable.get();
            return nullptr;
        }));
    }
#endif
    SerialPort *port = parts->serials.back().get();
    if (!parts->traceFile.isEmpty()) {
        parts->tracers.push_back(std::make_unique<TracingSerialPort>(*port, parts->traceFile));
        if (!parts->tracers.back()->traceOpen() && parts->tracers.size() == 1)
            QTextStream(stderr) << "lifecycle: cannot write the trace file " << parts->traceFile << "\n";
        port = parts->tracers.back().get();
        // Several testers trace into the one file: each line says whose it is.
        if (parts->tracers.size() > 1)
            for (auto &tracer : parts->tracers)
                tracer->namePort = true;
    }
    parts->built.push_back(port);
    return *port;
}

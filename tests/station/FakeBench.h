#pragma once

#include "engine/link/SerialPort.h"
#include "simulator/SimulatedTester.h"

#include <QtCore>
#include <map>
#include <memory>
#include <vector>

// Simulated testers on the numbered ports of one machine, wired to the
// program's port objects without a line in between: every port object the
// program builds (one per tester of a station) sees the same bench. Time
// moves only by step(); pulling a tester's cable closes its port for
// whoever has it open, and its port then fails to open.
class FakeBench
{
public:
    FakeBench();
    ~FakeBench();

    SimulatedTester &plug(int port, const SimulatorConfig &config);
    void pull(int port);
    SimulatedTester &tester(int port) { return *testers.at(port); }

    // A port object of its own, for one more tester of the program.
    SerialPort &newPort();
    // The tester's time moves on by ms, and their bytes go to the port
    // objects that have their ports open.
    void step(int ms);

    // Every successful open: the port number and which port object (in
    // the order newPort() built them) opened it.
    QList<QPair<int, int>> opens;
    // The ports that exist, as when they are given with --port; empty: every port.
    QSet<int> mapped;

    // 50 ms a step; a tester whose signals wait for a quiet line of two steps.
    static SimulatorConfig simulatorConfig(const QString &serialNumber, bool running);

private:
    class Port;
    std::map<int, std::unique_ptr<SimulatedTester>> testers;
    std::vector<std::unique_ptr<Port>> ports;
};

#pragma once

#include <memory>

class SerialDevices;
class SerialPort;
class SettingsStore;
struct AppOptions;

// Builds the serial ports the testers talk through: the platform's ports
// numbered 1..16 (COMn on Windows; elsewhere mapped by the options or the
// settings store), wrapped by the tracer when asked, and with --simulate the
// simulated testers mapped as ports 1 to N (on pseudo-terminals; on Windows
// on cables inside the program, named SIM1 to SIMN). Keeps what
// it built alive for the life of the program.
class SerialSetup
{
public:
    SerialSetup(const AppOptions &options, SettingsStore &settings);
    ~SerialSetup();

    SerialPort &port();         // the port of the one tester
    SerialPort &newPort();      // one more port object, for another tester of a station
    SerialDevices &devices();   // the system's devices and the pinned one, for Run, Port...

private:
    struct Parts;
    std::unique_ptr<Parts> parts;
};

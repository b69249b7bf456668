#pragma once

#include <memory>

class SerialDevices;
class SerialPort;
class SettingsStore;
struct AppOptions;

// Builds the serial port the main window talks through: the platform's
// ports numbered 1..16 (COMn on Windows; elsewhere mapped by the options or
// the settings store), wrapped by the tracer when asked, and with --simulate
// a simulated tester on a pseudo-terminal mapped as port 1. Keeps what it
// built alive for the life of the program.
class SerialSetup
{
public:
    SerialSetup(const AppOptions &options, SettingsStore &settings);
    ~SerialSetup();

    SerialPort &port();
    SerialDevices &devices();   // the system's devices and the pinned one, for Run, Port...

private:
    struct Parts;
    std::unique_ptr<Parts> parts;
};

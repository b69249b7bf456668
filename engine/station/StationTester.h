#pragma once

#include "engine/preferences/TesterSettingsStore.h"
#include "engine/station/TesterDialogs.h"

#include <QString>
#include <functional>
#include <memory>

class ArchiveSink;
class ConfigFileDialog;
class DataFileDialog;
class MessageDialogs;
class PortClaims;
class RunGlance;
class SerialPort;
class SettingsStore;
class TesterSession;
struct TesterState;

// What a station asks of the program for its testers: a port object of its
// own for each tester, and the settings, dialogs and run archive they share.
struct StationOutside
{
    std::function<SerialPort &()> newPort;
    SettingsStore &settings;
    MessageDialogs &dialogs;
    DataFileDialog &dataFileDialog;
    ConfigFileDialog &configFileDialog;
    ArchiveSink *archive = nullptr;   // none: the runs are not archived
};

// "41800123 on Comm 3"; "Comm 3" before the serial number is known.
QString stationTesterName(const TesterState &s, const RunGlance &summary);

// One tester of a station: its session, built on a port of its own, its
// own sections of the settings (keyed by its serial number) and dialogs
// that name it; and the failures its operator has not seen yet.
class StationTester
{
public:
    // The session is ticked by its station.
    StationTester(const StationOutside &outside, PortClaims &claims);
    ~StationTester();

    TesterSession &session() { return *testerSession; }
    const TesterSession &session() const { return *testerSession; }
    TesterSettingsStore &settings() { return store; }
    QString name() const;

    // A sample was decoded: the settings follow its serial number, and a
    // fail count above the one last seen marks the tester.
    void sampleTaken();
    // A failure came since the operator last looked at the tester's window.
    bool newFailure() const;
    void failuresSeen();

private:
    TesterSettingsStore store;
    TesterDialogs dialogs;
    std::unique_ptr<TesterSession> testerSession;
    int seenFailures = -1;   // the fail count seen; -1 before the first sample
};

#pragma once

#include "engine/run/RunGlance.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLines.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class ArchiveSink;
class ConfigCommands;
class ConfigFileDialog;
class DataFileDialog;
class DataLog;
class ManualControl;
class RunFileLog;
class RunRecorder;
class SampleListener;
class SampleRoute;
class MessageDialogs;
class PortClaims;
class Registry;
class SerialPort;
class SessionView;
class SettingsStore;
class TesterEngine;
class TesterView;

// What one tester's session reaches of the world outside: handed in, never
// owned. The program hands in the real port, settings file and dialogs;
// tests hand in fakes.
struct SessionOutside
{
    SerialPort &port;
    SettingsStore &settings;
    MessageDialogs &dialogs;
    DataFileDialog &dataFileDialog;
    ConfigFileDialog &configFileDialog;
    // The run archive every sample goes to; none: samples are not archived.
    ArchiveSink *archive = nullptr;
    // The ports shared with the program's other testers; null when this is
    // the program's only tester.
    PortClaims *sharedPorts = nullptr;
};

// One tester and everything the program keeps for it, built and owned
// together: the state record, the conversation engine with its poll timer,
// the data log, the configuration commands, the manual control and the
// history of the run. A program may hold several.
//
// It runs whether or not a window shows it: what the engine shows goes to
// the window when one is open, and the link, the run and each sample are
// also told through the signals below.
class TesterSession : public QObject
{
    Q_OBJECT

public:
    // pollPeriodMs 0: the session has no poll timer of its own; its owner
    // calls tick() (a station ticks all its testers from one timer).
    TesterSession(const SessionOutside &outside, int pollPeriodMs);
    ~TesterSession() override;

    TesterState &state() { return s; }
    const TesterState &state() const { return s; }
    TesterEngine &engine() { return *testerEngine; }
    DataLog &dataLog() { return *log; }
    const DataLog &dataLog() const { return *log; }
    ConfigCommands &configCommands() { return *config; }
    ManualControl &manual() { return *manualControl; }
    Registry &registry() { return *prefs; }
    SettingsStore &settings() { return settingsStore; }
    MessageDialogs &dialogs() { return messageDialogs; }
    // What the engine draws on: passed on to the window, when one is open.
    TesterView &engineView();
    // Where the engine hands each decoded sample: the data log, the archive,
    // the trend history, the run at a glance, the window, then the signal.
    SampleListener &sampleRoute();
    // Every sample decoded since the session began.
    const TrendHistory &trendHistory() const { return history; }
    // The data log line of each of those samples, for exporting a stretch of it.
    TrendLineSource &trendLines() { return lines; }
    // The link, the run's progress and its last run command at a glance.
    const RunGlance &glance() const { return summary; }
    // What is told to the run archive, and the unattended run file.
    RunRecorder &runRecorder() { return *recorder; }
    const RunRecorder &runRecorder() const { return *recorder; }
    RunFileLog &runFile() { return *runFileLog; }
    const RunFileLog &runFile() const { return *runFileLog; }
    // The preferences changed: the next run's file follows them.
    void preferencesChanged();

    // Start-up: the initial state, the search from the saved port (or from
    // the port after searchAfterPort, when one is given), polling.
    void start(std::optional<int> searchAfterPort = std::nullopt);
    // Shut-down, once the operator agreed: the data file is closed, polling
    // stops and the port is saved. No command goes to the tester, so a
    // running test goes on; only a piston the manual control moved down is
    // raised first.
    void shutDown();

    // One poll tick of the engine.
    void tick();
    // The time of the samples, of the link's events and of the link's
    // warning; empty: local time. Tests move their own.
    void setClock(const std::function<QDateTime()> &clock);

    // The window that shows this tester, or null. A window that comes is
    // shown at once everything the session knows.
    void setWindow(TesterView *window);
    // The window title the data log last asked for.
    QString title() const;

Q_SIGNALS:
    void sampleDecoded();                               // after the data log, the archive and the window had it
    void portTried(int port, const QString &problem);   // problem: why it did not open, or empty
    void linkFound(int port, const QString &device, const QDateTime &at);
    void linkLost(const QDateTime &at);
    void runStarted(int code);
    void logChanged();         // a line was written, a data file opened or closed
    void stopAcknowledged();   // the stop sent from here was acknowledged
    void testEnded();          // the tester signalled the end of its test
    // A data file could not be opened or written (the run's own file too);
    // told before the message is shown.
    void fileError(const QString &text);
    // The link's warning came or went: the records are refused, or no sample
    // came for too long (RunGlance::linkWarning); checked once a second.
    void linkWarningChanged();
    // In a station: another tester answered on the port of this session's
    // lost tester; the session gave the port up and its tester stays lost.
    void otherTesterFound(int port, const QString &serialNumber);

private:
    class FileErrorWatch;
    class DataLogNews;
    void connectRecorder();
    void raisePistonBeforeExit();
    void showEverything(TesterView &window);
    void checkLinkWarning();

    TesterState s;
    SettingsStore &settingsStore;
    MessageDialogs &messageDialogs;
    TrendHistory history;
    TrendLineStore lines;
    RunGlance summary;
    std::unique_ptr<ManualControl> manualControl;
    std::unique_ptr<SessionView> view;
    std::unique_ptr<Registry> prefs;
    std::unique_ptr<FileErrorWatch> logDialogs;
    std::unique_ptr<DataLogNews> logNews;
    std::unique_ptr<DataLog> log;
    std::unique_ptr<ArchiveSink> discardedRecords;
    std::unique_ptr<RunRecorder> recorder;
    std::unique_ptr<RunFileLog> runFileLog;
    std::unique_ptr<SampleRoute> samples;
    std::unique_ptr<TesterEngine> testerEngine;
    std::unique_ptr<ConfigCommands> config;
    QTimer pollTimer;
    int pollPeriodMs;
    bool ticking = false;
    int warningTicks = 0;   // ticks since the link's warning was last checked
    QString linkWarning;    // as last checked
};

#pragma once

#include "engine/state/TesterState.h"
#include "engine/state/TesterView.h"
#include "features/procedures/ConfigurationSteps.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

class ConfigCommands;
class QAction;
class RunCatalog;
struct RunDescription;
class RunsWindow;
class ConfigEditCommands;
class DataLog;
class LedIndicator;
class MainMenus;
class MessageDialogs;
class ProcedureMenus;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class Registry;
class ReportController;
class RunOverview;
class SerialDevices;
class StatusPanels;
class StrokePanel;
class TesterEngine;
class TesterSession;
class TrendController;
class WindowStation;

// The program's main window over one tester: the live display, and the
// menus that run the tester, log its samples, configure it and report on
// it. The tester itself (its state record, engine, data log and history)
// is its session, which runs with or without this window.
class TesterWindow : public QMainWindow, public TesterView, private ConfigurationSteps
{
public:
    explicit TesterWindow(TesterSession &session, QWidget *parent = nullptr);
    ~TesterWindow() override;

    static QString title();

    TesterSession &session() { return tester; }
    TesterState &state() { return s; }
    TesterEngine &engine();
    DataLog &dataLog();
    ConfigCommands &configCommands();
    TrendController &trend() { return *trendView; }
    ReportController &report() { return *reportController; }

    // TesterView
    void showBarMessage(const QString &text) override;
    void showBarPanels() override;
    void showVersion(const QString &text) override;
    void updateControls() override;
    void showReadings() override;
    void showMode() override;
    void showPullUp() override;
    void showSerialNumber() override;
    void showSampleDate(const QString &text) override;
    void drawLed(int drawing) override;
    void testEnded() override;
    void setTitle(const QString &text) override;
    void sampleTaken(const DecodedSample &sample) override;
    void portTried(int port, const QString &problem) override;
    void linkFound(int port, const QString &device, const QDateTime &at) override;
    void linkLost(const QDateTime &at) override;
    void runStarted(int code) override;

    // The serial devices Run, Port... chooses among; without them the entry is greyed.
    void setSerialDevices(SerialDevices *devices);

    // One window of a station's testers: its title names the tester, closing
    // it only lets go of its session (the tester runs on, logged), File,
    // Exit ends the program, and accepted preferences go to every tester.
    void joinStation(WindowStation &station);

    // Opens the run archive for View, Runs...; null with the failure when it cannot.
    using RunCatalogSource = std::function<std::unique_ptr<RunCatalog>(QString &failure)>;
    void setRunCatalogSource(RunCatalogSource source);
    void showRunsWindow();
    // Run, Run details...: what was tested in the tester's current run, or
    // in the run its next sample begins when none is open yet.
    void editRunDetails();
    // Writes the current run, as the archive holds it, to a data log file
    // the operator chooses; false when nothing was written.
    bool exportRunSoFar();
    // The file for exportRunSoFar (a save dialog; tests answer it).
    std::function<QString(const QString &suggestedName)> chooseRunExportFile;
    void editPreferences();
    RunsWindow *runsWindow() const { return runs; }

    // The configuration editor over the edit copy as it stands, then the
    // download of an accepted configuration (Configure Edit, the learn).
    void editConfiguration(bool newLearn) override;

    // Writes the unit of the contact measurements beside every contact box.
    void showContactUnits();
    int lastModeShown = -100;   // the mode last written to the unit labels

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    QLayout *buildCounters(QWidget *central);
    QLayout *buildSampleGroup(QWidget *central);
    void connectMenus();
    void addArchiveMenus();
    bool checkSamplesSaved();
    bool archivedDescription(const QString &runKey, RunDescription &description);

    void showControls(bool ready);
    void runCommand(Command command);
    void startBreakUpdate();
    void choosePort();
    void showAbout();
    void afterFileCommand();
    bool checkConfigSaved() override;
    void loadRecentFiles();
    void loadRecentConfigFiles();
    void showTitle();

    TesterSession &tester;
    TesterState &s;
    MessageDialogs &dialogs;
    Registry &registry;
    std::unique_ptr<MainMenus> menus;
    std::unique_ptr<ProcedureMenus> procedures;
    std::unique_ptr<TrendController> trendView;
    std::unique_ptr<ConfigEditCommands> configEdit;
    std::unique_ptr<ReportController> reportController;
    static constexpr int BusyGraceMs = 500;
    QTimer busyGrace;                   // until a busy link greys the commands
    bool readyShown = false;            // the commands show a ready link
    QString fileTitle;                  // the title the data log asked for
    WindowStation *station = nullptr;   // the station the window belongs to, if any

    RunCatalogSource runCatalogSource;
    std::unique_ptr<RunCatalog> runCatalog;
    RunsWindow *runs = nullptr;
    QAction *runDetailsEntry = nullptr;
    SerialDevices *serialDevices = nullptr;

    RunOverview *overview = nullptr;
    StrokePanel *downPanel = nullptr;
    StrokePanel *upPanel = nullptr;
    StatusPanels *statusPanels = nullptr;
    LedIndicator *errorLed = nullptr;
    QLabel *cycleCountLabel, *failCountLabel, *seqFailCountLabel;
    QLineEdit *cycleCountBox, *failCountBox, *seqFailCountBox;
    QLineEdit *cycleLimitBox, *failLimitBox, *seqFailLimitBox;
    QLabel *sampledAtLabel, *errorLedLabel;
    QLineEdit *sampleDateBox;
    QPushButton *sampleButton;
};

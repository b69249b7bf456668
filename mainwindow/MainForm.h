#pragma once

#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/state/TesterState.h"
#include "engine/state/TesterView.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class ConfigCommands;
class ConfigEditCommands;
class DataFileDialog;
class LedIndicator;
class MainMenus;
class MessageDialogs;
class ProcedureMenus;
class QLabel;
class QLineEdit;
class QPushButton;
class QtConfigFileDialog;
class QTimer;
class RunOverview;
class ReportController;
class SerialDevices;
class SerialPort;
class SettingsStore;
class StatusPanels;
class StrokePanel;
class TesterEngine;
class TrendController;

// The program's main window: the live display of the tester, the menus
// that run it, and the owner of the one TesterState, the conversation
// engine with its poll timer, and the data log. The outside world (serial
// port, settings store, message and file dialogs) is handed in.
class MainForm : public QMainWindow, public TesterView
{
public:
    MainForm(SerialPort &port, SettingsStore &settings, MessageDialogs &dialogs,
             DataFileDialog &fileDialog, int pollPeriodMs, QWidget *parent = nullptr);
    ~MainForm() override;

    static QString title();

    TesterState &state() { return s; }
    TesterEngine &engine() { return *testerEngine; }
    DataLog &dataLog() { return *log; }
    TrendController &trend() { return *trendView; }
    ConfigCommands &configCommands() { return *config; }
    ReportController &report() { return *reportController; }

    // TesterView
    void showBarMessage(const QString &text) override;
    void showBarPanels() override;
    void setVersionPanel(const QString &text) override;
    void SetControls() override;
    void DisplayData() override;
    void DisplayMode() override;
    void DisplayRValue() override;
    void DisplaySerialNum() override;
    void showSampleDate(const QString &text) override;
    int ledDrawing() const override;
    void drawLed(int drawing) override;
    void beep() override;
    void setPistonBox(bool ticked) override;
    void showManualReading(const QString &text) override;
    void sampleDecoded() override;
    void portTried(int port, const QString &problem) override;
    void linkFound(int port, const QString &device, const QDateTime &at) override;
    void linkLost(const QDateTime &at) override;
    void runStarted(int code) override;
    void stopAcknowledged() override;

    // The serial devices Run, Port... chooses among; without them the entry is greyed.
    void setSerialDevices(SerialDevices *devices);

    // Called with the state record after each decoded sample, in the order added.
    void addSampleObserver(std::function<void(const TesterState &)> observer);

    // The configuration editor over the edit copy as it stands, then the
    // download of an accepted configuration (Configure Edit, the learn).
    void EditConfiguration(bool NewLearn);

    // Writes the unit of the contact measurements beside every contact box.
    void DoContactLabels();
    int LastModeShown = -100;   // the mode last written to the unit labels

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    void connectMenus();
    void startUp();
    void tick();

    void runCommand(int code);
    void RunBreakUpdateMenu_Click();
    void RunPortMenu_Click();
    void HelpAboutMenu_Click();
    void afterFileCommand();
    bool CheckConfigSaved();
    void LoadRecentFiles();
    void LoadRecentConfigFiles();

    TesterState s;
    MessageDialogs &dialogs;
    Registry registry;
    std::unique_ptr<DataLog> log;
    std::unique_ptr<TesterEngine> testerEngine;
    std::unique_ptr<QtConfigFileDialog> configFileDialog;
    std::unique_ptr<ConfigCommands> config;
    std::unique_ptr<MainMenus> menus;
    std::unique_ptr<ProcedureMenus> procedures;
    std::unique_ptr<TrendController> trendView;
    std::unique_ptr<ConfigEditCommands> configEdit;
    std::unique_ptr<ReportController> reportController;
    SerialDevices *serialDevices = nullptr;
    QTimer *Tmr = nullptr;
    int pollPeriodMs;
    bool ticking = false;
    std::vector<std::function<void(const TesterState &)>> sampleObservers;

    RunOverview *overview = nullptr;
    StrokePanel *downPanel = nullptr;
    StrokePanel *upPanel = nullptr;
    StatusPanels *StatBar = nullptr;
    LedIndicator *Shape1 = nullptr;
    QLabel *CycCntLbl, *FailCntLbl, *SeqCntLbl;
    QLineEdit *CycleCntBox, *FailCntBox, *SeqCntBox;
    QLineEdit *CycleCntLimit, *FailCntLimit, *SeqCntLimit;
    QLabel *SmplAtLbl, *LEDLabel;
    QLineEdit *SampleDate;
    QPushButton *SampleDataBtn;
};

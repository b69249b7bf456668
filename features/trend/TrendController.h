#pragma once

#include "engine/trend/TrendHistory.h"

#include <QString>
#include <memory>

class MainMenus;
class MessageDialogs;
class QAction;
class QMenu;
class QMainWindow;
class TrendFileDialog;
class TrendWindow;
struct TesterState;

// Keeps the history of the live run from the program's start and brings up
// the Trend window: View, Trend... for the live run, File, Plot Data Log...
// (or --plot) for a saved data log.
class TrendController
{
public:
    TrendController(MainMenus &menus, MessageDialogs &dialogs, QMainWindow &mainWindow);
    ~TrendController();

    // Every decoded sample, whether the window is open or not.
    void sampleDecoded(const TesterState &s);

    void showLive();
    // Reads a data log into the window; false when the file cannot be read.
    bool plotLog(const QString &path);
    void plotLogChosen();

    // Tests replace the file dialogs.
    void setFileDialog(TrendFileDialog &dialog);

    TrendWindow &window() { return *trendWindow; }
    const TrendHistory &liveHistory() const { return live; }

    QMenu *ViewMenu;
    QAction *ViewTrendMenu;
    QAction *FilePlotMenu;

private:
    void bringUp();

    MessageDialogs &dialogs;
    std::unique_ptr<TrendFileDialog> qtFileDialog;
    TrendFileDialog *fileDialog;
    TrendHistory live;
    TrendHistory fromLog;
    TrendWindow *trendWindow;
};

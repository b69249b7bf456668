#pragma once

#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLines.h"

#include <QString>
#include <memory>

class MainMenus;
class MessageDialogs;
class QAction;
class QMenu;
class QMainWindow;
class TrendFileDialog;
class TrendWindow;

// Brings up the Trend window: View, Trend... for the live run, File, Plot Data Log...
// (or --plot) for a saved data log.
class TrendController
{
public:
    // live: the history of the tester's run and its data log lines, kept by its session.
    TrendController(const TrendHistory &live, TrendLineSource &liveLines, MainMenus &menus, MessageDialogs &dialogs,
                    QMainWindow &mainWindow);
    ~TrendController();

    // The live history took a sample.
    void historyGrew();

    void showLive();
    // Reads a data log into the window; false when the file cannot be read.
    bool plotLog(const QString &path);
    void plotLogChosen();
    // A run read from the archive, under its title; lines: where its data
    // log lines are read again for Export Range.
    void plotRun(TrendHistory &&history, const QString &title, std::unique_ptr<TrendLineSource> lines = nullptr);

    // Tests replace the file dialogs.
    void setFileDialog(TrendFileDialog &dialog);

    TrendWindow &window() { return *trendWindow; }
    const TrendHistory &liveHistory() const { return live; }

    QMenu *viewMenu;
    QAction *viewTrend;
    QAction *filePlot;

private:
    void bringUp();

    const TrendHistory &live;
    TrendLineSource &liveLines;
    MessageDialogs &dialogs;
    std::unique_ptr<TrendFileDialog> qtFileDialog;
    TrendFileDialog *fileDialog;
    TrendHistory fromLog;
    std::unique_ptr<TrendLineSource> fromLogLines;
    TrendWindow *trendWindow;
};

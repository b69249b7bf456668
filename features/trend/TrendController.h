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

// Brings up the Trend windows: View, Trend... for the live run, File, Plot
// Data Log... (or --plot) for a saved data log or a run from the archive.
// The live run and the plotted one each keep a window of their own, so
// "Show Live Run" in the plotted one leaves its log drawn.
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

    // The window brought up last: the plotted one after a plot, else the live one.
    TrendWindow &window() { return *lastShown; }
    TrendWindow &liveWindow() { return *trendWindow; }
    TrendWindow *plotWindow() const { return logWindow; }   // null before the first plot
    const TrendHistory &liveHistory() const { return live; }

    QMenu *viewMenu;
    QAction *viewTrend;
    QAction *filePlot;

private:
    void bringUp(TrendWindow &window);
    TrendWindow &plotted();

    const TrendHistory &live;
    TrendLineSource &liveLines;
    MessageDialogs &dialogs;
    std::unique_ptr<TrendFileDialog> qtFileDialog;
    TrendFileDialog *fileDialog;
    QMainWindow &mainWindow;
    TrendHistory fromLog;
    std::unique_ptr<TrendLineSource> fromLogLines;
    TrendWindow *trendWindow;
    TrendWindow *logWindow = nullptr;
    TrendWindow *lastShown;
};

#pragma once

#include <QStringList>
#include <array>

class QAction;
class QMainWindow;
class QMenu;

// One recent-file list at the bottom of a menu: a separator over at most
// four paths, the latest first.
struct RecentList
{
    QAction *separator = nullptr;
    std::array<QAction *, 4> entries{};
};

// The main window's menu bar: File, Configure, Run and Help, each entry a
// named action, and the two recent-file lists at the bottom of File and
// Configure.
class MainMenus
{
public:
    explicit MainMenus(QMainWindow &window);

    QMenu *fileMenu, *configureMenu, *runMenu, *helpMenu;

    QAction *fileNew, *fileOpen, *fileClose, *filePrint, *filePrintSetup, *fileExit;
    RecentList recentFiles;

    QAction *configureLearn, *configureEdit, *configureOpen, *configureSave, *configureResetLimits,
        *configureMasterReset;
    RecentList recentConfigFiles;

    QAction *runStop, *runToLimits, *runOnce, *runNoLimit, *runSampleData, *runBreakUpdate, *runManual, *runPort;

    QAction *helpAbout;

    // Shows the separator and one entry per path (at most four); with no
    // paths the whole list and its separator are hidden.
    static void fillRecent(const RecentList &list, const QStringList &paths);
    // The path an entry stands for (its caption shows the path as stored).
    static QString recentPath(const QAction *entry);
};

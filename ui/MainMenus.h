#pragma once

#include <QStringList>

class QAction;
class QMainWindow;
class QMenu;

// The main window's menu bar: File, Configure, Run and Help, each entry a
// named action, and the two recent-file lists at the bottom of File and
// Configure (entry 0 the separator, entries 1 to 4 the paths).
class MainMenus
{
public:
    explicit MainMenus(QMainWindow &window);

    QMenu *FileMenu, *ConfigureMenu, *RunMenu, *HelpMenu;

    QAction *FileNewMenu, *FileOpenMenu, *FileCloseMenu, *FilePrintMenu, *FilePrintSetupMenu,
        *FileExitMenu;
    QAction *FileRecentMenu[5];

    QAction *ConfigureLearnMenu, *ConfigureEditMenu, *ConfigureOpenMenu, *ConfigureSaveMenu,
        *ConfigureResetLimits, *ConfigureMasterResetMenu;
    QAction *ConfigureRecentFileMenu[5];

    QAction *RunStopMenu, *RunRunLimitMenu, *RunOnceMenu, *RunNoLimitMenu, *RunSampleDataMenu,
        *RunBreakUpdateMenu, *RunManualMenu, *RunPortMenu;

    QAction *HelpAboutMenu;

    // Shows the separator and one entry per path (at most four); with no
    // paths the whole list and its separator are hidden.
    static void fillRecent(QAction *const entries[5], const QStringList &paths);
    // The path an entry stands for (its caption shows the path as stored).
    static QString recentPath(const QAction *entry);
};

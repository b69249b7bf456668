#include "mainwindow/MenuShortcuts.h"

#include "ui/MainMenus.h"

#include <QAction>
#include <QKeySequence>

void AddMenuShortcuts(MainMenus &m)
{
    // Written out rather than the platform's standard keys: Exit has none
    // on Windows, and the keys should read the same everywhere.
    const struct { QAction *action; QKeySequence key; } keys[] = {
        {m.FileNewMenu, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {m.FileOpenMenu, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {m.FilePrintMenu, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {m.FileExitMenu, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {m.RunRunLimitMenu, QKeySequence(Qt::Key_F5)},
        {m.RunStopMenu, QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {m.RunSampleDataMenu, QKeySequence(Qt::Key_F9)},
    };
    for (const auto &entry : keys)
        entry.action->setShortcut(entry.key);
}

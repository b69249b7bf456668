#include "mainwindow/MenuShortcuts.h"

#include "ui/MainMenus.h"

#include <QAction>
#include <QKeySequence>

void addMenuShortcuts(MainMenus &m)
{
    // Written out rather than the platform's standard keys: Exit has none
    // on Windows, and the keys should read the same everywhere.
    const struct
    {
        QAction *action;
        QKeySequence key;
    } keys[] = {
        {m.fileNew, QKeySequence(Qt::CTRL | Qt::Key_N)},   {m.fileOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {m.filePrint, QKeySequence(Qt::CTRL | Qt::Key_P)}, {m.fileExit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {m.runToLimits, QKeySequence(Qt::Key_F5)},         {m.runStop, QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {m.runSampleData, QKeySequence(Qt::Key_F9)},
    };
    for (const auto &entry : keys)
        entry.action->setShortcut(entry.key);
}

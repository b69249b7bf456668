#include "ui/MainMenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction *entry(QMenu *menu, const char *name, const char *caption)
{
    QAction *action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

// The separator and entries are named after the list, the entries numbered
// from 1 as the menu shows them.
void addRecentList(QMenu *menu, const QString &name, const QString &designCaption, RecentList &list)
{
    list.separator = menu->addSeparator();
    list.separator->setObjectName(name + QLatin1Char('0'));
    list.separator->setVisible(false);
    for (size_t i = 0; i < list.entries.size(); ++i) {
        const QString number = QString::number(i + 1);
        list.entries[i] = menu->addAction(designCaption + number);
        list.entries[i]->setObjectName(name + number);
        list.entries[i]->setVisible(false);
    }
}

}   // namespace

MainMenus::MainMenus(QMainWindow &window)
{
    QMenuBar *bar = window.menuBar();

    fileMenu = bar->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName("FileMenu");
    fileNew = entry(fileMenu, "FileNewMenu", "&New");
    fileOpen = entry(fileMenu, "FileOpenMenu", "&Open...");
    fileClose = entry(fileMenu, "FileCloseMenu", "&Close");
    fileMenu->addSeparator();
    filePrint = entry(fileMenu, "FilePrintMenu", "&Print...");
    filePrintSetup = entry(fileMenu, "FilePrintSetupMenu", "Print Set&up...");
    fileMenu->addSeparator();
    fileExit = entry(fileMenu, "FileExitMenu", "E&xit");
    addRecentList(fileMenu, QStringLiteral("FileRecentMenu"), QStringLiteral("FileRecent"), recentFiles);

    configureMenu = bar->addMenu(QStringLiteral("&Configure"));
    configureMenu->setObjectName("ConfigureMenu");
    configureLearn = entry(configureMenu, "ConfigureLearnMenu", "&Learn...");
    configureEdit = entry(configureMenu, "ConfigureEditMenu", "&Edit...");
    configureOpen = entry(configureMenu, "ConfigureOpenMenu", "&Open...");
    configureSave = entry(configureMenu, "ConfigureSaveMenu", "&Save...");
    configureMenu->addSeparator();
    configureResetLimits = entry(configureMenu, "ConfigureResetLimits", "&Reset Limits");
    configureMasterReset = entry(configureMenu, "ConfigureMasterResetMenu", "&Master Reset...");
    addRecentList(configureMenu, QStringLiteral("ConfigureRecentFileMenu"), QStringLiteral("ConfigRecent"),
                  recentConfigFiles);

    runMenu = bar->addMenu(QStringLiteral("&Run"));
    runMenu->setObjectName("RunMenu");
    runStop = entry(runMenu, "RunStopMenu", "&Stop");
    runToLimits = entry(runMenu, "RunRunLimitMenu", "&Run To Limits");
    runOnce = entry(runMenu, "RunOnceMenu", "Run &Once");
    runNoLimit = entry(runMenu, "RunNoLimitMenu", "Run &No Limit");
    runMenu->addSeparator();
    runSampleData = entry(runMenu, "RunSampleDataMenu", "Sample &Data");
    runBreakUpdate = entry(runMenu, "RunBreakUpdateMenu", "&Break Update");
    runMenu->addSeparator();
    runManual = entry(runMenu, "RunManualMenu", "&Manual");
    runPort = entry(runMenu, "RunPortMenu", "&Port...");

    helpMenu = bar->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName("HelpMenu");
    helpAbout = entry(helpMenu, "HelpAboutMenu", "&About");
}

void MainMenus::fillRecent(const RecentList &list, const QStringList &paths)
{
    list.separator->setVisible(false);
    for (QAction *entry : list.entries) {
        entry->setVisible(false);
        entry->setText(QString());
        entry->setData(QVariant());
    }
    for (size_t i = 0; i < list.entries.size() && qsizetype(i) < paths.size(); ++i) {
        const QString &path = paths.at(qsizetype(i));
        if (path.isEmpty())
            break;
        list.separator->setVisible(true);
        // A "&" in a path is a character of the name, not a menu accelerator.
        list.entries[i]->setText(QString(path).replace(QLatin1Char('&'), QLatin1String("&&")));
        list.entries[i]->setData(path);
        list.entries[i]->setVisible(true);
    }
}

QString MainMenus::recentPath(const QAction *entry)
{
    return entry->data().toString();
}

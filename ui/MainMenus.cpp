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

void addRecentList(QMenu *menu, const QString &name, const QString &designCaption, QAction *entries[5])
{
    entries[0] = menu->addSeparator();
    entries[0]->setObjectName(name + QLatin1Char('0'));
    entries[0]->setVisible(false);
    for (int i = 1; i <= 4; ++i) {
        entries[i] = menu->addAction(designCaption + QString::number(i));
        entries[i]->setObjectName(name + QString::number(i));
        entries[i]->setVisible(false);
    }
}

} // namespace

MainMenus::MainMenus(QMainWindow &window)
{
    QMenuBar *bar = window.menuBar();

    FileMenu = bar->addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName("FileMenu");
    FileNewMenu = entry(FileMenu, "FileNewMenu", "&New");
    FileOpenMenu = entry(FileMenu, "FileOpenMenu", "&Open...");
    FileCloseMenu = entry(FileMenu, "FileCloseMenu", "&Close");
    FileMenu->addSeparator();
    FilePrintMenu = entry(FileMenu, "FilePrintMenu", "&Print...");
    FilePrintSetupMenu = entry(FileMenu, "FilePrintSetupMenu", "Print Set&up...");
    FileMenu->addSeparator();
    FileExitMenu = entry(FileMenu, "FileExitMenu", "E&xit");
    addRecentList(FileMenu, QStringLiteral("FileRecentMenu"), QStringLiteral("FileRecent"), FileRecentMenu);

    ConfigureMenu = bar->addMenu(QStringLiteral("&Configure"));
    ConfigureMenu->setObjectName("ConfigureMenu");
    ConfigureLearnMenu = entry(ConfigureMenu, "ConfigureLearnMenu", "&Learn...");
    ConfigureEditMenu = entry(ConfigureMenu, "ConfigureEditMenu", "&Edit...");
    ConfigureOpenMenu = entry(ConfigureMenu, "ConfigureOpenMenu", "&Open...");
    ConfigureSaveMenu = entry(ConfigureMenu, "ConfigureSaveMenu", "&Save...");
    ConfigureMenu->addSeparator();
    ConfigureResetLimits = entry(ConfigureMenu, "ConfigureResetLimits", "&Reset Limits");
    ConfigureMasterResetMenu = entry(ConfigureMenu, "ConfigureMasterResetMenu", "&Master Reset...");
    addRecentList(ConfigureMenu, QStringLiteral("ConfigureRecentFileMenu"), QStringLiteral("ConfigRecent"),
                  ConfigureRecentFileMenu);

    RunMenu = bar->addMenu(QStringLiteral("&Run"));
    RunMenu->setObjectName("RunMenu");
    RunStopMenu = entry(RunMenu, "RunStopMenu", "&Stop");
    RunRunLimitMenu = entry(RunMenu, "RunRunLimitMenu", "&Run To Limits");
    RunOnceMenu = entry(RunMenu, "RunOnceMenu", "Run &Once");
    RunNoLimitMenu = entry(RunMenu, "RunNoLimitMenu", "Run &No Limit");
    RunMenu->addSeparator();
    RunSampleDataMenu = entry(RunMenu, "RunSampleDataMenu", "Sample &Data");
    RunBreakUpdateMenu = entry(RunMenu, "RunBreakUpdateMenu", "&Break Update");
    RunMenu->addSeparator();
    RunManualMenu = entry(RunMenu, "RunManualMenu", "&Manual");
    RunPortMenu = entry(RunMenu, "RunPortMenu", "&Port...");

    HelpMenu = bar->addMenu(QStringLiteral("&Help"));
    HelpMenu->setObjectName("HelpMenu");
    HelpAboutMenu = entry(HelpMenu, "HelpAboutMenu", "&About");
}

void MainMenus::fillRecent(QAction *const entries[5], const QStringList &paths)
{
    for (int i = 0; i <= 4; ++i)
        entries[i]->setVisible(false);
    for (int i = 1; i <= 4; ++i) {
        entries[i]->setText(QString());
        entries[i]->setData(QVariant());
    }
    for (int i = 1; i <= 4 && i <= paths.size(); ++i) {
        const QString &path = paths.at(i - 1);
        if (path.isEmpty())
            break;
        entries[0]->setVisible(true);
        // A "&" in a path is a character of the name, not a menu accelerator.
        entries[i]->setText(QString(path).replace(QLatin1Char('&'), QLatin1String("&&")));
        entries[i]->setData(path);
        entries[i]->setVisible(true);
    }
}

QString MainMenus::recentPath(const QAction *entry)
{
    return entry->data().toString();
}

#include "features/procedures/ProcedureMenus.h"

#include "engine/procedures/ManualControl.h"
#include "engine/procedures/MasterReset.h"
#include "engine/supervision/TesterEngine.h"
#include "features/procedures/LearnDialog.h"
#include "features/procedures/LearnTransfer.h"
#include "features/procedures/ManualDialog.h"
#include "features/procedures/MasterDialog.h"
#include "ui/MainMenus.h"

#include <QAction>

ProcedureMenus::ProcedureMenus(MainMenus &menus, TesterState &state, TesterEngine &testerEngine, ManualControl &manual,
                               MessageDialogs &messageDialogs, QWidget *parentWindow,
                               std::function<bool()> checkConfigSaved, std::function<void(bool)> editConfiguration)
    : s(state), engine(testerEngine), dialogs(messageDialogs), window(parentWindow),
      configSaved(std::move(checkConfigSaved)), configEditor(std::move(editConfiguration)),
      learn(state, testerEngine, *this), manualControl(manual)
{
    QObject::connect(menus.configureLearn, &QAction::triggered, menus.configureLearn,
                     [this] { learn.configureLearnMenu(); });
    QObject::connect(menus.configureMasterReset, &QAction::triggered, menus.configureMasterReset,
                     [this] { runMasterReset(); });
    QObject::connect(menus.runManual, &QAction::triggered, menus.runManual, [this] {
        manualControl.runManualMenu([this] {
            ManualDialog dialog(manualControl, window);
            manualDialog = &dialog;
            dialog.exec();
        });
    });
}

ProcedureMenus::~ProcedureMenus() = default;

bool ProcedureMenus::checkConfigSaved()
{
    return configSaved();
}
void ProcedureMenus::editConfiguration(bool newLearn)
{
    configEditor(newLearn);
}

LearnChoice ProcedureMenus::askLearnOptions()
{
    LearnDialog dialog(window);
    dialog.exec();
    return dialog.choice();
}

bool ProcedureMenus::waitForLearnRun()
{
    LearnTransfer progress(s, window);
    progress.exec();
    return !progress.canceled();
}

void ProcedureMenus::runMasterReset()
{
    performMasterReset(s, engine, dialogs, [this] {
        MasterDialog dialog(s, dialogs, window);
        return dialog.exec() == QDialog::Accepted;
    });
}

void ProcedureMenus::closeForExit()
{
    if (manualDialog)
        manualDialog->reject();
}

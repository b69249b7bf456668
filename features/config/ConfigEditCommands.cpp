#include "features/config/ConfigEditCommands.h"

#include "engine/config/ConfigRecord.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "features/config/ConfigEditorDialog.h"
#include "features/procedures/ResetDialog.h"
#include "ui/MainMenus.h"

#include <QAction>

ConfigEditCommands::ConfigEditCommands(MainMenus &menus, TesterState &state, TesterEngine &testerEngine,
                                       MessageDialogs &messageDialogs, QWidget *parentWindow)
    : s(state), engine(testerEngine), dialogs(messageDialogs), window(parentWindow)
{
    connect(menus.configureEdit, &QAction::triggered, this, [this] { editTesterConfiguration(); });
    connect(menus.configureResetLimits, &QAction::triggered, this, [this] { chooseCountersToReset(); });
}

void ConfigEditCommands::editTesterConfiguration()
{
    copyCurrentConfigToEdit(s);
    editConfiguration(false);
}

void ConfigEditCommands::editConfiguration(bool newLearn)
{
    bool accepted = false;
    bool valuesChanged = false;
    {
        ConfigEditorDialog editor(s, dialogs, window);
        accepted = editor.exec() == QDialog::Accepted;
        valuesChanged = editor.valuesChanged;
    }
    if (accepted) {
        s.session.dirtyConfig = valuesChanged;
        s.session.masterUpdate = false;
        // The whole configuration goes, changed or not; the link may have
        // become busy while the editor was open, and then nothing is sent.
        engine.startOrdinaryDownload();
    }
    if (newLearn)
        s.session.dirtyConfig = true;
}

void ConfigEditCommands::chooseCountersToReset()
{
    if (!engine.commReady())
        return;
    bool doClear = false;
    {
        ResetDialog dialog(s, window);
        doClear = dialog.exec() == QDialog::Accepted;
    }
    if (doClear)
        engine.doNextClear(Command::None);
}

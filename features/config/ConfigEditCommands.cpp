#include "features/config/ConfigEditCommands.h"

#include "engine/config/ConfigRecord.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "features/config/frmOptions.h"
#include "features/procedures/ResetDialog.h"
#include "ui/MainMenus.h"

#include <QAction>

ConfigEditCommands::ConfigEditCommands(MainMenus &menus, TesterState &state, TesterEngine &testerEngine,
                                       MessageDialogs &messageDialogs, QWidget *parentWindow)
    : s(state), engine(testerEngine), dialogs(messageDialogs), window(parentWindow)
{
    connect(menus.ConfigureEditMenu, &QAction::triggered, this, [this] { ConfigureEditMenu_Click(); });
    connect(menus.ConfigureResetLimits, &QAction::triggered, this, [this] { ConfigureResetLimits_Click(); });
}

void ConfigEditCommands::ConfigureEditMenu_Click()
{
    CopyCurrentConfigToEdit(s);
    EditConfiguration(false);
}

void ConfigEditCommands::EditConfiguration(bool NewLearn)
{
    int16_t useSelect = 2;
    bool isDirty = false;
    {
        frmOptions editor(s, dialogs, window);
        editor.exec();
        useSelect = editor.UseSelect;
        isDirty = editor.IsDirty;
    }
    if (useSelect == 1) {
        s.IsDirtyConfig = isDirty;
        s.MasterUpdate = false;
        // The whole configuration goes, changed or not; the link may have
        // become busy while the editor was open, and then nothing is sent.
        engine.StartOrdinaryDownload();
    }
    if (NewLearn)
        s.IsDirtyConfig = true;
}

void ConfigEditCommands::ConfigureResetLimits_Click()
{
    if (!engine.CommReady())
        return;
    bool doClear = false;
    {
        ResetDialog dialog(s, window);
        dialog.exec();
        doClear = dialog.DoClear;
    }
    if (doClear)
        engine.DoNextClear(Command::None);
}

#include "engine/config/ConfigCommands.h"

#include "engine/config/ConfigFileDialog.h"
#include "engine/config/ConfigRecord.h"
#include "engine/preferences/Registry.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"

ConfigCommands::ConfigCommands(TesterState &state, TesterEngine &testerEngine, MessageDialogs &messageDialogs,
                               ConfigFileDialog &dialog, Registry &registry)
    : s(state), engine(testerEngine), dialogs(messageDialogs), fileDialog(&dialog), registry(registry),
      configFile(state, messageDialogs, registry)
{
}

bool ConfigCommands::CheckConfigSaved()
{
    if (!s.IsDirtyConfig)
        return true;
    const int16_t answer = dialogs.YesNoDialog(
        QStringLiteral("Save Configuration"),
        QStringLiteral("The current test configuration has not been saved. Do you want to save this configuration?"));
    if (answer == AnswerCancel)
        return false;
    if (answer == AnswerYes)
        return SaveConfiguration();   // a cancelled or failed save keeps the caller from going on
    return true;
}

bool ConfigCommands::SaveConfiguration()
{
    // The file receives what the tester reports, so it must be there.
    if (!engine.CommReady())
        return false;
    QString path = lastConfigFile();
    if (!fileDialog->chooseSave(path))
        return false;
    return configFile.SaveConfigFile(path);
}

void ConfigCommands::ConfigureSaveMenu()
{
    SaveConfiguration();
}

bool ConfigCommands::readyForFile()
{
    if (!CheckConfigSaved())
        return false;
    if (!engine.CommReady() || s.Running)
        return false;
    s.MasterUpdate = false;
    return true;
}

void ConfigCommands::ConfigureOpenMenu()
{
    if (!readyForFile())
        return;
    QString path = lastConfigFile();
    if (!fileDialog->chooseOpen(path))
        return;
    openAndDownload(path, true);
}

QString ConfigCommands::lastConfigFile() const
{
    if (!s.ConfigFileName.isEmpty())
        return s.ConfigFileName;
    return registry.LoadRecentConfigFiles().value(0);
}

void ConfigCommands::ConfigureRecentFileMenu(const QString &path)
{
    if (!readyForFile())
        return;
    // A master file from the list still rewrites range and mode and clears
    // the counters (MasterUpdate is set), but keeps the tester's serial number.
    openAndDownload(path, false);
}

void ConfigCommands::openAndDownload(const QString &path, bool serialFirst)
{
    if (!configFile.OpenConfigFile(path)) {
        CopyCurrentConfigToEdit(s);
        return;
    }
    s.Terminated = false;
    s.LearnConfigure = false;
    // The counters are cleared only at the end of a master download.
    engine.SetClearAll();
    if (serialFirst && s.MasterUpdate)
        engine.StartMasterDownload();
    else
        engine.StartOrdinaryDownload();
}

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

bool ConfigCommands::checkConfigFileSaved()
{
    if (!s.session.dirtyConfig)
        return true;
    const int16_t answer = dialogs.askYesNo(
        QStringLiteral("Save Configuration"),
        QStringLiteral("The current test configuration has not been saved. Do you want to save this configuration?"));
    if (answer == AnswerCancel)
        return false;
    if (answer == AnswerYes)
        return saveConfiguration();   // a cancelled or failed save keeps the caller from going on
    return true;
}

bool ConfigCommands::saveConfiguration()
{
    // The file receives what the tester reports, so it must be there.
    if (!engine.commReady())
        return false;
    QString path = lastConfigFile();
    if (!fileDialog->chooseSave(path))
        return false;
    return configFile.saveConfigFile(path);
}

void ConfigCommands::configureSaveMenu()
{
    saveConfiguration();
}

bool ConfigCommands::readyForFile()
{
    if (!checkConfigFileSaved())
        return false;
    if (!engine.commReady() || s.counters.running)
        return false;
    s.session.masterUpdate = false;
    return true;
}

void ConfigCommands::configureOpenMenu()
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
    if (!s.session.configFileName.isEmpty())
        return s.session.configFileName;
    return registry.readRecentConfigFiles().value(0);
}

void ConfigCommands::configureRecentFileMenu(const QString &path)
{
    if (!readyForFile())
        return;
    // A master file from the list still rewrites range and mode and clears
    // the counters (session.masterUpdate is set), but keeps the tester's serial number.
    openAndDownload(path, false);
}

void ConfigCommands::openAndDownload(const QString &path, bool serialFirst)
{
    if (!configFile.openConfigFile(path)) {
        copyCurrentConfigToEdit(s);
        return;
    }
    s.session.terminated = false;
    s.session.learnConfigure = false;
    // The counters are cleared only at the end of a master download.
    engine.setClearAll();
    if (serialFirst && s.session.masterUpdate)
        engine.startMasterDownload();
    else
        engine.startOrdinaryDownload();
}

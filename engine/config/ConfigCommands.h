#pragma once

#include "engine/config/ConfigFile.h"

#include <QString>

class ConfigFileDialog;
class MessageDialogs;
class Registry;
class TesterEngine;
struct TesterState;

// The Configure menu's file commands (Open, the recent entries, Save) and
// the question that guards an unsaved configuration. No widgets: the main
// window connects its menu entries to these.
class ConfigCommands
{
public:
    ConfigCommands(TesterState &state, TesterEngine &engine, MessageDialogs &dialogs, ConfigFileDialog &fileDialog,
                   Registry &registry);

    // False when the operator cancelled: the configuration must not be
    // replaced or dropped. Asks only while the configuration is unsaved.
    bool checkConfigFileSaved();
    // Asks for a file name and writes the tester's configuration to it;
    // false when the tester is not ready, on Cancel or when the write failed.
    bool saveConfiguration();

    void configureOpenMenu();
    void configureRecentFileMenu(const QString &path);   // the path of the chosen entry
    void configureSaveMenu();

    ConfigFile &file() { return configFile; }
    void setFileDialog(ConfigFileDialog &dialog) { fileDialog = &dialog; }

private:
    bool readyForFile();
    void openAndDownload(const QString &path, bool serialFirst);
    QString lastConfigFile() const;

    TesterState &s;
    TesterEngine &engine;
    MessageDialogs &dialogs;
    ConfigFileDialog *fileDialog;
    Registry &registry;
    ConfigFile configFile;
};

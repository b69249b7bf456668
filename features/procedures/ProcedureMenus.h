#pragma once

#include "engine/procedures/LearnProcedure.h"

#include <QPointer>

class ConfigurationSteps;
class MainMenus;
class ManualControl;
class ManualDialog;
class MessageDialogs;
class QWidget;
class TesterEngine;
struct TesterState;

// The tester procedures on the main window's menus: Configure, Learn and
// Master Reset, and Run, Manual. Each opens its dialogs over `window`.
// Saving an unsaved configuration and the configuration editor belong to
// the configuration commands and are handed in.
class ProcedureMenus : private LearnProcedure::Prompts
{
public:
    ProcedureMenus(MainMenus &menus, TesterState &state, TesterEngine &engine, ManualControl &manual,
                   MessageDialogs &dialogs, QWidget *window, ConfigurationSteps &configuration);
    ~ProcedureMenus() override;

    // Shut-down: the manual control's dialog closes (its tester's session
    // then raises the piston).
    void closeForExit();

private:
    void runMasterReset();
    bool checkConfigSaved() override;
    LearnChoice askLearnOptions() override;
    bool waitForLearnRun() override;
    void editConfiguration(bool newLearn) override;

    TesterState &s;
    TesterEngine &engine;
    MessageDialogs &dialogs;
    QWidget *window;
    ConfigurationSteps &configuration;
    LearnProcedure learn;
    ManualControl &manualControl;
    QPointer<ManualDialog> manualDialog;
};

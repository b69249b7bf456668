#pragma once

#include <QObject>

class MainMenus;
class MessageDialogs;
class QWidget;
class TesterEngine;
struct TesterState;

// Configure Edit and Configure Reset Limits: the editor over the edit copy
// with the download of an accepted configuration, and the choice of
// counters to clear with the clear chain it starts.
class ConfigEditCommands : public QObject
{
public:
    ConfigEditCommands(MainMenus &menus, TesterState &state, TesterEngine &engine, MessageDialogs &dialogs,
                       QWidget *window);

    // Runs the editor over the edit copy as it stands; when the operator
    // accepts, sends the whole configuration. After a learn (newLearn) the
    // configuration counts as unsaved whatever the operator chose.
    void editConfiguration(bool newLearn);

    void editTesterConfiguration();   // the edit copy from the tester's values, then the editor
    void chooseCountersToReset();

private:
    TesterState &s;
    TesterEngine &engine;
    MessageDialogs &dialogs;
    QWidget *window;
};

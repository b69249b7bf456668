#pragma once

#include <QDialog>

class QAction;
class QCheckBox;
class QMenu;
class SettingsStore;

// File > Preferences...: the program's own settings, shared by every
// tester, one page each. The Station page has "Drive every tester found".
// OK writes them; Cancel leaves them as they were.
class PreferencesDialog : public QDialog
{
public:
    explicit PreferencesDialog(SettingsStore &settings, QWidget *parent = nullptr);

    void accept() override;

    QCheckBox *DriveEveryTesterChkBx;

private:
    SettingsStore &settings;
};

// Puts "Preferences..." into a File menu, above `before`, opening the
// dialog over `window`.
QAction *AddPreferencesEntry(QMenu *fileMenu, QAction *before, SettingsStore &settings, QWidget *window);

#pragma once

#include <QDialog>

class MessageDialogs;
class QCheckBox;
class QLineEdit;
class QPushButton;
class Registry;

// File, Preferences...: the program's own settings, one group per subject:
// the run archive, unattended logging (every run to its own data file in a
// folder) and the station (drive every tester found). OK checks and keeps
// them; Cancel changes nothing.
class PreferencesDialog : public QDialog
{
public:
    PreferencesDialog(Registry &registry, MessageDialogs &dialogs, const QString &defaultArchive,
                      QWidget *parent = nullptr);

    QLineEdit *ArchiveEdit;
    QCheckBox *RunFilesCheck;
    QLineEdit *RunFolderEdit;
    QPushButton *BrowseButton;
    QCheckBox *DriveEveryTesterCheck;

    void OKButton_Click();

private:
    Registry &registry;
    MessageDialogs &dialogs;
};

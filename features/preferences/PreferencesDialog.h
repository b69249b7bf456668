#pragma once

#include <QDialog>
#include <vector>

class MessageDialogs;
class QCheckBox;
class QLayout;
class QLineEdit;
class QPushButton;
class Registry;

// File, Preferences...: the program's own settings, one group per subject:
// the run archive, unattended logging (every run to its own data file in a
// folder), the station (drive every tester found), and notifications (each
// kind of run event on or off, the webhook, the web view and its token). OK checks and keeps
// them; Cancel changes nothing.
class PreferencesDialog : public QDialog
{
public:
    PreferencesDialog(Registry &registry, MessageDialogs &dialogs, const QString &defaultArchive,
                      QWidget *parent = nullptr);

    QLineEdit *archiveEdit;
    QCheckBox *runFilesCheck;
    QLineEdit *runFolderEdit;
    QPushButton *browseButton;
    QCheckBox *driveEveryTesterCheck;
    std::vector<QCheckBox *> eventChecks;   // one per kind of run event, in the order of the kinds
    QLineEdit *webhookEdit;
    QLineEdit *webViewEdit;
    QLineEdit *webTokenEdit;

    void saveAndAccept();

private:
    QWidget *buildArchiveGroup(const QString &defaultArchive);
    QWidget *buildRunFilesGroup();
    QWidget *buildStationGroup();
    QLayout *buildButtons();
    QWidget *notificationsGroup();
    QString notificationsProblem() const;
    void saveNotifications();

    Registry &registry;
    MessageDialogs &dialogs;
};

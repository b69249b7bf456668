#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class MessageDialogs;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class Registry;
class WebhookSender;

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
    ~PreferencesDialog() override;

    // The webhook URL given with --notify-url: it is the one in use for this
    // start, whatever the preferences keep; and what posts the test event.
    // Set once by the program; without a sender Send Test Event is greyed.
    using SenderMaker = std::function<std::unique_ptr<WebhookSender>()>;
    static void setWebhook(const QString &commandLineUrl, SenderMaker makeSender);
    // The URL Send Test Event posts to: the command line's, else the one typed.
    QString webhookInUse() const;
    // Posts a "test" event and says in testResultLabel what the server answered.
    void sendTestEvent();

    QLineEdit *archiveEdit;
    QCheckBox *runFilesCheck;
    QLineEdit *runFolderEdit;
    QPushButton *browseButton;
    QCheckBox *driveEveryTesterCheck;
    std::vector<QCheckBox *> eventChecks;   // one per kind of run event, in the order of the kinds
    QLineEdit *webhookEdit;
    QLineEdit *webhookInUseEdit = nullptr;   // the command line's URL, when one was given
    QPushButton *testEventButton;
    QLabel *testResultLabel;
    std::unique_ptr<WebhookSender> sender;
    QLineEdit *webViewEdit;
    QLineEdit *webTokenEdit;

    void saveAndAccept();

private:
    QWidget *buildArchiveGroup(const QString &defaultArchive);
    QWidget *buildRunFilesGroup();
    QWidget *buildStationGroup();
    QLayout *buildButtons();
    QWidget *notificationsGroup();
    void addWebhookTest(QGridLayout *fields, QWidget *group);
    QString notificationsProblem() const;
    void saveNotifications();

    Registry &registry;
    MessageDialogs &dialogs;
};

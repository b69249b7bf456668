#pragma once

#include "engine/notify/StationEvent.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class ArchiveWriter;
class MessageDialogs;
class QWidget;
class RunEvents;
class SettingsStore;
class Station;
class StationTray;
class TesterSession;
class WebServer;
class WebView;
class Webhook;
class WebhookSender;
struct AppOptions;

// What the program tells beyond its windows: the run events (to the tray's
// balloons and the webhook, each kind as the preferences choose) and the
// read-only web view. Built over a station or the program's only tester.
class Notifications : public QObject
{
public:
    Notifications(const AppOptions &options, SettingsStore &settings, MessageDialogs &dialogs, ArchiveWriter *archive);
    ~Notifications() override;

    void watchStation(Station &station, QWidget &window);
    void watchSession(TesterSession &session, QWidget &window);
    // The web view and the tray in a few words, once watching began: "Web
    // view on 127.0.0.1:8080; tray icon shown".
    QString servicesText() const;

private:
    void start(QWidget &window);
    void tell(const StationEvent &event);
    void nameTheRun(StationEvent &event);
    void startWebView();
    void showLater(const QString &title, const QString &text);

    const AppOptions &options;
    SettingsStore &settings;
    MessageDialogs &dialogs;
    ArchiveWriter *archive;
    std::function<std::vector<const TesterSession *>()> sessions;
    std::unique_ptr<RunEvents> events;
    std::unique_ptr<StationTray> tray;
    std::unique_ptr<WebhookSender> sender;
    std::unique_ptr<Webhook> webhook;
    std::unique_ptr<WebView> view;
    std::unique_ptr<WebServer> server;
    QString webAddressText;       // where the web view listens, once it does
    bool webViewFailed = false;   // asked for, and refused or not listening
    QString runKeyNamed;          // the run last looked up in the archive, and its id
    qint64 runIdNamed = 0;
};

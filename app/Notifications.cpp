#include "app/Notifications.h"

#include "app/AppOptions.h"
#include "engine/archive/RunCatalog.h"
#include "engine/notify/RunEvents.h"
#include "engine/notify/Webhook.h"
#include "engine/preferences/Registry.h"
#include "engine/session/TesterSession.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/TesterState.h"
#include "engine/station/Station.h"
#include "engine/web/WebView.h"
#include "features/report/RunReport.h"
#include "features/trend/TrendPrint.h"
#include "platform/QtWebhookSender.h"
#include "platform/archive/ArchiveWriter.h"
#include "ui/StationTray.h"
#include "web/WebServer.h"

#include <QSysInfo>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

namespace {

void bringToFront(QWidget &window)
{
    window.showNormal();
    window.raise();
    window.activateWindow();
}

}   // namespace

Notifications::Notifications(const AppOptions &options, SettingsStore &settings, MessageDialogs &dialogs,
                             ArchiveWriter *archive)
    : options(options), settings(settings), dialogs(dialogs), archive(archive), events(std::make_unique<RunEvents>())
{
    connect(events.get(), &RunEvents::happened, this, [this](const StationEvent &event) { tell(event); });
    if (archive)
        connect(archive, &ArchiveWriter::problem, this, [this](const QString &text) { events->archiveProblem(text); });
}

Notifications::~Notifications() = default;

void Notifications::watchStation(Station &station, QWidget &window)
{
    sessions = [&station] {
        std::vector<const TesterSession *> all;
        for (int i = 0; i < station.count(); ++i)
            all.push_back(&station.tester(i).session());
        return all;
    };
    connect(&station, &Station::testerJoined, this,
            [this, &station](int index) { events->watch(station.tester(index).session()); });
    start(window);
    if (tray) {
        connect(&station, &Station::testerChanged, tray.get(), [this] { tray->changed(); });
        connect(&station, &Station::testerJoined, tray.get(), [this] { tray->changed(); });
    }
}

void Notifications::watchSession(TesterSession &session, QWidget &window)
{
    sessions = [&session] { return std::vector<const TesterSession *>{&session}; };
    events->watch(session);
    start(window);
    if (tray) {
        connect(&session, &TesterSession::sampleDecoded, tray.get(), [this] { tray->changed(); });
        connect(&session, &TesterSession::linkLost, tray.get(), [this] { tray->changed(); });
    }
}

void Notifications::start(QWidget &window)
{
    if (StationTray::available()) {
        tray = std::make_unique<StationTray>([this] { return stationSummary(sessions()); },
                                             [&window] { bringToFront(window); });
        tray->show();
    }
    const QString url = options.notifyUrl.isEmpty() ? Registry(settings).loadWebhook() : options.notifyUrl;
    if (!url.isEmpty()) {
        if (const QString problem = webhookUrlProblem(url); !problem.isEmpty()) {
            showLater(QStringLiteral("Notifications"), problem + QStringLiteral("  No event is posted."));
        } else {
            sender = std::make_unique<QtWebhookSender>();
            webhook = std::make_unique<Webhook>(*sender, QUrl(url));
            // Each failed try is noted on the console; a message box for
            // each would pile up while a server is away.
            connect(webhook.get(), &Webhook::failed, this,
                    [](const QString &text) { QTextStream(stderr) << "lifecycle: " << text << "\n"; });
        }
    }
    startWebView();
}

// Messages at start come once the window is up.
void Notifications::showLater(const QString &title, const QString &text)
{
    QTimer::singleShot(0, this, [this, title, text] { dialogs.showError(title, text); });
}

void Notifications::tell(const StationEvent &event)
{
    if (!eventWanted(event.kind, Registry(settings).loadEventsOff()))
        return;
    if (tray)
        tray->tell(event);
    if (webhook) {
        StationEvent named = event;
        nameTheRun(named);
        webhook->send(named);
    }
}

// The archive's id of the event's run, and the web view's link to it. A
// run only just begun may not be written yet: its id is then left out.
void Notifications::nameTheRun(StationEvent &event)
{
    if (event.runKey.isEmpty() || !archive)
        return;
    if (event.runKey != runKeyNamed || runIdNamed == 0) {
        QString failure;
        qint64 id = 0;
        if (std::unique_ptr<RunCatalog> catalog = readArchiveOf(*archive, 0, failure))
            catalog->runIdOf(event.runKey, id);
        runKeyNamed = event.runKey;
        runIdNamed = id;
    }
    event.runId = runIdNamed;
    if (server && runIdNamed > 0) {
        // An address for every network names the station by its host name.
        QString host = webAddressText;
        if (host.startsWith(QLatin1String("0.0.0.0:")) || host.startsWith(QLatin1String("[::]:")))
            host = QSysInfo::machineHostName() + host.mid(host.lastIndexOf(QLatin1Char(':')));
        event.runUrl = runLink(host, runIdNamed);
    }
}

void Notifications::startWebView()
{
    const Registry registry(settings);
    const QString text = options.webAddress.isEmpty() ? registry.loadWebView() : options.webAddress;
    if (text.isEmpty())
        return;
    const QString token = options.webToken.isEmpty() ? registry.loadWebToken() : options.webToken;
    WebAddress address;
    QString problem = parseWebAddress(text, address);
    if (problem.isEmpty())
        problem = webAccessProblem(address, token);
    if (problem.isEmpty()) {
        view = std::make_unique<WebView>(sessions, webPage());
        view->setToken(token.toUtf8());
        if (archive) {
            ArchiveWriter *writer = archive;
            // Whatever the writer holds is not waited for: a request never holds up the poll.
            view->setArchive([writer](QString &failure) { return readArchiveOf(*writer, 0, failure); },
                             [](RunCatalog &catalog, qint64 id, QString &failure) {
                                 return runReportPdf(catalog, id, failure, paintTrendCharts);
                             });
        }
        server = std::make_unique<WebServer>(*view);
        problem = server->listen(address);
    }
    if (!problem.isEmpty()) {
        server.reset();
        webViewFailed = true;
        showLater(QStringLiteral("Web View"), problem);
        return;
    }
    webAddressText = (address.host.contains(QLatin1Char(':')) ? "[" + address.host + "]" : address.host)
                     + QLatin1Char(':') + QString::number(server->port());
    QTextStream(stderr) << "lifecycle: the web view is on http://" << webAddressText << "/\n";
}

QString Notifications::servicesText() const
{
    const QString web = server          ? QStringLiteral("Web view on ") + webAddressText
                        : webViewFailed ? QStringLiteral("Web view not started")
                                        : QStringLiteral("Web view off");
    return web + (tray ? QStringLiteral("; tray icon shown") : QStringLiteral("; no tray on this desktop"));
}

// The webhook against a small HTTP server on loopback: events posted in order, retried, named by their run.

#include "engine/notify/Webhook.h"
#include "app/AppOptions.h"
#include "app/Notifications.h"
#include "engine/archive/RunRecorder.h"
#include "engine/notify/StationEvent.h"
#include "platform/QtWebhookSender.h"
#include "platform/archive/ArchiveWriter.h"
#include "station/StationRig.h"
#include "support/LocalHttpServer.h"

#include "support/TestKit.h"
#include <QtNetwork>
#include <QtWidgets>

namespace {

// Waits well inside a test function's 25 s, so a hang is named.
constexpr int AnswerMs = 8000;

StationEvent stationEvent(EventKind kind, const QString &serial, int cycles)
{
    StationEvent event;
    event.kind = kind;
    event.serial = serial;
    event.port = 3;
    event.time = QDateTime::currentDateTime();
    event.cycles = cycles;
    event.failures = 1;
    event.message = QStringLiteral("m");
    return event;
}

}   // namespace

class WebhookTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void postsEachEventAndRetriesAfterA500()
    {
        LocalHttpServer server({500});
        QtWebhookSender sender;
        qint64 now = 0;
        Webhook hook(sender, server.url(), [&now] { return now; });
        QStringList failures;
        connect(&hook, &Webhook::failed, this, [&](const QString &text) { failures << text; });
        const StationEvent failure = stationEvent(EventKind::Failure, "41800001", 10);
        const StationEvent ended = stationEvent(EventKind::RunEnded, "41800002", 20);
        hook.send(failure);
        hook.send(ended);
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, AnswerMs);
        QVERIFY2(failures[0].contains("500"), qPrintable(failures[0]));
        // The second event waits behind the first.
        QCOMPARE(server.requests.size(), 1);
        now += WebhookQueue::FirstRetryMs - 1;
        hook.pump();
        QTest::qWait(50);
        QCOMPARE(server.requests.size(), 1);
        now += 1;
        hook.pump();
        QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 3, AnswerMs);

        QList<QByteArray> bodies;
        for (const LocalHttpServer::Request &r : server.requests) {
            QVERIFY2(r.head.startsWith("POST /hook HTTP/1.1"), r.head);
            QVERIFY2(r.head.toLower().contains("content-type: application/json"), r.head);
            bodies << r.body;
        }
        QCOMPARE(bodies,
                 (QList<QByteArray>{stationEventJson(failure), stationEventJson(failure), stationEventJson(ended)}));
        // The server has the last request before the sender has its answer.
        QTRY_COMPARE_WITH_TIMEOUT(hook.queue().waiting(), size_t(0), AnswerMs);
    }

    // No server at all: the try fails without waiting, and the event waits.
    void noServerKeepsTheEvent()
    {
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        const quint16 port = closed.serverPort();
        closed.close();
        QtWebhookSender sender;
        Webhook hook(sender, QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), [] { return 0; });
        QStringList failures;
        connect(&hook, &Webhook::failed, this, [&](const QString &text) { failures << text; });
        hook.send(stationEvent(EventKind::LinkLost, "41800001", 1));
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, AnswerMs);
        QCOMPARE(hook.queue().waiting(), size_t(1));
    }

    // Each event names its tester's run in the archive, looked up again while it is not written yet.
    void eventsNameTheirRun()
    {
        QTemporaryDir dir;
        ArchiveLocation location;
        location.path = dir.filePath("runs.sqlite");
        ArchiveWriter archive(location, spoolPathFor(location, dir.path()));
        archive.start();
        LocalHttpServer server({});
        AppOptions options;
        options.notifyUrl = server.url().toString();
        StationRig rig;
        Notifications notifications(options, rig.settings, rig.dialogs, &archive);
        QWidget window;
        notifications.watchStation(rig.station, window);
        rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        rig.bench.plug(2, FakeBench::simulatorConfig("41800002", true));
        QVERIFY(rig.allFound(2));
        Q_EMIT rig.session(0).fileError(QStringLiteral("Error Writing File."));
        // The station archives no run itself: the testers' runs are written here.
        for (int row = 0; row < 2; ++row) {
            ArchiveRecord begun;
            begun.kind = ArchiveRecord::RunBegun;
            begun.runKey = rig.session(row).runRecorder().runKey();
            begun.text = rig.session(row).state().identity.serialNumber;
            begun.setAt(rig.now);
            archive.post(std::move(begun));
        }
        QVERIFY(archive.flush(5000));
        for (int row : {0, 1, 0})
            Q_EMIT rig.session(row).fileError(QStringLiteral("Error Writing File."));
        QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 4, AnswerMs);
        QStringList runIds;
        for (const LocalHttpServer::Request &r : server.requests) {
            runIds << QJsonDocument::fromJson(r.body)["runId"].toVariant().toString();
            QVERIFY(QJsonDocument::fromJson(r.body)["runUrl"].isNull());   // no web view to link to
        }
        QCOMPARE(runIds, (QStringList{"", "1", "2", "1"}));
    }

    void urlCheck_data()
    {
        addColumns<QString, bool>("url", "usable");
        addRow("http", "http://chat.example/hook?x=1", true);
        addRow("https with port", "https://10.0.0.5:8443/h", true);
        addRow("file", "file:///etc/passwd", false);
        addRow("no host", "http:///x", false);
        addRow("empty", "", false);
    }
    void urlCheck()
    {
        QFETCH(QString, url);
        QFETCH(bool, usable);
        QCOMPARE(webhookUrlProblem(url).isEmpty(), usable);
    }
};

QTEST_MAIN(WebhookTest)
#include "WebhookTest.moc"

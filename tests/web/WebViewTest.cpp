// The web view: which requests are answered and how (read-only, the token,
// paths and ids, sizes, bodies), every endpoint's JSON against the engines'
// state (a station of simulated testers, an SQLite archive), and the server
// on loopback answering 405, 401 and over-long requests, going on
// afterwards, streaming a run page by page, refusing a body as it streams,
// keeping or closing connections, and its deadlines and connection limit.

#include "HttpExchange.h"
#include "station/StationRig.h"

#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/web/WebAddress.h"
#include "engine/web/WebJson.h"
#include "engine/web/WebView.h"
#include "features/report/RunReport.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeArchiveSink.h"
#include "web/WebServer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

// An archive of one run with `samples` samples, written through the real
// run rules, in an SQLite file.
struct ArchivedRun
{
    explicit ArchivedRun(int samples)
    {
        location.path = dir.filePath(QStringLiteral("runs.sqlite"));
        TesterState s;
        s.vSerialNumber = QStringLiteral("41800077");
        s.vSoftwareVersion = 12;
        s.vCycleLimit = 100000;
        FakeArchiveSink sink;
        RunRecorder recorder(s, sink, QStringLiteral("station"), QStringLiteral("1.0.0"));
        const QDateTime start(QDate(2024, 3, 8), QTime(14, 2, 11));
        recorder.runStarted(start);
        for (int i = 1; i <= samples; ++i) {
            s.Running = i < samples;
            s.vUpdateTime = start.addSecs(i);
            s.CycleCount = i * 7;
            s.FailCount = i / 100;
            s.vLastMeasuredDownResist = 3 + i % 5;
            s.vLastMeasuredUpResist = 1000 + i % 7;
            recorder.sampleTaken();
            if (i <= 3 || i == samples)
                lines << sampleLogLine(s);
        }
        // A second run that has no sample yet.
        recorder.runStarted(start.addSecs(samples + 10));
        SqlArchiveStore store(location);
        written = store.open(true);
        if (written.isEmpty())
            written = store.write(sink.records);
    }
    // A reading connection, as the program opens one per request.
    WebView::ArchiveReader reader() const
    {
        return [where = location](QString &failure) -> std::unique_ptr<RunCatalog> {
            auto store = std::make_unique<SqlArchiveStore>(where);
            failure = store->open(false);
            if (!failure.isEmpty())
                return nullptr;
            return store;
        };
    }

    QTemporaryDir dir;
    ArchiveLocation location;
    QString written;
    QStringList lines;   // the first three samples and the last
};

WebRequest requestFor(const QByteArray &target)
{
    return {"GET", target, {{"Host", "127.0.0.1"}}};
}

std::vector<const TesterSession *> sessionsOf(StationRig &rig)
{
    std::vector<const TesterSession *> sessions;
    for (int i = 0; i < rig.station.count(); ++i)
        sessions.push_back(&rig.session(i));
    return sessions;
}

QByteArray bodyOf(const WebView::Reply &reply)
{
    if (!reply.stream)
        return reply.body;
    QByteArray body;
    for (QByteArray piece = reply.stream->next(); !piece.isEmpty(); piece = reply.stream->next())
        body += piece;
    return body;
}

}   // namespace

class WebViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decide_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("authorization");
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("route");
        QTest::addColumn<qint64>("id");
        const int refused = int(WebRoute::Refused);
        QTest::newRow("page") << QByteArray("GET") << QByteArray("/") << QByteArray() << QByteArray() << 200
                              << int(WebRoute::Page) << qint64(0);
        QTest::newRow("testers, query ignored") << QByteArray("GET") << QByteArray("/api/testers?x=1") << QByteArray()
                                                << QByteArray() << 200 << int(WebRoute::Testers) << qint64(0);
        QTest::newRow("head") << QByteArray("HEAD") << QByteArray("/api/runs") << QByteArray() << QByteArray() << 200
                              << int(WebRoute::Runs) << qint64(0);
        QTest::newRow("samples") << QByteArray("GET") << QByteArray("/api/runs/12/samples") << QByteArray()
                                 << QByteArray() << 200 << int(WebRoute::RunSamples) << qint64(12);
        QTest::newRow("datalog") << QByteArray("GET") << QByteArray("/api/runs/900000000000/datalog") << QByteArray()
                                 << QByteArray() << 200 << int(WebRoute::RunDatalog) << qint64(900000000000);
        QTest::newRow("report") << QByteArray("GET") << QByteArray("/api/runs/3/report.pdf") << QByteArray()
                                << QByteArray() << 200 << int(WebRoute::RunReport) << qint64(3);
        QTest::newRow("trend of tester 0") << QByteArray("GET") << QByteArray("/api/testers/0/trend") << QByteArray()
                                           << QByteArray() << 200 << int(WebRoute::TesterTrend) << qint64(0);
        QTest::newRow("post") << QByteArray("POST") << QByteArray("/api/testers") << QByteArray() << QByteArray() << 405
                              << refused << qint64(0);
        QTest::newRow("put") << QByteArray("PUT") << QByteArray("/") << QByteArray() << QByteArray() << 405 << refused
                             << qint64(0);
        QTest::newRow("delete") << QByteArray("DELETE") << QByteArray("/api/runs/1/samples") << QByteArray()
                                << QByteArray() << 405 << refused << qint64(0);
        QTest::newRow("unknown method") << QByteArray("UNKNOWN") << QByteArray("/") << QByteArray() << QByteArray()
                                        << 405 << refused << qint64(0);
        QTest::newRow("lower-case get") << QByteArray("get") << QByteArray("/") << QByteArray() << QByteArray() << 405
                                        << refused << qint64(0);
        QTest::newRow("unknown path") << QByteArray("GET") << QByteArray("/etc/passwd") << QByteArray() << QByteArray()
                                      << 404 << refused << qint64(0);
        QTest::newRow("run without what") << QByteArray("GET") << QByteArray("/api/runs/1") << QByteArray()
                                          << QByteArray() << 404 << refused << qint64(0);
        QTest::newRow("unknown item") << QByteArray("GET") << QByteArray("/api/runs/1/config") << QByteArray()
                                      << QByteArray() << 404 << refused << qint64(0);
        QTest::newRow("id not a number") << QByteArray("GET") << QByteArray("/api/runs/abc/samples") << QByteArray()
                                         << QByteArray() << 400 << refused << qint64(0);
        QTest::newRow("negative id") << QByteArray("GET") << QByteArray("/api/runs/-1/samples") << QByteArray()
                                     << QByteArray() << 400 << refused << qint64(0);
        QTest::newRow("id 0") << QByteArray("GET") << QByteArray("/api/runs/0/datalog") << QByteArray() << QByteArray()
                              << 400 << refused << qint64(0);
        QTest::newRow("id too big") << QByteArray("GET") << QByteArray("/api/runs/9999999999999999999/samples")
                                    << QByteArray() << QByteArray() << 400 << refused << qint64(0);
        QTest::newRow("id with sign") << QByteArray("GET") << QByteArray("/api/runs/+5/samples") << QByteArray()
                                      << QByteArray() << 400 << refused << qint64(0);
        QTest::newRow("no host") << QByteArray("GET") << QByteArray("/") << QByteArray("-") << QByteArray() << 400
                                 << refused << qint64(0);
        QTest::newRow("tester not a number") << QByteArray("GET") << QByteArray("/api/testers/x/trend") << QByteArray()
                                             << QByteArray() << 400 << refused << qint64(0);
        QTest::newRow("token missing") << QByteArray("GET") << QByteArray("/") << QByteArray() << QByteArray("s3cret")
                                       << 401 << refused << qint64(0);
        QTest::newRow("token wrong") << QByteArray("GET") << QByteArray("/") << QByteArray("Bearer s3creT")
                                     << QByteArray("s3cret") << 401 << refused << qint64(0);
        QTest::newRow("token longer") << QByteArray("GET") << QByteArray("/") << QByteArray("Bearer s3cret1")
                                      << QByteArray("s3cret") << 401 << refused << qint64(0);
        QTest::newRow("token a prefix of the real one")
            << QByteArray("GET") << QByteArray("/") << QByteArray("Bearer s3cre") << QByteArray("s3cret") << 401
            << refused << qint64(0);
        QTest::newRow("basic, not bearer") << QByteArray("GET") << QByteArray("/") << QByteArray("Basic s3cret")
                                           << QByteArray("s3cret") << 401 << refused << qint64(0);
        QTest::newRow("token right") << QByteArray("GET") << QByteArray("/api/testers") << QByteArray("Bearer s3cret")
                                     << QByteArray("s3cret") << 200 << int(WebRoute::Testers) << qint64(0);
        QTest::newRow("post with token still 405")
            << QByteArray("POST") << QByteArray("/") << QByteArray("Bearer s3cret") << QByteArray("s3cret") << 405
            << refused << qint64(0);
        QTest::newRow("target too long") << QByteArray("GET") << QByteArray("/" + QByteArray(MostTargetBytes, 'a'))
                                         << QByteArray() << QByteArray() << 414 << refused << qint64(0);
        QTest::newRow("header too long") << QByteArray("GET") << QByteArray("/") << QByteArray(MostHeaderBytes, 'b')
                                         << QByteArray() << 431 << refused << qint64(0);
    }
    void decide()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, authorization);
        QFETCH(QByteArray, token);
        QFETCH(int, status);
        QFETCH(int, route);
        QFETCH(qint64, id);
        WebRequest request{method, target, {{"host", "127.0.0.1"}}};
        if (authorization == "-")
            request.headers.clear();
        else if (!authorization.isEmpty())
            request.headers.append({"authorization", authorization});
        const WebDecision d = decideRequest(request, token);
        QCOMPARE(d.status, status);
        QCOMPARE(int(d.route), route);
        QCOMPARE(d.id, id);
        QCOMPARE(d.headOnly, method == "HEAD");
        if (status == 405)
            QCOMPARE(d.headers.value(0).second, QByteArray("GET, HEAD"));
        if (status == 401)
            QCOMPARE(d.headers.value(0).first, QByteArray("WWW-Authenticate"));
    }

    // A request's head as it comes over the wire: where it ends, how it
    // reads, what is decided on it alone (no body read) and whether the
    // connection stays open after the answer.
    void decideOnHead_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("keeps");
        const QByteArray host = "Host: h\r\n";
        const QByteArray bearer = "Authorization: Bearer s3cret\r\n";
        QTest::newRow("HTTP/1.1 kept") << "GET / HTTP/1.1\r\n" + host + "\r\n" << QByteArray() << 200 << true;
        QTest::newRow("bare line feeds") << QByteArray("GET / HTTP/1.1\nHost: h\n\n") << QByteArray() << 200 << true;
        QTest::newRow("empty lines before") << "\r\n\r\nGET / HTTP/1.1\r\n" + host + "\r\n"
                                            << QByteArray() << 200 << true;
        QTest::newRow("Connection: close") << "GET / HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n"
                                           << QByteArray() << 200 << false;
        QTest::newRow("close among options") << "GET / HTTP/1.1\r\n" + host + "connection: Keep-Alive, CLOSE\r\n\r\n"
                                             << QByteArray() << 200 << false;
        QTest::newRow("HTTP/1.0 without Host") << QByteArray("GET / HTTP/1.0\r\n\r\n") << QByteArray() << 200 << false;
        QTest::newRow("HTTP/1.0 keep-alive")
            << QByteArray("GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n") << QByteArray() << 200 << true;
        QTest::newRow("HTTP/1.2 read as 1.1: Host needed")
            << QByteArray("GET / HTTP/1.2\r\n\r\n") << QByteArray() << 400 << false;
        QTest::newRow("HTTP/1.1 without Host") << QByteArray("GET / HTTP/1.1\r\n\r\n") << QByteArray() << 400 << false;
        QTest::newRow("HTTP/2.0") << "GET / HTTP/2.0\r\n" + host + "\r\n" << QByteArray() << 400 << false;
        QTest::newRow("no version") << "GET /\r\n" + host + "\r\n" << QByteArray() << 400 << false;
        QTest::newRow("empty target") << "GET  HTTP/1.1\r\n" + host + "\r\n" << QByteArray() << 400 << false;
        QTest::newRow("separator in the method") << "G(T / HTTP/1.1\r\n" + host + "\r\n"
                                                 << QByteArray() << 400 << false;
        QTest::newRow("two spaces") << "GET  / HTTP/1.1\r\n" + host + "\r\n" << QByteArray() << 400 << false;
        QTest::newRow("header without colon") << "GET / HTTP/1.1\r\n" + host + "X-A b\r\n\r\n"
                                              << QByteArray() << 400 << false;
        QTest::newRow("folded header") << "GET / HTTP/1.1\r\n" + host + "X-A: b\r\n c\r\n\r\n"
                                       << QByteArray() << 400 << false;
        QTest::newRow("space before colon")
            << QByteArray("GET / HTTP/1.1\r\nHost : h\r\n\r\n") << QByteArray() << 400 << false;
        QTest::newRow("body announced") << "GET / HTTP/1.1\r\n" + host + "Content-Length: 5\r\n\r\n"
                                        << QByteArray() << 413 << false;
        QTest::newRow("length 0") << "GET / HTTP/1.1\r\n" + host + "Content-Length: 00\r\n\r\n"
                                  << QByteArray() << 200 << true;
        QTest::newRow("length empty") << "GET / HTTP/1.1\r\n" + host + "Content-Length:\r\n\r\n"
                                      << QByteArray() << 413 << false;
        QTest::newRow("control character in a name") << "GET / HTTP/1.1\r\n" + host + "X\x7f: b\r\n\r\n"
                                                     << QByteArray() << 400 << false;
        QTest::newRow("length not a number") << "GET / HTTP/1.1\r\n" + host + "Content-Length: x\r\n\r\n"
                                             << QByteArray() << 413 << false;
        QTest::newRow("chunked body") << "HEAD / HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n"
                                      << QByteArray() << 413 << false;
        QTest::newRow("body, no token") << "GET / HTTP/1.1\r\n" + host + "Content-Length: 2000000000\r\n\r\n"
                                        << QByteArray("s3cret") << 401 << false;
        QTest::newRow("post, no token") << "POST / HTTP/1.1\r\n" + host + "Content-Length: 2\r\n\r\n"
                                        << QByteArray("s3cret") << 401 << false;
        QTest::newRow("post with token") << "POST / HTTP/1.1\r\n" + host + bearer + "Content-Length: 2\r\n\r\n"
                                         << QByteArray("s3cret") << 405 << false;
        QTest::newRow("body with token") << "GET / HTTP/1.1\r\n" + host + bearer + "Content-Length: 2\r\n\r\n"
                                         << QByteArray("s3cret") << 413 << false;
        QTest::newRow("scheme in lower case") << "GET / HTTP/1.1\r\n" + host + "authorization: bearer s3cret\r\n\r\n"
                                              << QByteArray("s3cret") << 200 << true;
        QTest::newRow("scheme in upper case") << "GET / HTTP/1.1\r\n" + host + "Authorization: BEARER  s3cret\r\n\r\n"
                                              << QByteArray("s3cret") << 200 << true;
        QTest::newRow("scheme run into the token")
            << "GET / HTTP/1.1\r\n" + host + "Authorization: Bearers3cret\r\n\r\n"
            << QByteArray("s3cret") << 401 << false;
        QTest::newRow("two authorizations") << "GET / HTTP/1.1\r\n" + host + bearer + bearer + "\r\n"
                                            << QByteArray("s3cret") << 400 << false;
    }
    void decideOnHead()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, token);
        QFETCH(int, status);
        QFETCH(bool, keeps);
        QCOMPARE(headEndOf(head + "GET / HTTP/1.1\r\n"), head.size());
        QCOMPARE(headEndOf(head.chopped(1)), -1);
        WebRequest request;
        const int malformed = parseHead(head, request);
        const int decided = malformed ? malformed : decideRequest(request, token).status;
        QCOMPARE(decided, status);
        if (status == 200)
            QCOMPARE(keepsConnection(request), keeps);
    }

    void tooManyHeaders()
    {
        WebRequest request = requestFor("/");
        for (int i = 1; i <= MostHeaders; ++i)
            request.headers.append({"X-" + QByteArray::number(i), "1"});
        QCOMPARE(decideRequest(request, QByteArray()).status, 431);
        request.headers.removeLast();
        QCOMPARE(decideRequest(request, QByteArray()).status, 200);
    }

    void address_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("loopback");
        QTest::newRow("port alone") << "8080"
                                    << "127.0.0.1" << 8080 << true;
        QTest::newRow("loopback") << "127.0.0.1:80"
                                  << "127.0.0.1" << 80 << true;
        QTest::newRow("localhost") << "localhost:8080"
                                   << "localhost" << 8080 << true;
        QTest::newRow("any") << "0.0.0.0:8080"
                             << "0.0.0.0" << 8080 << false;
        QTest::newRow("lan") << "192.168.1.20:8080"
                             << "192.168.1.20" << 8080 << false;
        QTest::newRow("not loopback 127.example") << "127.example.com:1"
                                                  << "127.example.com" << 1 << false;
        QTest::newRow("ipv6 loopback") << "[::1]:8080"
                                       << "::1" << 8080 << true;
        QTest::newRow("ipv6 any") << "[::]:8080"
                                  << "::" << 8080 << false;
        QTest::newRow("ipv6 without brackets") << "::1:8080"
                                               << "" << 0 << false;
        QTest::newRow("port 0") << "127.0.0.1:0"
                                << "" << 0 << false;
        QTest::newRow("port too big") << "127.0.0.1:65536"
                                      << "" << 0 << false;
        QTest::newRow("no port") << "127.0.0.1:"
                                 << "" << 0 << false;
        QTest::newRow("no host") << ":8080"
                                 << "" << 0 << false;
        QTest::newRow("words") << "web"
                               << "" << 0 << false;
        QTest::newRow("plus") << "+80"
                              << "" << 0 << false;
    }
    void address()
    {
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, loopback);
        WebAddress a;
        const QString problem = parseWebAddress(text, a);
        QCOMPARE(problem.isEmpty(), port > 0);
        if (port == 0)
            return;
        QCOMPARE(a.host, host);
        QCOMPARE(a.port, port);
        QCOMPARE(a.loopback(), loopback);
        // Another address needs a token.
        QCOMPARE(webAccessProblem(a, QString()).isEmpty(), loopback);
        QVERIFY(webAccessProblem(a, QStringLiteral("t")).isEmpty());
    }

    // /api/testers from the station's engines: each tester's own values.
    void testersJson()
    {
        StationRig rig;
        rig.bench.plug(2, FakeBench::simulatorConfig("41800002", true));
        rig.bench.plug(5, FakeBench::simulatorConfig("41800005", false));
        QVERIFY(rig.allFound(2));
        rig.tick(200);
        QTemporaryDir dir;
        QString file = dir.filePath("one.txt");
        QVERIFY(rig.session(0).dataLog().openFile(file));
        rig.session(0).state().DataFileOpen = true;
        rig.session(0).state().DataFileName = file;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        const QJsonArray testers = QJsonDocument::fromJson(view.answer(requestFor("/api/testers")).body).array();
        QCOMPARE(testers.size(), 2);
        for (int row = 0; row < 2; ++row) {
            const QJsonObject o = testers[row].toObject();
            const TesterState &s = rig.session(row).state();
            const RunGlance &glance = rig.session(row).glance();
            QCOMPARE(o["serial"].toString(), s.vSerialNumber);
            QCOMPARE(o["port"].toInt(), row == 0 ? 2 : 5);
            QCOMPARE(o["device"].toString(), glance.device());
            QCOMPARE(o["link"].toString(), QString("connected"));
            QCOMPARE(o["run"].toString(), glance.runText(s));
            QCOMPARE(o["cycles"].toInt(), s.CycleCount);
            QCOMPARE(o["cycleLimit"].toInt(), s.vCycleLimit);
            QCOMPARE(o["failures"].toInt(), s.FailCount);
            QCOMPARE(o["sequentialFailures"].toInt(), s.SeqCount);
            QCOMPARE(o["lastSample"].toString(),
                     s.vUpdateTime.toOffsetFromUtc(s.vUpdateTime.offsetFromUtc()).toString(Qt::ISODate));
        }
        const QJsonObject running = testers[0].toObject(), stopped = testers[1].toObject();
        QCOMPARE(running["ratePerHour"].toDouble(), std::round(rig.session(0).glance().progress().cyclesPerHour()));
        QVERIFY(running["ratePerHour"].toDouble() > 0);
        QVERIFY(running["secondsToLimit"].toDouble() > 0);
        QCOMPARE(running["dataFile"].toString(), QString("one.txt"));
        QVERIFY(stopped["ratePerHour"].isNull());
        QVERIFY(stopped["secondsToLimit"].isNull());
        QVERIFY(stopped["dataFile"].isNull());

        // The link: lost, and searching before any tester.
        rig.bench.pull(5);
        QVERIFY(rig.tickUntil([&] { return rig.session(1).glance().link().alarm(); }, 600));
        QCOMPARE(testerJson(rig.session(1))["link"].toString(), QString("lost"));
        StationRig empty;
        empty.tick();
        QCOMPARE(empty.station.search().link().state(), LinkHistory::State::Searching);

        // The trend of a tester, and of one that does not exist.
        const QJsonObject trend =
            QJsonDocument::fromJson(view.answer(requestFor("/api/testers/0/trend")).body).object();
        QCOMPARE(trend["samples"].toInt(), int(rig.session(0).trendHistory().size()));
        QCOMPARE(trend["cycle"].toArray().last().toInt(),
                 int(rig.session(0).trendHistory().at(rig.session(0).trendHistory().size() - 1).cycle));
        QCOMPARE(view.answer(requestFor("/api/testers/2/trend")).status, 404);
    }

    void trendIsSpreadOverTheHistory()
    {
        TrendHistory history;
        for (int i = 0; i < 2500; ++i) {
            TrendReading r;
            r.cycleCount = i;
            r.limits.mode = 0;
            r.limits.contactCode = 16 | 32;
            r.contact[TrendDown] = i % 2 ? std::numeric_limits<float>::infinity() : 3.5f;
            history.append(r);
        }
        const QJsonObject o = QJsonDocument::fromJson(trendJson(history, 600)).object();
        const QJsonArray cycles = o["cycle"].toArray();
        QVERIFY(cycles.size() <= 600 && cycles.size() >= 500);
        QCOMPARE(cycles.first().toInt(), 0);
        QCOMPARE(cycles.last().toInt(), 2499);
        QVERIFY(o["downContact"].toArray().contains(QJsonValue()));   // open: null
        QCOMPARE(o["downContact"].toArray().first().toDouble(), 3.5);
    }

    // The archive's endpoints, answered without a server.
    void runsFromTheArchive()
    {
        ArchivedRun archived(RunStream::PageSamples * 2 + 5);
        QVERIFY2(archived.written.isEmpty(), qPrintable(archived.written));
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        QCOMPARE(view.answer(requestFor("/api/runs")).status, 404);   // no archive yet
        view.setArchive(archived.reader(), runReportPdf);

        const QJsonArray runs = QJsonDocument::fromJson(view.answer(requestFor("/api/runs")).body).array();
        QCOMPARE(runs.size(), 2);   // newest first
        QCOMPARE(runs[0].toObject()["samples"].toInt(), 0);
        const QJsonObject run = runs[1].toObject();
        QCOMPARE(run["id"].toInt(), 1);
        QCOMPARE(run["serial"].toString(), QString("41800077"));
        QCOMPARE(run["samples"].toInt(), RunStream::PageSamples * 2 + 5);
        QCOMPARE(run["cycles"].toInt(), (RunStream::PageSamples * 2 + 5) * 7);
        QCOMPARE(run["start"].toString().left(19), QString("2024-03-08T14:02:11"));

        const QJsonArray samples =
            QJsonDocument::fromJson(bodyOf(view.answer(requestFor("/api/runs/1/samples")))).array();
        QCOMPARE(samples.size(), RunStream::PageSamples * 2 + 5);
        for (int i = 0; i < samples.size(); ++i)
            QCOMPARE(samples[i].toObject()["cycles"].toInt(), (i + 1) * 7);
        QCOMPARE(samples[1].toObject()["downContact"].toInt(), 5);
        QCOMPARE(samples[1].toObject()["upContact"].toInt(), 1002);

        const QList<QByteArray> lines = bodyOf(view.answer(requestFor("/api/runs/1/datalog"))).split('\n');
        QCOMPARE(lines.size(), RunStream::PageSamples * 2 + 5 + 2);
        QCOMPARE(lines[0], QByteArray(DataLogHeader) + '\r');
        for (int i = 0; i < 3; ++i)
            QCOMPARE(lines[i + 1], archived.lines[i].toLatin1() + '\r');
        QCOMPARE(lines[lines.size() - 2], archived.lines.last().toLatin1() + '\r');

        QCOMPARE(view.answer(requestFor("/api/runs/3/samples")).status, 404);
        QCOMPARE(view.answer(requestFor("/api/runs/3/datalog")).status, 404);
        QCOMPARE(bodyOf(view.answer(requestFor("/api/runs/2/samples"))), QByteArray("[\n]\n"));
        const WebView::Reply pdf = view.answer(requestFor("/api/runs/1/report.pdf"));
        QCOMPARE(pdf.contentType, QByteArray("application/pdf"));
        QVERIFY(pdf.body.startsWith("%PDF-"));
        const WebView::Reply noSample = view.answer(requestFor("/api/runs/2/report.pdf"));
        QCOMPARE(noSample.status, 404);
        QVERIFY2(noSample.body.contains("no sample"), noSample.body);
        QCOMPARE(view.answer(requestFor("/api/runs/3/report.pdf")).status, 404);
    }

    // The server on loopback: what it answers, and that it goes on after
    // requests it refuses.
    void serverAnswersAndGoesOn()
    {
        StationRig rig;
        rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        QVERIFY(rig.allFound(1));
        ArchivedRun archived(RunStream::PageSamples + 10);
        WebView view([&] { return sessionsOf(rig); }, "<html>page</html>");
        view.setArchive(archived.reader());
        WebServer server(view);
        QCOMPARE(server.listen({QStringLiteral("127.0.0.1"), 0}), QString());

        HttpAnswer a = httpExchange(server.port(), getRequest("/api/testers"));
        QCOMPARE(a.status, 200);
        QCOMPARE(a.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(QJsonDocument::fromJson(a.body).array()[0].toObject()["serial"].toString(), QString("41800001"));

        a = httpExchange(server.port(), getRequest("/", QByteArray(), "HEAD"), true);
        QCOMPARE(a.status, 200);
        QCOMPARE(a.header("Content-Length"), QByteArray("17"));
        QCOMPARE(a.body, QByteArray());

        const QByteArray refused[] = {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"};
        for (const QByteArray &method : refused) {
            a = httpExchange(server.port(), getRequest("/api/testers", "Content-Length: 2\r\n", method) + "{}");
            QVERIFY2(a.status == 405, method);
            QCOMPARE(a.header("Allow"), QByteArray("GET, HEAD"));
        }
        QCOMPARE(httpExchange(server.port(), getRequest("/api/runs/x1/samples")).status, 400);
        QCOMPARE(httpExchange(server.port(), getRequest("/nothing")).status, 404);

        // Over-long request lines and headers: a 4xx, and the next request is answered.
        const QByteArray longTargets[] = {"/" + QByteArray(MostTargetBytes + 1, 'a'),
                                          "/" + QByteArray(200 * 1024, 'a')};
        for (const QByteArray &target : longTargets) {
            a = httpExchange(server.port(), getRequest(target));
            QVERIFY2(a.status >= 400 && a.status < 500, a.head);
            QCOMPARE(httpExchange(server.port(), getRequest("/")).status, 200);
        }
        const QByteArray longHeaders[] = {"X-Long: " + QByteArray(MostHeaderBytes, 'b') + "\r\n",
                                          "X-Long: " + QByteArray(70 * 1024, 'b') + "\r\n",
                                          "X-Long: " + QByteArray(300 * 1024, 'b') + "\r\n"};
        for (const QByteArray &header : longHeaders) {
            a = httpExchange(server.port(), getRequest("/", header));
            QVERIFY2(a.status >= 400 && a.status < 500, a.head);
            QCOMPARE(httpExchange(server.port(), getRequest("/")).status, 200);
        }
        a = httpExchange(server.port(), "NOT HTTP AT ALL\r\n\r\n");
        QVERIFY2(a.status == 0 || (a.status >= 400 && a.status < 500), a.head);
        QCOMPARE(httpExchange(server.port(), getRequest("/")).status, 200);

        // A run streamed: every sample, and the connection closed after it.
        a = httpExchange(server.port(), getRequest("/api/runs/1/samples"));
        QCOMPARE(a.status, 200);
        QVERIFY(a.closed);
        QCOMPARE(QJsonDocument::fromJson(a.body).array().size(), RunStream::PageSamples + 10);
    }

    void tokenOverHttp()
    {
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        view.setToken("s3cret");
        WebServer server(view);
        QCOMPARE(server.listen({QStringLiteral("127.0.0.1"), 0}), QString());
        HttpAnswer a = httpExchange(server.port(), getRequest("/api/testers"));
        QCOMPARE(a.status, 401);
        QVERIFY(a.header("WWW-Authenticate").startsWith("Bearer"));
        QCOMPARE(httpExchange(server.port(), getRequest("/api/testers", "Authorization: Bearer s3cret\r\n")).status,
                 200);
        QCOMPARE(httpExchange(server.port(), getRequest("/", "Authorization: Bearer nope\r\n")).status, 401);
        QCOMPARE(httpExchange(server.port(), getRequest("/", "Content-Length: 2\r\n", "POST") + "{}").status, 401);
    }

    // A request refused on its head while its client streams a body at it:
    // the answer comes and the server closes the connection at once, holding
    // nothing of the body (the client is stopped at 64 MB or 10 s).
    void refusedWhileTheBodyStreams_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<int>("status");
        QTest::newRow("no token") << getRequest("/api/testers", "Content-Length: 2000000000\r\n")
                                  << QByteArray("s3cret") << 401;
        QTest::newRow("post") << getRequest("/api/testers", "Content-Length: 2000000000\r\n", "POST") << QByteArray()
                              << 405;
        QTest::newRow("get with a body") << getRequest("/api/testers", "Transfer-Encoding: chunked\r\n") << QByteArray()
                                         << 413;
    }
    void refusedWhileTheBodyStreams()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, token);
        QFETCH(int, status);
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        view.setToken(token);
        WebServer server(view);
        QCOMPARE(server.listen({QStringLiteral("127.0.0.1"), 0}), QString());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.port());
        client.write(head);
        const QByteArray chunk(64 * 1024, 'x');
        QByteArray got;
        qint64 offered = 0;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000 && client.state() != QAbstractSocket::UnconnectedState) {
            if (client.bytesToWrite() < chunk.size() && offered < 64 * 1024 * 1024) {
                client.write(chunk);
                offered += chunk.size();
            }
            QTest::qWait(1);
            got += client.readAll();
        }
        got += client.readAll();
        QVERIFY2(got.startsWith("HTTP/1.1 " + QByteArray::number(status) + ' '), got.left(80));
        QVERIFY2(timer.elapsed() < 5000, "the server did not close the connection");
        QCOMPARE(server.connectionCount(), 0);
    }

    // Whether the connection stays open after an answer; one kept open
    // answers two requests sent at once, in turn.
    void connectionKeptOrClosed_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("closes");
        QTest::newRow("HTTP/1.1") << getRequest("/") << false;
        QTest::newRow("HEAD") << getRequest("/", QByteArray(), "HEAD") << false;
        QTest::newRow("Connection: close") << getRequest("/", "Connection: close\r\n") << true;
        QTest::newRow("HTTP/1.0") << QByteArray("GET / HTTP/1.0\r\n\r\n") << true;
        QTest::newRow("HTTP/1.0 keep-alive") << QByteArray("GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n") << false;
        QTest::newRow("refused") << getRequest("/nothing") << true;
    }
    void connectionKeptOrClosed()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, closes);
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        WebServer server(view);
        QCOMPARE(server.listen({QStringLiteral("127.0.0.1"), 0}), QString());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.port());
        client.write(request);
        const HttpAnswer a = readAnswer(client, request.startsWith("HEAD"));
        QCOMPARE(a.status, request.contains("/nothing") ? 404 : 200);
        QCOMPARE(a.header("Connection").toLower(), QByteArray(closes                           ? "close"
                                                              : request.contains("keep-alive") ? "keep-alive"
                                                                                               : ""));
        QCOMPARE(closedWithin(client, 500), closes);
        if (closes)
            return;
        client.write(request + request);
        QByteArray got;
        QDeadlineTimer deadline(5000);
        while (got.count("HTTP/1.1 200 OK\r\n") < 2 && !deadline.hasExpired()) {
            QTest::qWait(2);
            got += client.readAll();
        }
        QCOMPARE(got.count("HTTP/1.1 200 OK\r\n"), 2);
    }

    // A client that sends nothing, one that sends its head too slowly and
    // one idle after its answer are each closed at their own deadline.
    void deadlines()
    {
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        WebServer server(view);
        HttpLimits limits;
        limits.requestMs = 300;
        limits.idleMs = 900;
        server.setLimits(limits);
        QCOMPARE(server.listen({QStringLiteral("127.0.0.1"), 0}), QString());
        QTcpSocket silent, slow, idle;
        QElapsedTimer timer;
        timer.start();
        for (QTcpSocket *socket : {&silent, &slow, &idle})
            socket->connectToHost(QHostAddress::LocalHost, server.port());
        idle.write(getRequest("/"));
        QCOMPARE(readAnswer(idle).status, 200);
        const qint64 answered = timer.elapsed();
        slow.write("GET / HTTP/1.1\r\n");
        qint64 closed[3] = {-1, -1, -1};
        while (timer.elapsed() < 5000 && (closed[0] < 0 || closed[1] < 0 || closed[2] < 0)) {
            QTest::qWait(10);
            if (slow.state() == QAbstractSocket::ConnectedState)
                slow.write("X-Slow: 1\r\n");
            int i = 0;
            for (QTcpSocket *socket : {&silent, &slow, &idle}) {
                socket->readAll();
                if (closed[i] < 0 && socket->state() == QAbstractSocket::UnconnectedState)
                    closed[i] = timer.elapsed();
                ++i;
            }
        }
        QVERIFY2(closed[0] >= 200 && closed[0] < 2000, QByteArray::number(closed[0]));
        QVERIFY2(closed[1] >= 200 && closed[1] < 2000, QByteArray::number(closed[1]));
        QVERIFY2(closed[2] - answered >= 700 && closed[2] - answered < 3000, QByteArray::number(closed[2] - answered));
        QCOMPARE(server.connectionCount(), 0);
    }

    // More connections than the server takes, idle or slow to send their
    // request: it keeps no more than its limit open, and a client with the
    // token is still answered.
    void connectionLimit()
    {
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        view.setToken("s3cret");
        WebServer server(view);
        HttpLimits limits;
        limits.mostConnections = 8;
        server.setLimits(limits);
        QCOMPARE(server.listen({QStringLiteral("127.0.0.1"), 0}), QString());
        std::vector<std::unique_ptr<QTcpSocket>> crowd;
        const auto stillOpen = [&] {
            return std::count_if(crowd.begin(), crowd.end(), [](const auto &socket) {
                socket->readAll();
                return socket->state() != QAbstractSocket::UnconnectedState;
            });
        };
        for (int i = 0; i < 40; ++i) {
            crowd.push_back(std::make_unique<QTcpSocket>());
            crowd.back()->connectToHost(QHostAddress::LocalHost, server.port());
            if (i >= 30)
                crowd.back()->write("GET / HTTP/1.1\r\n");
            QTest::qWait(2);
            QVERIFY(server.connectionCount() <= 8);
        }
        QDeadlineTimer deadline(5000);
        while (stillOpen() > 8 && !deadline.hasExpired())
            QTest::qWait(5);
        QCOMPARE(stillOpen(), 8);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(httpExchange(server.port(), getRequest("/api/testers", "Authorization: Bearer s3cret\r\n")).status,
                 200);
        QVERIFY(timer.elapsed() < 15000);
        QVERIFY(server.connectionCount() <= 8);
    }

    // When every connection is busy answering (clients that do not take a
    // long page), a newcomer is refused at once rather than held.
    void newcomerRefusedWhenAllAreBusy()
    {
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>" + QByteArray(16 * 1024 * 1024, 'p'));
        WebServer server(view);
        HttpLimits limits;
        limits.mostConnections = 2;
        server.setLimits(limits);
        QCOMPARE(server.listen({QStringLiteral("127.0.0.1"), 0}), QString());
        QTcpSocket busy[2], newcomer;
        for (QTcpSocket &socket : busy) {
            socket.setReadBufferSize(1024);   // takes almost nothing of the page
            socket.connectToHost(QHostAddress::LocalHost, server.port());
            socket.write(getRequest("/"));
        }
        QTest::qWait(300);
        newcomer.connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(closedWithin(newcomer, 3000));
        QCOMPARE(server.connectionCount(), 2);
        for (QTcpSocket &socket : busy)
            QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    }

    void listenFailures()
    {
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        WebServer first(view), second(view);
        QCOMPARE(first.listen({QStringLiteral("127.0.0.1"), 0}), QString());
        QVERIFY(!second.listen({QStringLiteral("127.0.0.1"), first.port()}).isEmpty());
        QVERIFY(second.listen({QStringLiteral("lab-pc"), 8080}).contains("not an IP address"));
    }
};

QTEST_MAIN(WebViewTest)
#include "WebViewTest.moc"

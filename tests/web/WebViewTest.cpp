// The web view: which requests are answered and how (read-only, the token,
// paths and ids, sizes, bodies), every endpoint's JSON against the engines'
// state (a station of simulated testers, an SQLite archive), and the server
// on loopback answering 405, 401 and over-long requests, going on
// afterwards, streaming a run page by page, refusing a body as it streams,
// keeping or closing connections, and its deadlines and connection limit.

#include "HttpExchange.h"
#include "station/StationRig.h"
#include "support/ReplyBody.h"
#include "support/TestRows.h"

#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/web/RunsQuery.h"
#include "engine/web/WebAddress.h"
#include "engine/web/WebJson.h"
#include "engine/web/WebView.h"
#include "features/report/RunReport.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeArchiveSink.h"
#include "web/WebServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
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
        s.identity.serialNumber = QStringLiteral("41800077");
        s.identity.softwareVersion = 12;
        s.reported.cycleLimit = 100000;
        s.reported.rangePullUp = 1000;
        s.reported.rangeMode = 0;
        FakeArchiveSink sink;
        RunRecorder recorder(s, sink, QStringLiteral("station"), QStringLiteral("1.0.0"));
        const QDateTime start(QDate(2024, 3, 8), QTime(14, 2, 11));
        recorder.runStarted(start);
        recorder.describeRun({"SW-100 rocker", "A. Meyer", "batch 7\n\"second\" line"}, start);
        for (int i = 1; i <= samples; ++i) {
            s.counters.running = i < samples;
            s.counters.updateTime = start.addSecs(i);
            s.counters.cycleCount = i * 7;
            s.counters.failCount = i / 100;
            s.counters.lastDownResistance = 3 + i % 5;
            s.counters.lastUpResistance = i % 5 ? 1002 : 1023;   // full scale: open
            s.counters.lastDownStrokeTime = 40 + i % 3;
            s.counters.lastUpBounceTime = 425;
            recorder.sampleTaken();
            if (i <= 3 || i == samples)
                lines << sampleLogLine(s);
        }
        // A second run that has no sample yet, as an older program left one.
        ArchiveRecord bare;
        bare.kind = ArchiveRecord::RunBegun;
        bare.runKey = QStringLiteral("no sample");
        bare.text = s.identity.serialNumber;
        bare.host = QStringLiteral("station");
        bare.setAt(start.addSecs(samples + 10));
        sink.post(std::move(bare));
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

// A station's web view served on loopback; listen() after the token and
// limits are set.
struct Served
{
    explicit Served(const QByteArray &page = "<html>") : view([this] { return sessionsOf(rig); }, page) {}
    bool listen(const HttpLimits &limits = {})
    {
        server.setLimits(limits);
        return server.listen({QStringLiteral("127.0.0.1"), 0}).isEmpty();
    }
    HttpAnswer exchange(const QByteArray &raw, bool headOnly = false)
    {
        return httpExchange(server.port(), raw, headOnly);
    }

    StationRig rig;
    WebView view;
    WebServer server{view};
};

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
        const auto row = [](const char *name, const QByteArray &method, const QByteArray &target, int status,
                            WebRoute route = WebRoute::Refused, qint64 id = 0, const QByteArray &authorization = {},
                            const QByteArray &token = {}) {
            QTest::newRow(name) << method << target << authorization << token << status << int(route) << id;
        };
        row("page", "GET", "/", 200, WebRoute::Page);
        row("testers, query ignored", "GET", "/api/testers?x=1", 200, WebRoute::Testers);
        row("head", "HEAD", "/api/runs", 200, WebRoute::Runs);
        row("samples", "GET", "/api/runs/12/samples", 200, WebRoute::RunSamples, 12);
        row("datalog", "GET", "/api/runs/900000000000/datalog", 200, WebRoute::RunDatalog, 900000000000);
        row("report", "GET", "/api/runs/3/report.pdf", 200, WebRoute::RunReport, 3);
        row("trend of tester 0", "GET", "/api/testers/0/trend", 200, WebRoute::TesterTrend);
        row("runs filtered", "GET", "/api/runs?serial=41800077&limit=5&offset=5", 200, WebRoute::Runs);
        row("runs, unknown parameter", "GET", "/api/runs?colour=red", 400);
        row("runs, malformed since", "GET", "/api/runs?since=yesterday", 400);
        row("post", "POST", "/api/testers", 405);
        row("put", "PUT", "/", 405);
        row("delete", "DELETE", "/api/runs/1/samples", 405);
        row("unknown method", "UNKNOWN", "/", 405);
        row("lower-case get", "get", "/", 405);
        row("unknown path", "GET", "/etc/passwd", 404);
        row("run without what", "GET", "/api/runs/1", 404);
        row("unknown item", "GET", "/api/runs/1/config", 404);
        row("id not a number", "GET", "/api/runs/abc/samples", 400);
        row("negative id", "GET", "/api/runs/-1/samples", 400);
        row("id 0", "GET", "/api/runs/0/datalog", 400);
        row("id too big", "GET", "/api/runs/9999999999999999999/samples", 400);
        row("id with sign", "GET", "/api/runs/+5/samples", 400);
        row("no host", "GET", "/", 400, WebRoute::Refused, 0, "-");
        row("tester not a number", "GET", "/api/testers/x/trend", 400);
        row("token missing", "GET", "/", 401, WebRoute::Refused, 0, "", "s3cret");
        row("token wrong", "GET", "/", 401, WebRoute::Refused, 0, "Bearer s3creT", "s3cret");
        row("token longer", "GET", "/", 401, WebRoute::Refused, 0, "Bearer s3cret1", "s3cret");
        row("token a prefix of the real one", "GET", "/", 401, WebRoute::Refused, 0, "Bearer s3cre", "s3cret");
        row("basic, not bearer", "GET", "/", 401, WebRoute::Refused, 0, "Basic s3cret", "s3cret");
        row("token right", "GET", "/api/testers", 200, WebRoute::Testers, 0, "Bearer s3cret", "s3cret");
        row("post with token still 405", "POST", "/", 405, WebRoute::Refused, 0, "Bearer s3cret", "s3cret");
        row("target too long", "GET", QByteArray("/" + QByteArray(MostTargetBytes, 'a')), 414);
        row("header too long", "GET", "/", 431, WebRoute::Refused, 0, QByteArray(MostHeaderBytes, 'b'));
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

    // The query of /api/runs: each parameter read or named as wrong.
    void runsQuery_data()
    {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QString>("read");   // serial|host|since|until|limit|offset, or the problem's start
        const auto row = [](const char *name, const QByteArray &query, const QString &read) {
            addRow(name, query, read);
        };
        const QString noFilter = QStringLiteral("||||100|0");
        row("none", QByteArray(), noFilter);
        row("empty parts", "&&", noFilter);
        row("every parameter", "serial=41800123&host=lab%2D3&since=2026-12-01&until=2026-12-07&limit=1000&offset=2000",
            "41800123|lab-3|2026-12-01T00:00:00.000|2026-12-07T23:59:59.999|1000|2000");
        row("time with offset", "since=2026-12-07T14:02:11%2B01:00", "||2026-12-07T13:02:11.000Z||100|0");
        row("days back", "since=7d", "||2026-11-30T12:00:00.000||100|0");
        row("plus is a space", "host=lab+3", "|lab 3|||100|0");
        row("unknown", "serial=1&colour=red&size=2", "unknown parameter colour, size");
        row("twice", "limit=5&limit=6", "malformed value of limit (given twice)");
        row("limit 0", "limit=0", "malformed value of limit (1 to 1000)");
        row("limit over 1000", "limit=1001", "malformed value of limit (1 to 1000)");
        row("limit negative", "limit=-1", "malformed value of limit (1 to 1000)");
        row("offset with sign", "offset=+1", "malformed value of offset");
        row("offset huge", "offset=99999999999999", "malformed value of offset");
        row("empty serial", "serial=", "malformed value of serial");
        row("serial without =", "serial", "malformed value of serial");
        row("control character", "host=a%0Ab", "malformed value of host");
        row("no such day", "since=2026-02-30", "malformed value of since");
        row("days too many", "until=99999d", "malformed value of until");
        row("both kinds", "x=1&limit=a", "unknown parameter x; malformed value of limit");
    }
    void runsQuery()
    {
        QFETCH(QByteArray, query);
        const QDateTime now(QDate(2026, 12, 7), QTime(12, 0));
        RunFilter filter;
        const QString problem = readRunsQuery(query, now, filter);
        // A time with an offset in UTC, a local one as it is.
        const auto shown = [](const QDateTime &t) {
            if (!t.isValid())
                return QString();
            return (t.timeSpec() == Qt::LocalTime ? t : t.toUTC()).toString(Qt::ISODateWithMs);
        };
        if (!problem.isEmpty()) {
            QFETCH(QString, read);
            QVERIFY2(problem.startsWith(read), qPrintable(problem));
            return;
        }
        QVERIFY(filter.wholeSerial);
        QTEST(QStringList({filter.serialNumber, filter.host, shown(filter.since), shown(filter.until),
                           QString::number(filter.limit), QString::number(filter.offset)})
                  .join(u'|'),
              "read");
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
        const auto get = [&host](const QByteArray &headers) { return "GET / HTTP/1.1\r\n" + host + headers + "\r\n"; };
        const auto row = [](const char *name, const QByteArray &head, int status, bool keeps = false,
                            const QByteArray &token = {}) { addRow(name, head, token, status, keeps); };
        row("HTTP/1.1 kept", get(""), 200, true);
        row("bare line feeds", QByteArray("GET / HTTP/1.1\nHost: h\n\n"), 200, true);
        row("empty lines before", "\r\n\r\nGET / HTTP/1.1\r\n" + host + "\r\n", 200, true);
        row("Connection: close", get("Connection: close\r\n"), 200);
        row("close among options", get("connection: Keep-Alive, CLOSE\r\n"), 200);
        row("HTTP/1.0 without Host", QByteArray("GET / HTTP/1.0\r\n\r\n"), 200);
        row("HTTP/1.0 keep-alive", QByteArray("GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"), 200, true);
        row("HTTP/1.2 read as 1.1: Host needed", QByteArray("GET / HTTP/1.2\r\n\r\n"), 400);
        row("HTTP/1.1 without Host", QByteArray("GET / HTTP/1.1\r\n\r\n"), 400);
        row("HTTP/2.0", "GET / HTTP/2.0\r\n" + host + "\r\n", 400);
        row("no version", "GET /\r\n" + host + "\r\n", 400);
        row("empty target", "GET  HTTP/1.1\r\n" + host + "\r\n", 400);
        row("separator in the method", "G(T / HTTP/1.1\r\n" + host + "\r\n", 400);
        row("two spaces", "GET  / HTTP/1.1\r\n" + host + "\r\n", 400);
        row("header without colon", get("X-A b\r\n"), 400);
        row("folded header", get("X-A: b\r\n c\r\n"), 400);
        row("space before colon", QByteArray("GET / HTTP/1.1\r\nHost : h\r\n\r\n"), 400);
        row("body announced", get("Content-Length: 5\r\n"), 413);
        row("length 0", get("Content-Length: 00\r\n"), 200, true);
        row("length empty", get("Content-Length:\r\n"), 413);
        row("control character in a name", get("X\x7f: b\r\n"), 400);
        row("length not a number", get("Content-Length: x\r\n"), 413);
        row("chunked body", "HEAD / HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n", 413);
        row("body, no token", get("Content-Length: 2000000000\r\n"), 401, false, "s3cret");
        row("post, no token", "POST / HTTP/1.1\r\n" + host + "Content-Length: 2\r\n\r\n", 401, false, "s3cret");
        row("post with token", "POST / HTTP/1.1\r\n" + host + bearer + "Content-Length: 2\r\n\r\n", 405, false,
            "s3cret");
        row("body with token", get(bearer + "Content-Length: 2\r\n"), 413, false, "s3cret");
        row("scheme in lower case", get("authorization: bearer s3cret\r\n"), 200, true, "s3cret");
        row("scheme in upper case", get("Authorization: BEARER  s3cret\r\n"), 200, true, "s3cret");
        row("scheme run into the token", get("Authorization: Bearers3cret\r\n"), 401, false, "s3cret");
        row("two authorizations", get(bearer + bearer), 400, false, "s3cret");
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
        addRow("port alone", "8080", "127.0.0.1", 8080, true);
        addRow("loopback", "127.0.0.1:80", "127.0.0.1", 80, true);
        addRow("localhost", "localhost:8080", "localhost", 8080, true);
        addRow("any", "0.0.0.0:8080", "0.0.0.0", 8080, false);
        addRow("lan", "192.168.1.20:8080", "192.168.1.20", 8080, false);
        addRow("not loopback 127.example", "127.example.com:1", "127.example.com", 1, false);
        addRow("ipv6 loopback", "[::1]:8080", "::1", 8080, true);
        addRow("ipv6 any", "[::]:8080", "::", 8080, false);
        addRow("ipv6 without brackets", "::1:8080", "", 0, false);
        addRow("port 0", "127.0.0.1:0", "", 0, false);
        addRow("port too big", "127.0.0.1:65536", "", 0, false);
        addRow("no port", "127.0.0.1:", "", 0, false);
        addRow("no host", ":8080", "", 0, false);
        addRow("words", "web", "", 0, false);
        addRow("plus", "+80", "", 0, false);
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
        rig.session(0).state().session.dataFileOpen = true;
        rig.session(0).state().session.dataFileName = file;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        const QJsonArray testers = QJsonDocument::fromJson(view.answer(requestFor("/api/testers")).body).array();
        QCOMPARE(testers.size(), 2);
        for (int row = 0; row < 2; ++row) {
            const QJsonObject o = testers[row].toObject();
            const TesterState &s = rig.session(row).state();
            const RunGlance &glance = rig.session(row).glance();
            QCOMPARE(o["serial"].toString(), s.identity.serialNumber);
            QCOMPARE(o["port"].toInt(), row == 0 ? 2 : 5);
            QCOMPARE(o["device"].toString(), glance.device());
            QCOMPARE(o["link"].toString(), QString("connected"));
            QCOMPARE(o["run"].toString(), glance.runText(s));
            QCOMPARE(o["cycles"].toInt(), s.counters.cycleCount);
            QCOMPARE(o["cycleLimit"].toInt(), s.reported.cycleLimit);
            QCOMPARE(o["failures"].toInt(), s.counters.failCount);
            QCOMPARE(o["sequentialFailures"].toInt(), s.counters.seqCount);
            QCOMPARE(
                o["lastSample"].toString(),
                s.counters.updateTime.toOffsetFromUtc(s.counters.updateTime.offsetFromUtc()).toString(Qt::ISODate));
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
        QVERIFY(o["downContact"].toArray().contains(QJsonValue()));   // open: null, flagged
        QCOMPARE(o["downContact"].toArray().size(), o["downOpen"].toArray().size());
        for (int i = 0; i < cycles.size(); ++i)
            QCOMPARE(o["downOpen"].toArray()[i].toBool(), o["downContact"].toArray()[i].isNull());
        QCOMPARE(o["downContact"].toArray().first().toDouble(), 3.5);
        QCOMPARE(o["mode"].toString(), QString("resistance"));
        QCOMPARE(o["contactUnit"].toString(), QString("ohm"));

        // Rounded as the data log rounds the mode's readings, float noise gone.
        const struct
        {
            int mode;
            float value;
            double shown;
        } readings[] = {{0, 3.925417184829712f, 3.9}, {1, 12.34567f, 12.346}, {2, 4.0004f, 4.0}};
        for (const auto &reading : readings) {
            TrendHistory one;
            TrendReading r;
            r.limits.mode = reading.mode;
            r.limits.contactCode = 16 | 32;
            r.contact[TrendUp] = reading.value;
            one.append(r);
            const QJsonObject single = QJsonDocument::fromJson(trendJson(one, 600)).object();
            QCOMPARE(single["upContact"].toArray().first().toDouble(), reading.shown);
            QCOMPARE(single["upOpen"].toArray().first().toBool(), false);
        }
    }

    // The archive's endpoints, answered without a server.
    void runsFromTheArchive()
    {
        ArchivedRun archived(RunStream::PageSamples * 2 + 5);
        QVERIFY2(archived.written.isEmpty(), qPrintable(archived.written));
        StationRig rig;
        WebView view([&] { return sessionsOf(rig); }, "<html>");
        QCOMPARE(view.answer(requestFor("/api/runs")).status, 404);   // no archive yet
        view.setArchive(archived.reader(), [](RunCatalog &catalog, qint64 id, QString &failure) {
            return runReportPdf(catalog, id, failure, nullptr);
        });

        const QJsonArray runs = QJsonDocument::fromJson(view.answer(requestFor("/api/runs")).body).array();
        QCOMPARE(runs.size(), 2);   // newest first
        QCOMPARE(runs[0].toObject()["samples"].toInt(), 0);
        const QJsonObject run = runs[1].toObject();
        QCOMPARE(run["id"].toInt(), 1);
        QCOMPARE(run["serial"].toString(), QString("41800077"));
        QCOMPARE(run["samples"].toInt(), RunStream::PageSamples * 2 + 5);
        QCOMPARE(run["cycles"].toInt(), (RunStream::PageSamples * 2 + 5) * 7);
        QCOMPARE(run["start"].toString().left(19), QString("2024-03-08T14:02:12"));   // its first sample
        QCOMPARE(run["part"].toString(), QString("SW-100 rocker"));
        QCOMPARE(run["operator"].toString(), QString("A. Meyer"));
        QCOMPARE(run["notes"].toString(), QString("batch 7\n\"second\" line"));
        for (const char *given : {"part", "operator", "notes"})
            QVERIFY(runs[0].toObject()[given].isNull());   // none given

        // Filtered and paged: the page asked for, the count of all.
        const struct
        {
            QByteArray query;
            QList<int> ids;
            int total;
        } pages[] = {
            {"limit=1", {2}, 2},
            {"limit=1&offset=1", {1}, 2},
            {"offset=2", {}, 2},
            {"serial=41800077", {2, 1}, 2},
            {"serial=4180007", {}, 0},   // the whole serial number, not a part of it
            {"host=STATION", {2, 1}, 2},
            {"host=other", {}, 0},
            {"since=2024-03-08T15:00:00", {2, 1}, 2},   // run 1's samples reach past 15:00
            {"since=2024-03-08T16:00:00", {}, 0},
            {"until=2024-03-08T14:02:12", {1}, 1},   // run 1 starts with its first sample
            {"until=2024-03-07", {}, 0},
        };
        for (const auto &page : pages) {
            const WebView::Reply reply = view.answer(requestFor("/api/runs?" + page.query));
            QCOMPARE(reply.status, 200);
            QList<int> ids;
            for (const QJsonValue &listed : QJsonDocument::fromJson(reply.body).array())
                ids << listed.toObject()["id"].toInt();
            QVERIFY2(ids == page.ids, page.query.constData());
            QVERIFY(reply.headers.contains(qMakePair(QByteArray("X-Total-Count"), QByteArray::number(page.total))));
        }
        const WebView::Reply refused = view.answer(requestFor("/api/runs?limit=5000&color=red"));
        QCOMPARE(refused.status, 400);
        QCOMPARE(refused.contentType, QByteArray("application/json"));
        QCOMPARE(QJsonDocument::fromJson(refused.body).object()["error"].toString(),
                 QString("unknown parameter color; malformed value of limit (1 to 1000) (serial, host, since, until, "
                         "limit, offset)"));

        const QJsonObject run1 =
            QJsonDocument::fromJson(bodyOf(view.answer(requestFor("/api/runs/1/samples")))).object();
        QCOMPARE(run1["mode"].toString(), QString("resistance"));
        QCOMPARE(run1["contactUnit"].toString(), QString("ohm"));
        const QJsonArray samples = run1["samples"].toArray();
        QCOMPARE(samples.size(), RunStream::PageSamples * 2 + 5);
        for (int i = 0; i < samples.size(); ++i) {
            QCOMPARE(samples[i].toObject()["cycles"].toInt(), (i + 1) * 7);
            QVERIFY(!samples[i].toObject().contains("mode"));   // given once
        }
        // Count 5 of 1023 over 1000 ohms is 4.9 ohms, 1002 is 47714.3 ohms, 1023 open.
        const QJsonObject second = samples[1].toObject(), fifth = samples[4].toObject();
        QCOMPARE(second["downContact"].toDouble(), 4.9);
        QCOMPARE(second["upContact"].toDouble(), 47714.3);
        QCOMPARE(second["upOpen"].toBool(), false);
        QVERIFY(fifth["upContact"].isNull());
        QCOMPARE(fifth["upOpen"].toBool(), true);
        QCOMPARE(second["downTime"].toDouble(), 0.042);
        QCOMPARE(second["upBounce"].toDouble(), 0.00068);

        const QList<QByteArray> lines = bodyOf(view.answer(requestFor("/api/runs/1/datalog"))).split('\n');
        QCOMPARE(lines.size(), RunStream::PageSamples * 2 + 5 + 2);
        QCOMPARE(lines[0], QByteArray(DataLogHeader) + '\r');
        for (int i = 0; i < 3; ++i)
            QCOMPARE(lines[i + 1], archived.lines[i].toLatin1() + '\r');
        QCOMPARE(lines[lines.size() - 2], archived.lines.last().toLatin1() + '\r');

        QCOMPARE(view.answer(requestFor("/api/runs/3/samples")).status, 404);
        QCOMPARE(view.answer(requestFor("/api/runs/3/datalog")).status, 404);
        QCOMPARE(bodyOf(view.answer(requestFor("/api/runs/2/samples"))),
                 QByteArray("{\"contactUnit\":null,\"mode\":null,\"samples\":[\n]}\n"));
        const WebView::Reply pdf = view.answer(requestFor("/api/runs/1/report.pdf"));
        QCOMPARE(pdf.contentType, QByteArray("application/pdf"));
        QVERIFY(pdf.body.startsWith("%PDF-"));
        // The run's whole test report, not only its last sample's page: its
        // five pages counted in the PDF itself, which needs no reader on any
        // platform.
        QCOMPARE(QString::fromLatin1(pdf.body).count(QRegularExpression("/Type\\s*/Page\\b(?!s)")), 5);
        const WebView::Reply noSample = view.answer(requestFor("/api/runs/2/report.pdf"));
        QCOMPARE(noSample.status, 404);
        QVERIFY2(noSample.body.contains("no sample"), noSample.body);
        QCOMPARE(view.answer(requestFor("/api/runs/3/report.pdf")).status, 404);
    }

    // The server on loopback: what it answers, and a run streamed whole.
    void serverAnswers()
    {
        Served served("<html>page</html>");
        served.rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        QVERIFY(served.rig.allFound(1));
        ArchivedRun archived(RunStream::PageSamples + 10);
        served.view.setArchive(archived.reader());
        QVERIFY(served.listen());

        HttpAnswer a = served.exchange(getRequest("/api/testers"));
        QCOMPARE(a.status, 200);
        QCOMPARE(a.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(QJsonDocument::fromJson(a.body).array()[0].toObject()["serial"].toString(), QString("41800001"));

        a = served.exchange(getRequest("/", QByteArray(), "HEAD"), true);
        QCOMPARE(a.status, 200);
        QCOMPARE(a.header("Content-Length"), QByteArray("17"));
        QCOMPARE(a.body, QByteArray());

        // Every sample, and the connection closed after it.
        a = served.exchange(getRequest("/api/runs/1/samples"));
        QCOMPARE(a.status, 200);
        QVERIFY(a.closed);
        QCOMPARE(QJsonDocument::fromJson(a.body).object()["samples"].toArray().size(), RunStream::PageSamples + 10);
    }

    // What the server answers to requests it refuses, and that it answers
    // the next request; 0: any 4xx; -1: a 4xx or none, the connection closed.
    void serverGoesOnAfterRefusing_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<int>("status");
        const QByteArray bearer = "Authorization: Bearer s3cret\r\n";
        for (const char *method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"})
            addRow(method, getRequest("/api/testers", "Content-Length: 2\r\n", method) + "{}", QByteArray(), 405);
        addRow("id not a number", getRequest("/api/runs/x1/samples"), QByteArray(), 400);
        addRow("unknown path", getRequest("/nothing"), QByteArray(), 404);
        addRow("target too long", getRequest("/" + QByteArray(MostTargetBytes + 1, 'a')), QByteArray(), 0);
        addRow("target of 200 kB", getRequest("/" + QByteArray(200 * 1024, 'a')), QByteArray(), 0);
        for (const int size : {int(MostHeaderBytes), 70 * 1024, 300 * 1024})
            addRow(qPrintable(QStringLiteral("header of %1 bytes").arg(size)),
                   getRequest("/", "X-Long: " + QByteArray(size, 'b') + "\r\n"), QByteArray(), 0);
        addRow("not HTTP at all", QByteArray("NOT HTTP AT ALL\r\n\r\n"), QByteArray(), -1);
        addRow("no token", getRequest("/api/testers"), QByteArray("s3cret"), 401);
        addRow("wrong token", getRequest("/", "Authorization: Bearer nope\r\n"), QByteArray("s3cret"), 401);
        addRow("post without token", getRequest("/", "Content-Length: 2\r\n", "POST") + "{}", QByteArray("s3cret"),
               401);
        addRow("token right", getRequest("/api/testers", bearer), QByteArray("s3cret"), 200);
    }
    void serverGoesOnAfterRefusing()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, token);
        QFETCH(int, status);
        Served served;
        served.view.setToken(token);
        QVERIFY(served.listen());
        const HttpAnswer a = served.exchange(request);
        if (status <= 0)
            QVERIFY2((status < 0 && a.status == 0) || (a.status >= 400 && a.status < 500), a.head);
        else
            QCOMPARE(a.status, status);
        if (status == 405)
            QCOMPARE(a.header("Allow"), QByteArray("GET, HEAD"));
        if (status == 401)
            QVERIFY(a.header("WWW-Authenticate").startsWith("Bearer"));
        const QByteArray authorization = token.isEmpty() ? QByteArray() : "Authorization: Bearer " + token + "\r\n";
        QCOMPARE(served.exchange(getRequest("/", authorization)).status, 200);
    }

    // A request refused on its head while its client streams a body at it:
    // the answer comes and the server closes the connection at once, holding
    // nothing of the body (the client is stopped at 64 MB or 10 s).
    void refusedWhileTheBodyStreams_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<int>("status");
        addRow("no token", getRequest("/api/testers", "Content-Length: 2000000000\r\n"), QByteArray("s3cret"), 401);
        addRow("post", getRequest("/api/testers", "Content-Length: 2000000000\r\n", "POST"), QByteArray(), 405);
        addRow("get with a body", getRequest("/api/testers", "Transfer-Encoding: chunked\r\n"), QByteArray(), 413);
    }
    void refusedWhileTheBodyStreams()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, token);
        QFETCH(int, status);
        Served served;
        served.view.setToken(token);
        QVERIFY(served.listen());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, served.server.port());
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
        QCOMPARE(served.server.connectionCount(), 0);
    }

    // Whether the connection stays open after an answer; one kept open
    // answers two requests sent at once, in turn.
    void connectionKeptOrClosed_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("closes");
        addRow("HTTP/1.1", getRequest("/"), false);
        addRow("HEAD", getRequest("/", QByteArray(), "HEAD"), false);
        addRow("Connection: close", getRequest("/", "Connection: close\r\n"), true);
        addRow("HTTP/1.0", QByteArray("GET / HTTP/1.0\r\n\r\n"), true);
        addRow("HTTP/1.0 keep-alive", QByteArray("GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"), false);
        addRow("refused", getRequest("/nothing"), true);
    }
    void connectionKeptOrClosed()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, closes);
        Served served;
        QVERIFY(served.listen());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, served.server.port());
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
        Served served;
        HttpLimits limits;
        limits.requestMs = 300;
        limits.idleMs = 900;
        QVERIFY(served.listen(limits));
        QTcpSocket silent, slow, idle;
        QElapsedTimer timer;
        timer.start();
        for (QTcpSocket *socket : {&silent, &slow, &idle})
            socket->connectToHost(QHostAddress::LocalHost, served.server.port());
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
        QCOMPARE(served.server.connectionCount(), 0);
    }

    // More connections than the server takes, idle or slow to send their
    // request: it keeps no more than its limit open, and a client with the
    // token is still answered.
    void connectionLimit()
    {
        Served served;
        served.view.setToken("s3cret");
        HttpLimits limits;
        limits.mostConnections = 8;
        QVERIFY(served.listen(limits));
        WebServer &server = served.server;
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
        Served served("<html>" + QByteArray(16 * 1024 * 1024, 'p'));
        HttpLimits limits;
        limits.mostConnections = 2;
        QVERIFY(served.listen(limits));
        WebServer &server = served.server;
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
        Served served;
        WebServer &first = served.server, second(served.view);
        QCOMPARE(first.listen({QStringLiteral("127.0.0.1"), 0}), QString());
        QVERIFY(!second.listen({QStringLiteral("127.0.0.1"), first.port()}).isEmpty());
        QVERIFY(second.listen({QStringLiteral("lab-pc"), 8080}).contains("not an IP address"));
    }
};

QTEST_MAIN(WebViewTest)
#include "WebViewTest.moc"

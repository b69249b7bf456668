// The web view: which requests are answered and how, each endpoint's JSON, and the server on loopback.

#include "station/StationRig.h"
#include "support/ReplyBody.h"
#include "support/TestKit.h"

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

#include <QtNetwork>

namespace {

// An SQLite archive of one run with `samples` samples, written through the real run rules.
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
            s.counters.errorCode = int16_t(i % 4);   // each count its own value, so none reads another's
            s.counters.seqCount = (i + 2) % 3;
            s.counters.lastDownResistance = 3 + i % 5;
            s.counters.lastUpResistance = i % 5 ? 1002 : 1023;   // full scale: open
            s.counters.lastDownStrokeTime = 40 + i % 3;
            s.counters.lastUpBounceTime = 425;
            s.reported.rangeMode = i < samples ? 0 : 1;   // the last sample measures current
            recorder.sampleTaken();
            if (i == 1 || i == samples)
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
    QStringList lines;   // the first sample and the last
};

// A request's head: its first line, the Host header and more headers.
QByteArray headOf(const QByteArray &line, const QByteArray &headers = {})
{
    return line + "\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}
QByteArray getRequest(const QByteArray &target, const QByteArray &headers = {}, const QByteArray &method = "GET")
{
    return headOf(method + ' ' + target + " HTTP/1.1", headers);
}
const QByteArray Bearer = "Authorization: Bearer s3cret\r\n";

// decide's row: status, route, id and whether the connection stays open; securedRow's with the token "s3cret".
void headRow(const char *name, const QByteArray &head, int status, WebRoute route = WebRoute::Refused, qint64 id = 0,
             bool keeps = true)
{
    addRow(name, head, QByteArray(), status, int(route), id, keeps);
}
void securedRow(const char *name, const QByteArray &head, int status, WebRoute route = WebRoute::Refused)
{
    addRow(name, head, QByteArray("s3cret"), status, int(route), qint64(0), true);
}

// An answer read with the event loop running (the server is this process's), at most 20 s; HEAD's has no body.
struct HttpAnswer
{
    int status = 0;
    QByteArray head, body;
    bool closed = false;   // the server closed the connection

    QByteArray header(const QByteArray &name) const
    {
        for (const QByteArray &line : head.split('\n'))
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        return QByteArray();
    }
};

HttpAnswer readAnswer(QTcpSocket &socket, bool headOnly = false)
{
    QByteArray got;
    HttpAnswer a;
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired();) {
        QTest::qWait(2);
        got += socket.readAll();
        a.closed = socket.state() == QAbstractSocket::UnconnectedState;
        const int end = got.indexOf("\r\n\r\n");
        a.head = got.left(end < 0 ? got.size() : end);
        a.body = end < 0 ? QByteArray() : got.mid(end + 4);
        const QByteArray length = a.header("Content-Length");
        if (a.closed || (end >= 0 && (headOnly || (!length.isEmpty() && a.body.size() >= length.toInt()))))
            break;
    }
    a.status = got.startsWith("HTTP/1.") ? got.mid(9, 3).toInt() : 0;
    return a;
}

// Whether the server closes the connection within ms, the event loop running.
bool closedWithin(QTcpSocket &socket, int ms)
{
    for (QDeadlineTimer deadline(ms); !deadline.hasExpired() && socket.state() != QAbstractSocket::UnconnectedState;) {
        QTest::qWait(5);
        socket.readAll();
    }
    return socket.state() == QAbstractSocket::UnconnectedState;
}

WebRequest requestFor(const QByteArray &target)
{
    return {"GET", target, {{"Host", "127.0.0.1"}}};
}

// A JSON value on one line, " shown as ' and times without their offset (the machine's own).
QString compact(const QJsonValue &value)
{
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2))
        .remove(QRegularExpression("(?<=:\\d\\d)(Z|[+-]\\d\\d:\\d\\d)(?=\")"))
        .replace(u'"', u'\'');
}

// A reply on one line: status, content type, headers and body, " shown as '.
QString summary(const WebView::Reply &reply)
{
    QByteArray text = QByteArray::number(reply.status) + ' ' + reply.contentType;
    for (const auto &[name, value] : reply.headers)
        text += ' ' + name + ": " + value;
    return QString::fromUtf8(text + ' ' + bodyOf(reply)).replace(u'"', u'\'');
}

std::vector<const TesterSession *> sessionsOf(StationRig &rig)
{
    std::vector<const TesterSession *> sessions;
    for (int i = 0; i < rig.station.count(); ++i)
        sessions.push_back(&rig.session(i));
    return sessions;
}

// A station's web view served on loopback.
struct Served
{
    explicit Served(const QByteArray &page = "<html>") : view([this] { return sessionsOf(rig); }, page) {}
    bool listen(const HttpLimits &limits = {}, const QByteArray &token = {})
    {
        view.setToken(token);
        server.setLimits(limits);
        return server.listen({QStringLiteral("127.0.0.1"), 0}).isEmpty();
    }
    void open(QTcpSocket &client, const QByteArray &raw = {})
    {
        client.connectToHost(QHostAddress::LocalHost, server.port());
        client.write(raw);
    }
    HttpAnswer exchange(const QByteArray &raw)
    {
        QTcpSocket client;
        open(client, raw);
        return readAnswer(client);
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
    // What is decided on a request's head: its route and id, or its refusal.
    void decide_data()
    {
        addColumns<QByteArray, QByteArray, int, int, qint64, bool>("head", "token", "status", "route", "id", "keeps");
        QByteArray most;
        for (int i = 1; i < MostHeaders; ++i)
            most += "X-" + QByteArray::number(i) + ": 1\r\n";
        headRow("page, kept open", getRequest("/"), 200, WebRoute::Page);
        headRow("testers, query ignored", getRequest("/api/testers?x=1"), 200, WebRoute::Testers);
        headRow("head", getRequest("/api/runs", {}, "HEAD"), 200, WebRoute::Runs);
        headRow("samples", getRequest("/api/runs/12/samples"), 200, WebRoute::RunSamples, 12);
        headRow("datalog", getRequest("/api/runs/900000000000/datalog"), 200, WebRoute::RunDatalog, 900000000000);
        headRow("report", getRequest("/api/runs/3/report.pdf"), 200, WebRoute::RunReport, 3);
        headRow("trend of tester 0", getRequest("/api/testers/0/trend"), 200, WebRoute::TesterTrend);
        headRow("runs filtered", getRequest("/api/runs?serial=41800077&limit=5&offset=5"), 200, WebRoute::Runs);
        headRow("runs, unknown parameter", getRequest("/api/runs?colour=red"), 400);
        headRow("post", getRequest("/api/testers", {}, "POST"), 405);
        headRow("lower-case get", headOf("get / HTTP/1.1"), 405);
        headRow("unknown path", getRequest("/etc/passwd"), 404);
        headRow("run without what", getRequest("/api/runs/1"), 404);
        headRow("unknown item", getRequest("/api/runs/1/config"), 404);
        headRow("id not a number", getRequest("/api/runs/abc/samples"), 400);
        headRow("id 0", getRequest("/api/runs/0/datalog"), 400);
        headRow("id too big", getRequest("/api/runs/9999999999999999999/samples"), 400);
        headRow("id with sign", getRequest("/api/runs/+5/samples"), 400);
        headRow("target too long", getRequest("/" + QByteArray(MostTargetBytes, 'a')), 414);
        headRow("header too long", getRequest("/", "X-Long: " + QByteArray(MostHeaderBytes, 'b') + "\r\n"), 431);
        headRow("as many headers as allowed", getRequest("/", most), 200, WebRoute::Page);
        headRow("a header too many", getRequest("/", most + "X-0: 1\r\n"), 431);
        // Off the wire: where a head ends, how it reads, whether the connection stays open after its answer.
        headRow("bare line feeds", "GET / HTTP/1.1\nHost: h\n\n", 200, WebRoute::Page);
        headRow("empty lines before", "\r\n\r\n" + getRequest("/"), 200, WebRoute::Page);
        headRow("close among options", getRequest("/", "connection: Keep-Alive, CLOSE\r\n"), 200, WebRoute::Page, 0,
                false);
        headRow("HTTP/1.0 without Host", "GET / HTTP/1.0\r\n\r\n", 200, WebRoute::Page, 0, false);
        headRow("HTTP/1.0 keep-alive", "GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", 200, WebRoute::Page);
        headRow("HTTP/1.2 read as 1.1: Host needed", "GET / HTTP/1.2\r\n\r\n", 400);
        headRow("HTTP/2.0", headOf("GET / HTTP/2.0"), 400);
        headRow("no version", headOf("GET /"), 400);
        headRow("empty target", headOf("GET  HTTP/1.1"), 400);
        headRow("separator in the method", headOf("G(T / HTTP/1.1"), 400);
        headRow("two spaces", headOf("GET  / HTTP/1.1"), 400);
        headRow("folded header", getRequest("/", "X-A: b\r\n c\r\n"), 400);
        headRow("space before colon", "GET / HTTP/1.1\r\nHost : h\r\n\r\n", 400);
        headRow("control character in a name", getRequest("/", "X\x7f: b\r\n"), 400);
        headRow("body announced", getRequest("/", "Content-Length: 5\r\n"), 413);
        headRow("length 0", getRequest("/", "Content-Length: 00\r\n"), 200, WebRoute::Page);
        headRow("length empty", getRequest("/", "Content-Length:\r\n"), 413);
        headRow("chunked body", headOf("HEAD / HTTP/1.1", "Transfer-Encoding: chunked\r\n"), 413);
        securedRow("token missing", getRequest("/"), 401);
        securedRow("token wrong", getRequest("/", "Authorization: Bearer s3creT\r\n"), 401);
        securedRow("token longer", getRequest("/", "Authorization: Bearer s3cret1\r\n"), 401);
        securedRow("token a prefix of the real one", getRequest("/", "Authorization: Bearer s3cre\r\n"), 401);
        securedRow("basic, not bearer", getRequest("/", "Authorization: Basic s3cret\r\n"), 401);
        securedRow("token right", getRequest("/api/testers", Bearer), 200, WebRoute::Testers);
        securedRow("scheme in lower case", getRequest("/", "authorization: bearer s3cret\r\n"), 200, WebRoute::Page);
        securedRow("scheme in upper case", getRequest("/", "Authorization: BEARER  s3cret\r\n"), 200, WebRoute::Page);
        securedRow("two authorizations", getRequest("/", Bearer + Bearer), 400);
        securedRow("post, no token", headOf("POST / HTTP/1.1", "Content-Length: 2\r\n"), 401);
        securedRow("post with token", headOf("POST / HTTP/1.1", Bearer + "Content-Length: 2\r\n"), 405);
        securedRow("body with token", getRequest("/", Bearer + "Content-Length: 2\r\n"), 413);
    }
    void decide()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, token);
        QFETCH(int, status);
        QCOMPARE(headEndOf(head + "GET / HTTP/1.1\r\n"), head.size());
        QCOMPARE(headEndOf(head.chopped(1)), -1);
        WebRequest request;
        const int malformed = parseHead(head, request);
        const WebDecision d = decideRequest(request, token);
        QCOMPARE(malformed ? malformed : d.status, status);
        if (malformed)
            return;
        QTEST(int(d.route), "route");
        QTEST(d.id, "id");
        if (status == 200) {
            QCOMPARE(d.headOnly, request.method == "HEAD");
            QTEST(keepsConnection(request), "keeps");
        }
        if (status == 405)
            QCOMPARE(d.headers.value(0), qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        if (status == 401)
            QCOMPARE(d.headers.value(0).first, QByteArray("WWW-Authenticate"));
    }

    // The query of /api/runs: each parameter read or named as wrong.
    void runsQuery_data()
    {
        // read: serial|host|since|until|limit|offset, or the problem's start
        addColumns<QByteArray, QString>("query", "read");
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
        row("offset with sign", "offset=+1", "malformed value of offset");
        row("offset huge", "offset=99999999999999", "malformed value of offset");
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

    // Read: host, port and whether it is loopback (another address needs a token); empty when refused.
    void address_data()
    {
        addColumns<QString, QString>("text", "read");
        addRow("port alone", "8080", "127.0.0.1 8080 loopback");
        addRow("loopback", "127.0.0.1:80", "127.0.0.1 80 loopback");
        addRow("localhost", "localhost:8080", "localhost 8080 loopback");
        addRow("any", "0.0.0.0:8080", "0.0.0.0 8080");
        addRow("not loopback 127.example", "127.example.com:1", "127.example.com 1");
        addRow("ipv6 loopback", "[::1]:8080", "::1 8080 loopback");
        addRow("ipv6 any", "[::]:8080", ":: 8080");
        addRow("ipv6 without brackets", "::1:8080", "");
        addRow("port 0", "127.0.0.1:0", "");
        addRow("port too big", "127.0.0.1:65536", "");
        addRow("no host", ":8080", "");
        addRow("words", "web", "");
        addRow("plus", "+80", "");
    }
    void address()
    {
        QFETCH(QString, text);
        WebAddress a;
        const bool read = parseWebAddress(text, a).isEmpty();
        QTEST(read ? QStringLiteral("%1 %2%3").arg(a.host).arg(a.port).arg(a.loopback() ? " loopback" : "") : "",
              "read");
        if (!read)
            return;
        QCOMPARE(webAccessProblem(a, QString()).isEmpty(), a.loopback());
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
        // Each tester's fields as its engine has them; a stopped one has no rate, time to the limit or data file.
        const auto fields = [](const QJsonObject &o) {
            QStringList values;
            for (const char *key : {"serial", "port", "device", "link", "run", "cycles", "cycleLimit", "failures",
                                    "sequentialFailures", "lastSample", "ratePerHour", "dataFile"})
                values << (o[key].isNull() ? QStringLiteral("null") : o[key].toVariant().toString());
            return values;
        };
        for (int row = 0; row < 2; ++row) {
            const TesterState &s = rig.session(row).state();
            const RunGlance &glance = rig.session(row).glance();
            const QDateTime &last = s.counters.updateTime;
            const bool running = row == 0;
            const QString rate = running ? QString::number(std::round(glance.progress().cyclesPerHour())) : "null";
            QCOMPARE(fields(testers[row].toObject()),
                     (QStringList{s.identity.serialNumber, running ? "2" : "5", glance.device(), "connected",
                                  glance.runText(s), QString::number(s.counters.cycleCount),
                                  QString::number(s.reported.cycleLimit), QString::number(s.counters.failCount),
                                  QString::number(s.counters.seqCount),
                                  last.toOffsetFromUtc(last.offsetFromUtc()).toString(Qt::ISODate), rate,
                                  running ? "one.txt" : "null"}));
        }
        QVERIFY(testers[0]["ratePerHour"].toDouble() > 0);
        QVERIFY(testers[0]["secondsToLimit"].toDouble() > 0);
        QVERIFY(testers[1]["secondsToLimit"].isNull());

        QCOMPARE(bodyOf(view.answer(requestFor("/api/testers/0/trend"))),
                 trendJson(rig.session(0).trendHistory(), WebView::TrendPoints));
        QCOMPARE(summary(view.answer(requestFor("/api/testers/2/trend"))),
                 "404 text/plain; charset=utf-8 Cache-Control: no-store No tester 2.\n");
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
        QCOMPARE(compact(QJsonArray{o["samples"], o["downContact"][0]}), "[2500,3.5]");

        // Each mode's name and unit; readings rounded as the data log rounds them, float noise gone.
        for (const auto &[mode, value, shown] :
             {std::tuple(0, 3.925417184829712f, "['resistance','ohm',[3.9],[false]]"),
              std::tuple(1, 12.34567f, "['current','mA',[12.346],[false]]"),
              std::tuple(2, 4.0004f, "['voltage','V',[4],[false]]"),
              std::tuple(3, 4.0f, "[null,null,[null],[false]]")}) {   // an unknown mode: no number
            TrendHistory one;
            TrendReading r;
            r.limits.mode = mode;
            r.limits.contactCode = 16 | 32;
            r.contact[TrendUp] = value;
            one.append(r);
            const QJsonObject single = QJsonDocument::fromJson(trendJson(one, 600)).object();
            QCOMPARE(compact(QJsonArray{single["mode"], single["contactUnit"], single["upContact"], single["upOpen"]}),
                     shown);
        }
    }

    // The archive's runs, newest first, paged as asked, the count of all in a header.
    void runsListed()
    {
        ArchivedRun archived(3);
        QVERIFY2(archived.written.isEmpty(), qPrintable(archived.written));
        Served served;
        WebView &view = served.view;
        QCOMPARE(summary(view.answer(requestFor("/api/runs"))),
                 "404 text/plain; charset=utf-8 Cache-Control: no-store This program keeps no run archive.\n");
        view.setArchive(archived.reader());
        QCOMPARE(
            compact(QJsonDocument::fromJson(view.answer(requestFor("/api/runs")).body).array()),
            "[{'cycles':0,'end':null,'ended':null,'failures':0,'host':'station','id':2,'notes':null,'operator':null,"
            "'part':null,'samples':0,'serial':'41800077','start':'2024-03-08T14:02:24'},"
            "{'cycles':21,'end':'2024-03-08T14:02:14','ended':'stopped at the tester','failures':0,'host':'station',"
            "'id':1,'notes':'batch 7\\n\\'second\\' line','operator':'A. Meyer','part':'SW-100 rocker','samples':3,"
            "'serial':'41800077','start':'2024-03-08T14:02:12'}]");
        // The store's own filters are tried with the store; here, that the query reaches it.
        const auto page = [&view](const QByteArray &query) {
            WebView::Reply reply = view.answer(requestFor("/api/runs?" + query));
            QStringList ids;
            for (const QJsonValue &listed : QJsonDocument::fromJson(reply.body).array())
                ids << QString::number(listed["id"].toInt());
            reply.body.clear();
            return summary(reply) + ids.join(u',');
        };
        QCOMPARE(page("limit=1&offset=1"), "200 application/json X-Total-Count: 2 Cache-Control: no-store 1");
        QCOMPARE(page("serial=4180007"), "200 application/json X-Total-Count: 0 Cache-Control: no-store ");
        QCOMPARE(
            summary(view.answer(requestFor("/api/runs?limit=5000&color=red"))),
            "400 application/json Cache-Control: no-store {'error':'unknown parameter color; malformed value of limit "
            "(1 to 1000) (serial, host, since, until, limit, offset)'}\n");
    }

    // A run's samples, data log and report over pages of the archive; the server streams them whole, then closes.
    void runRead()
    {
        ArchivedRun archived(RunStream::PageSamples * 2 + 5);
        QVERIFY2(archived.written.isEmpty(), qPrintable(archived.written));
        Served served;
        WebView &view = served.view;
        view.setArchive(archived.reader(), [](RunCatalog &catalog, qint64 id, QString &failure) {
            return runReportPdf(catalog, id, failure, nullptr);
        });
        const QByteArray body = bodyOf(view.answer(requestFor("/api/runs/1/samples")));
        QVERIFY(served.listen());
        const HttpAnswer streamed = served.exchange(getRequest("/api/runs/1/samples"));
        QCOMPARE(streamed.status, 200);
        QVERIFY(streamed.closed);
        QCOMPARE(streamed.body, body);
        QJsonObject run1 = QJsonDocument::fromJson(body).object();
        const QJsonArray samples = run1.take("samples").toArray();
        QCOMPARE(compact(run1), "{'contactUnit':'ohm','mode':'resistance'}");   // given once, not with each sample
        QCOMPARE(samples.size(), RunStream::PageSamples * 2 + 5);
        for (int i = 0; i < samples.size(); ++i)
            QCOMPARE(samples[i]["cycles"].toInt(), (i + 1) * 7);
        // Count 5 of 1023 over 1000 ohms is 4.9 ohms, 1002 is 47714.3 ohms, 1023 open.
        QCOMPARE(compact(samples[1]), "{'cycles':14,'downBounce':0,'downContact':4.9,'downOpen':false,'downTime':0.042,"
                                      "'errorCode':2,'failures':0,'sequentialFailures':1,'time':'2024-03-08T14:02:13',"
                                      "'upBounce':0.00068,'upContact':47714.3,'upOpen':false,'upTime':0}");
        QCOMPARE(compact(QJsonArray{samples[4]["upContact"], samples[4]["upOpen"]}), "[null,true]");
        // A sample in another mode than the run's first names its own.
        QCOMPARE(compact(QJsonArray{samples.last()["mode"], samples.last()["contactUnit"]}), "['current','mA']");

        const QList<QByteArray> lines = bodyOf(view.answer(requestFor("/api/runs/1/datalog"))).split('\n');
        QCOMPARE(lines.size(), RunStream::PageSamples * 2 + 5 + 2);
        QCOMPARE(lines[0], QByteArray(DataLogHeader) + '\r');
        QCOMPARE(lines[1], archived.lines.first().toLatin1() + '\r');
        QCOMPARE(lines[lines.size() - 2], archived.lines.last().toLatin1() + '\r');

        for (const QByteArray what : {"samples", "datalog", "report.pdf"})
            QCOMPARE(view.answer(requestFor("/api/runs/3/" + what)).status, 404);
        QCOMPARE(summary(view.answer(requestFor("/api/runs/2/samples"))),
                 "200 application/json Cache-Control: no-store {'contactUnit':null,'mode':null,'samples':[\n]}\n");
        const WebView::Reply pdf = view.answer(requestFor("/api/runs/1/report.pdf"));
        QCOMPARE(pdf.contentType, QByteArray("application/pdf"));
        QVERIFY(pdf.body.startsWith("%PDF-"));
        QCOMPARE(summary(view.answer(requestFor("/api/runs/2/report.pdf"))),
                 "404 text/plain; charset=utf-8 Cache-Control: no-store Run 2 has no sample to report.\n");
    }

    // One request to the server: its status (0: any 4xx; -1: a 4xx or none), a header it carries, whether the
    // connection closes. A kept one answers the request twice more, sent at once; after a close, a new one is answered.
    void serverAnswers_data()
    {
        addColumns<QByteArray, QByteArray, int, QByteArray, bool>("request", "token", "status", "header", "closes");
        const auto row = [](const char *name, const QByteArray &request, int status, const QByteArray &header,
                            bool closes,
                            const QByteArray &token = {}) { addRow(name, request, token, status, header, closes); };
        const QByteArray body = "Content-Length: 2\r\n", close = "Connection: close";
        row("HTTP/1.1", getRequest("/"), 200, "Content-Length: 6", false);
        row("HEAD", getRequest("/", QByteArray(), "HEAD"), 200, "Content-Length: 6", false);
        row("Connection: close", getRequest("/", "Connection: close\r\n"), 200, close, true);
        row("HTTP/1.0 keep-alive", "GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", 200, "Connection: keep-alive",
            false);
        row("POST", getRequest("/api/testers", body, "POST") + "{}", 405, "Allow: GET, HEAD", true);
        row("id not a number", getRequest("/api/runs/x1/samples"), 400, close, true);
        row("target of 200 kB", getRequest("/" + QByteArray(200 * 1024, 'a')), 0, close, true);
        row("header of 70 kB", getRequest("/", "X-Long: " + QByteArray(70 * 1024, 'b') + "\r\n"), 0, close, true);
        row("not HTTP at all", "NOT HTTP AT ALL\r\n\r\n", -1, QByteArray(), true);
        row("post without token", getRequest("/", body, "POST") + "{}", 401, "WWW-Authenticate: Bearer", true,
            "s3cret");
        row("token right", getRequest("/api/testers", Bearer), 200, "Content-Type: application/json", false, "s3cret");
    }
    void serverAnswers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, token);
        QFETCH(int, status);
        QFETCH(bool, closes);
        Served served;
        QVERIFY(served.listen({}, token));
        QTcpSocket client;
        served.open(client, request);
        const bool headOnly = request.startsWith("HEAD");
        const HttpAnswer a = readAnswer(client, headOnly);
        if (status <= 0)
            QVERIFY2((status < 0 && a.status == 0) || (a.status >= 400 && a.status < 500), a.head);
        else
            QCOMPARE(a.status, status);
        QFETCH(QByteArray, header);
        QVERIFY2(a.head.contains(header), a.head);
        if (a.status == 200 && request.contains(" / "))
            QCOMPARE(a.body, headOnly ? QByteArray() : QByteArray("<html>"));
        QCOMPARE(a.header("Connection"), QByteArray(a.status == 0                    ? ""
                                                    : closes                         ? "close"
                                                    : request.contains("keep-alive") ? "keep-alive"
                                                                                     : ""));
        QCOMPARE(closedWithin(client, closes ? 5000 : 500), closes);
        if (closes) {
            QCOMPARE(served.exchange(getRequest("/", token.isEmpty() ? QByteArray() : Bearer)).status, 200);
            return;
        }
        client.write(request + request);
        QByteArray got;
        QDeadlineTimer deadline(5000);
        while (got.count("HTTP/1.1 200 OK\r\n") < 2 && !deadline.hasExpired()) {
            QTest::qWait(2);
            got += client.readAll();
        }
        QCOMPARE(got.count("HTTP/1.1 200 OK\r\n"), 2);
    }

    // Refused on its head while the client streams a body (64 MB or 10 s): answered, closed at once, nothing held.
    void refusedWhileTheBodyStreams()
    {
        Served served;
        QVERIFY(served.listen({}, "s3cret"));
        QTcpSocket client;
        served.open(client, getRequest("/api/testers", "Content-Length: 2000000000\r\n"));
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
        QVERIFY2(got.startsWith("HTTP/1.1 401 "), got.left(80));
        QVERIFY2(timer.elapsed() < 5000, "the server did not close the connection");
        QCOMPARE(served.server.connectionCount(), 0);
    }

    // Clients that send nothing, send their head too slowly or idle after an answer: each closed at its deadline.
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
        served.open(silent);
        served.open(slow);
        served.open(idle, getRequest("/"));
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

    // More connections than the limit, idle or slow: the limit stay open, and one with the token is answered.
    void connectionLimit()
    {
        Served served;
        HttpLimits limits;
        limits.mostConnections = 8;
        QVERIFY(served.listen(limits, "s3cret"));
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
            served.open(*crowd.back(), i >= 30 ? "GET / HTTP/1.1\r\n" : "");
            QTest::qWait(2);
            QVERIFY(server.connectionCount() <= 8);
        }
        QDeadlineTimer deadline(5000);
        while (stillOpen() > 8 && !deadline.hasExpired())
            QTest::qWait(5);
        QCOMPARE(stillOpen(), 8);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(served.exchange(getRequest("/api/testers", Bearer)).status, 200);
        QVERIFY(timer.elapsed() < 15000);
        QVERIFY(server.connectionCount() <= 8);
    }

    // Every connection busy with clients that do not take a long page: a newcomer is refused at once.
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
            served.open(socket, getRequest("/"));
        }
        QTest::qWait(300);
        served.open(newcomer);
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

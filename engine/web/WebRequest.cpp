#include "engine/web/WebRequest.h"

#include <cstring>

namespace {

WebDecision refuse(int status, const QByteArray &reason)
{
    WebDecision d;
    d.status = status;
    d.reason = reason;
    return d;
}

// A positive decimal number of at most 18 digits: no sign, no spaces, no
// leading zeros to hide a bigger one.
bool parseId(const QByteArray &text, qint64 &id)
{
    if (text.isEmpty() || text.size() > 18 || text.front() == '0')
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    id = text.toLongLong();
    return true;
}

WebDecision routeOf(const QByteArray &path)
{
    WebDecision d;
    if (path == "/" || path == "/index.html") {
        d.route = WebRoute::Page;
        return d;
    }
    if (path == "/api/testers") {
        d.route = WebRoute::Testers;
        return d;
    }
    if (path == "/api/runs") {
        d.route = WebRoute::Runs;
        return d;
    }
    const QList<QByteArray> parts = path.split('/');   // "", "api", "runs", ID, what
    if (parts.size() != 5 || !parts[0].isEmpty() || parts[1] != "api")
        return refuse(404, "No such page.");
    struct Under
    {
        const char *collection, *item;
        WebRoute route;
        bool zeroAllowed;
    };
    static const Under Items[] = {
        {"testers", "trend", WebRoute::TesterTrend, true},
        {"runs", "samples", WebRoute::RunSamples, false},
        {"runs", "datalog", WebRoute::RunDatalog, false},
        {"runs", "report.pdf", WebRoute::RunReport, false},
    };
    for (const Under &under : Items) {
        if (parts[2] != under.collection || parts[4] != under.item)
            continue;
        const bool zero = under.zeroAllowed && parts[3] == "0";
        if (!zero && !parseId(parts[3], d.id))
            return refuse(400, "The id '" + parts[3].left(40) + "' is not a number.");
        d.route = under.route;
        return d;
    }
    return refuse(404, "No such page.");
}

}   // namespace

bool sameSecret(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size() || b.isEmpty())
        return false;
    unsigned char differ = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    return differ == 0;
}

WebDecision decideRequest(const WebRequest &request, const QByteArray &token)
{
    if (request.target.size() > MostTargetBytes)
        return refuse(414, "The request line is too long.");
    qsizetype headerBytes = 0;
    for (const auto &[name, value] : request.headers)
        headerBytes += name.size() + value.size() + 4;
    if (request.headers.size() > MostHeaders || headerBytes > MostHeaderBytes)
        return refuse(431, "The request's headers are too long.");

    bool hasHost = false;
    int authorizations = 0;
    QByteArray authorization;
    for (const auto &[name, value] : request.headers) {
        if (name.compare("host", Qt::CaseInsensitive) == 0)
            hasHost = true;
        else if (name.compare("authorization", Qt::CaseInsensitive) == 0) {
            ++authorizations;
            authorization = value;
        }
    }
    // Every HTTP/1.1 request names its host; HTTP/1.0 clients may not.
    if (!hasHost && request.version != "HTTP/1.0")
        return refuse(400, "The request has no Host header.");
    if (authorizations > 1)
        return refuse(400, "The request has more than one Authorization header.");
    if (!token.isEmpty()) {
        const qsizetype space = authorization.indexOf(' ');
        const bool allowed = space > 0 && authorization.left(space).compare("bearer", Qt::CaseInsensitive) == 0
                             && sameSecret(authorization.mid(space + 1).trimmed(), token);
        if (!allowed) {
            WebDecision d = refuse(401, "An access token is needed: Authorization: Bearer TOKEN.");
            d.headers.append(qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Bearer realm=\"lifecycle\"")));
            return d;
        }
    }
    if (request.method != "GET" && request.method != "HEAD") {
        WebDecision d = refuse(405, "The web view is read-only: only GET and HEAD are answered.");
        d.headers.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        return d;
    }
    if (announcesBody(request))
        return refuse(413, "A GET or HEAD request takes no body.");
    QByteArray path = request.target;
    if (const qsizetype query = path.indexOf('?'); query >= 0)
        path.truncate(query);
    WebDecision d = routeOf(path);
    d.headOnly = request.method == "HEAD";
    return d;
}

bool announcesBody(const WebRequest &request)
{
    for (const auto &[name, value] : request.headers) {
        if (name.compare("transfer-encoding", Qt::CaseInsensitive) == 0)
            return true;
        // Anything but a plain zero may announce a body; not knowing its
        // length is reason enough to refuse it.
        if (name.compare("content-length", Qt::CaseInsensitive) == 0
            && (value.isEmpty() || value.count('0') != value.size()))
            return true;
    }
    return false;
}

bool keepsConnection(const WebRequest &request)
{
    bool close = false, keepAlive = false;
    for (const auto &[name, value] : request.headers) {
        if (name.compare("connection", Qt::CaseInsensitive) != 0)
            continue;
        for (const QByteArray &option : value.split(',')) {
            close = close || option.trimmed().compare("close", Qt::CaseInsensitive) == 0;
            keepAlive = keepAlive || option.trimmed().compare("keep-alive", Qt::CaseInsensitive) == 0;
        }
    }
    return !close && (request.version != "HTTP/1.0" || keepAlive);
}

namespace {

qsizetype skipEmptyLines(const QByteArray &bytes)
{
    qsizetype at = 0;
    while (at < bytes.size() && (bytes[at] == '\r' || bytes[at] == '\n'))
        ++at;
    return at;
}

// A header name or a method: visible characters but for separators.
bool isToken(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (c <= ' ' || c >= 127 || std::strchr("()<>@,;:\\\"/[]?={}", c))
            return false;
    return true;
}

}   // namespace

qsizetype headEndOf(const QByteArray &bytes)
{
    for (qsizetype at = bytes.indexOf('\n', skipEmptyLines(bytes)); at >= 0; at = bytes.indexOf('\n', at + 1)) {
        if (at + 1 < bytes.size() && bytes[at + 1] == '\n')
            return at + 2;
        if (at + 2 < bytes.size() && bytes[at + 1] == '\r' && bytes[at + 2] == '\n')
            return at + 3;
    }
    return -1;
}

int parseHead(const QByteArray &head, WebRequest &request)
{
    QList<QByteArray> lines = head.mid(skipEmptyLines(head)).split('\n');
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return 400;
    const QList<QByteArray> parts = lines.first().split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || parts[1].isEmpty())
        return 400;
    // HTTP/1.x; a later minor version is answered as 1.1.
    const QByteArray &version = parts[2];
    if (version.size() != 8 || !version.startsWith("HTTP/1.") || version[7] < '0' || version[7] > '9')
        return 400;
    request.method = parts[0];
    request.target = parts[1];
    request.version = version == "HTTP/1.0" ? version : QByteArray("HTTP/1.1");
    request.headers.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        // No folded lines, no spaces before the colon: such heads smuggle.
        if (colon <= 0 || !isToken(lines[i].left(colon)))
            return 400;
        request.headers.append({lines[i].left(colon), lines[i].mid(colon + 1).trimmed()});
    }
    return 0;
}

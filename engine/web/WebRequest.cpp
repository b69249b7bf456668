#include "engine/web/WebRequest.h"

namespace {

WebDecision Refuse(int status, const QByteArray &reason)
{
    WebDecision d;
    d.status = status;
    d.reason = reason;
    return d;
}

// A positive decimal number of at most 18 digits: no sign, no spaces, no
// leading zeros to hide a bigger one.
bool ParseId(const QByteArray &text, qint64 &id)
{
    if (text.isEmpty() || text.size() > 18 || text.front() == '0')
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    id = text.toLongLong();
    return true;
}

WebDecision Route(const QByteArray &path)
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
        return Refuse(404, "No such page.");
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
        if (!zero && !ParseId(parts[3], d.id))
            return Refuse(400, "The id '" + parts[3].left(40) + "' is not a number.");
        d.route = under.route;
        return d;
    }
    return Refuse(404, "No such page.");
}

} // namespace

bool SameSecret(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size() || b.isEmpty())
        return false;
    unsigned char differ = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    return differ == 0;
}

WebDecision DecideRequest(const WebRequest &request, const QByteArray &token)
{
    if (request.target.size() > MostTargetBytes)
        return Refuse(414, "The request line is too long.");
    qsizetype headerBytes = 0;
    for (const auto &[name, value] : request.headers)
        headerBytes += name.size() + value.size() + 4;
    if (request.headers.size() > MostHeaders || headerBytes > MostHeaderBytes)
        return Refuse(431, "The request's headers are too long.");

    // Qt 6.4's server hands on a request whose header section is longer than
    // its parser takes (measured: 300 KB of one header) with no headers at
    // all, not even Host, which every HTTP/1.1 request carries.
    bool hasHost = false;
    for (const auto &header : request.headers)
        hasHost = hasHost || header.first.compare("host", Qt::CaseInsensitive) == 0;
    if (!hasHost)
        return Refuse(400, "The request has no Host header, or headers too long to be read.");

    if (request.method != "GET" && request.method != "HEAD") {
        WebDecision d = Refuse(405, "The web view is read-only: only GET and HEAD are answered.");
        d.headers.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        return d;
    }
    if (!token.isEmpty()) {
        bool allowed = false;
        for (const auto &[name, value] : request.headers)
            if (name.compare("authorization", Qt::CaseInsensitive) == 0)
                allowed = value.startsWith("Bearer ") && SameSecret(value.mid(7).trimmed(), token);
        if (!allowed) {
            WebDecision d = Refuse(401, "An access token is needed: Authorization: Bearer TOKEN.");
            d.headers.append(qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Bearer realm=\"lifecycle\"")));
            return d;
        }
    }
    QByteArray path = request.target;
    if (const qsizetype query = path.indexOf('?'); query >= 0)
        path.truncate(query);
    WebDecision d = Route(path);
    d.headOnly = request.method == "HEAD";
    return d;
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// One request to the web view as it came: the method, the target (path and
// query) and the headers, before anything is decided about it.
struct WebRequest
{
    QByteArray method;
    QByteArray target;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray version = "HTTP/1.1";
};

// What a request asks for, once it passed the checks.
enum class WebRoute {
    Refused,       // answered with an error status, nothing more
    Page,          // GET /
    Testers,       // GET /api/testers
    TesterTrend,   // GET /api/testers/INDEX/trend
    Runs,          // GET /api/runs
    RunSamples,    // GET /api/runs/ID/samples
    RunDatalog,    // GET /api/runs/ID/datalog
    RunReport,     // GET /api/runs/ID/report.pdf
};

// The answer to a request: its status and, for a refusal, the body that
// says why; what to serve otherwise.
struct WebDecision
{
    int status = 200;
    WebRoute route = WebRoute::Refused;
    qint64 id = 0;                                  // the run's id, or the tester's index
    QByteArray reason;                              // a refusal's text
    QList<QPair<QByteArray, QByteArray>> headers;   // Allow, WWW-Authenticate
    bool headOnly = false;                          // HEAD: the headers without the body
};

// Limits on what the web view reads of a request. Longer request lines and
// header sections than any browser sends are refused with 414 and 431.
constexpr int MostTargetBytes = 8 * 1024;
constexpr int MostHeaderBytes = 16 * 1024;
constexpr int MostHeaders = 100;
// The most a request's head (request line and headers) may take before it
// is refused: room for the longest line and headers allowed above.
constexpr int MostHeadBytes = 32 * 1024;

// Decides a request on its request line and headers alone, before any body:
// its size (414, 431), its Host header (400 without one from HTTP/1.1 on),
// two Authorization headers (400), the access token when one is set (401
// without "Authorization: Bearer TOKEN", the scheme in any case, whatever
// the method), its method (405 but for GET and HEAD: nothing sent can
// change a tester), a body announced (413: GET and HEAD take none), the path
// (404) and the run id or tester index in it (400 when not a number).
WebDecision decideRequest(const WebRequest &request, const QByteArray &token);

// Whether the request announces a body: a Content-Length other than 0, or
// any Transfer-Encoding.
bool announcesBody(const WebRequest &request);

// Whether the connection stays open after the answer: not when the request
// says "Connection: close", nor for HTTP/1.0 unless it asks to keep alive.
bool keepsConnection(const WebRequest &request);

// Where a request's head ends in the bytes come so far: just after the
// empty line that closes it (lines end in CR LF or a bare LF), or -1 while
// it is not whole. Empty lines before the request line are skipped first.
qsizetype headEndOf(const QByteArray &bytes);

// Reads a whole head as headEndOf delimits it: 0, or 400 when it is not an
// HTTP/1.x request line followed by "Name: value" lines.
int parseHead(const QByteArray &head, WebRequest &request);

// Whether two texts are equal, in a time that does not tell where they differ.
bool sameSecret(const QByteArray &a, const QByteArray &b);

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
};

// What a request asks for, once it passed the checks.
enum class WebRoute {
    Refused,        // answered with an error status, nothing more
    Page,           // GET /
    Testers,        // GET /api/testers
    TesterTrend,    // GET /api/testers/INDEX/trend
    Runs,           // GET /api/runs
    RunSamples,     // GET /api/runs/ID/samples
    RunDatalog,     // GET /api/runs/ID/datalog
    RunReport,      // GET /api/runs/ID/report.pdf
};

// The answer to a request: its status and, for a refusal, the body that
// says why; what to serve otherwise.
struct WebDecision
{
    int status = 200;
    WebRoute route = WebRoute::Refused;
    qint64 id = 0;               // the run's id, or the tester's index
    QByteArray reason;           // a refusal's text
    QList<QPair<QByteArray, QByteArray>> headers;   // Allow, WWW-Authenticate
    bool headOnly = false;       // HEAD: the headers without the body
};

// Limits on what the web view reads of a request. Longer request lines and
// header sections than any browser sends are refused with 414 and 431.
constexpr int MostTargetBytes = 8 * 1024;
constexpr int MostHeaderBytes = 16 * 1024;
constexpr int MostHeaders = 100;

// Decides a request: its size (414, 431), its Host header (400 without one), its method (405 but for GET and
// HEAD: nothing sent can change a tester), the access token when one is set
// (401 without "Authorization: Bearer TOKEN"), the path (404) and the run id
// or tester index in it (400 when not a number).
WebDecision DecideRequest(const WebRequest &request, const QByteArray &token);

// Whether two texts are equal, in a time that does not tell where they differ.
bool SameSecret(const QByteArray &a, const QByteArray &b);

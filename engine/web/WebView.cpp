#include "engine/web/WebView.h"

#include "engine/archive/RunCatalog.h"
#include "engine/archive/RunRecorder.h"
#include "engine/session/TesterSession.h"
#include "engine/web/WebJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QByteArray JsonType = "application/json";

WebView::Reply textReply(int status, const QByteArray &text)
{
    WebView::Reply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = text + '\n';
    return reply;
}

// A refusal a script reads: {"error": "..."}.
WebView::Reply jsonError(int status, const QByteArray &text)
{
    WebView::Reply reply;
    reply.status = status;
    reply.contentType = "application/json";
    reply.body = QJsonDocument(QJsonObject{{"error", QString::fromUtf8(text)}}).toJson(QJsonDocument::Compact) + '\n';
    return reply;
}

WebView::Reply replyWith(const QByteArray &contentType, const QByteArray &body)
{
    WebView::Reply reply;
    reply.contentType = contentType;
    reply.body = body;
    return reply;
}

}   // namespace

WebView::WebView(Sessions sessions, QByteArray page) : sessions(std::move(sessions)), page(std::move(page)) {}

void WebView::setArchive(ArchiveReader reader, ReportWriter reportWriter)
{
    archive = std::move(reader);
    report = std::move(reportWriter);
    runIds.clear();
}

WebView::Reply WebView::answer(const WebRequest &request) const
{
    const WebDecision decision = decideRequest(request, accessToken);
    Reply reply;
    switch (decision.route) {
    case WebRoute::Refused:
        reply = decision.jsonReason ? jsonError(decision.status, decision.reason)
                                    : textReply(decision.status, decision.reason);
        break;
    case WebRoute::Page: reply = replyWith("text/html; charset=utf-8", page); break;
    case WebRoute::Testers: reply = replyWith(JsonType, testersJson()); break;
    case WebRoute::TesterTrend: {
        const std::vector<const TesterSession *> all = sessions();
        if (decision.id >= qint64(all.size()))
            reply = textReply(404, "No tester " + QByteArray::number(decision.id) + '.');
        else
            reply = replyWith(JsonType, trendJson(all[size_t(decision.id)]->trendHistory(), TrendPoints));
        break;
    }
    default: reply = runReply(decision); break;
    }
    reply.headers += decision.headers;
    reply.headOnly = decision.headOnly;
    // The answers change with every sample: a browser asks again.
    reply.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("no-store")));
    return reply;
}

// Each tester with the archive's id of the run it is in, so the page can
// link it; null while the archive does not hold it (yet). Ids found are
// kept: the page asks every few seconds, and the archive is opened only for
// a run not seen before.
QByteArray WebView::testersJson() const
{
    const std::vector<const TesterSession *> all = sessions();
    std::unique_ptr<RunCatalog> catalog;
    bool opened = false;
    QJsonArray testers;
    for (const TesterSession *session : all) {
        QJsonObject tester = testerJson(*session);
        const QString &key = session->runRecorder().runKey();
        qint64 id = runIds.value(key);
        if (archive && !key.isEmpty() && id == 0) {
            QString failure;
            if (!opened)
                catalog = archive(failure);
            opened = true;
            if (catalog && catalog->runIdOf(key, id).isEmpty() && id > 0) {
                // One entry per run of the station's testers, a handful a day.
                if (runIds.size() > 4096)
                    runIds.clear();
                runIds.insert(key, id);
            }
        }
        tester["runId"] = id > 0 ? QJsonValue(id) : QJsonValue();
        testers.append(tester);
    }
    return QJsonDocument(testers).toJson(QJsonDocument::Compact);
}

WebView::Reply WebView::runReply(const WebDecision &decision) const
{
    if (!archive)
        return textReply(404, "This program keeps no run archive.");
    QString failure;
    std::unique_ptr<RunCatalog> catalog = archive(failure);
    if (!catalog)
        return textReply(503, failure.toUtf8());
    switch (decision.route) {
    case WebRoute::Runs: {
        std::vector<RunSummary> runs;
        qint64 total = 0;
        failure = catalog->listRuns(decision.runs, runs);
        if (failure.isEmpty())
            failure = catalog->countRuns(decision.runs, total);
        if (!failure.isEmpty())
            return textReply(503, failure.toUtf8());
        // The body stays the list it always was; the count of every run
        // the filter lets through, over all pages, goes along as a header.
        Reply reply = replyWith(JsonType, runsJson(runs));
        reply.headers.append(qMakePair(QByteArray("X-Total-Count"), QByteArray::number(total)));
        return reply;
    }
    case WebRoute::RunReport: {
        if (!report)
            return textReply(404, "No report is made here.");
        const QByteArray pdf = report(*catalog, decision.id, failure);
        if (pdf.isEmpty())
            return textReply(404, failure.toUtf8());
        Reply reply = replyWith("application/pdf", pdf);
        return reply;
    }
    default: break;
    }
    const bool json = decision.route == WebRoute::RunSamples;
    auto stream = std::make_unique<RunStream>(std::move(catalog), decision.id,
                                              json ? RunStream::Form::Json : RunStream::Form::DataLog);
    // A run that cannot be read from its start is not there to send.
    if (failure = stream->start(); !failure.isEmpty())
        return textReply(404, failure.toUtf8());
    Reply reply;
    reply.contentType = json ? JsonType : QByteArray("text/plain; charset=us-ascii");
    if (!json)
        reply.headers.append(qMakePair(QByteArray("Content-Disposition"),
                                       "attachment; filename=\"run-" + QByteArray::number(decision.id) + ".txt\""));
    reply.stream = std::move(stream);
    return reply;
}

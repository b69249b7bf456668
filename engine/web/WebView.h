#pragma once

#include "engine/web/RunStream.h"
#include "engine/web/WebRequest.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class RunCatalog;
class TesterSession;

// The web view's answers, with no server: a request in, its status,
// headers and body out (or a stream of an archived run). The server only
// carries them; tests ask here directly.
class WebView
{
public:
    using Sessions = std::function<std::vector<const TesterSession *>()>;
    // A reading connection to the run archive; null with the failure when
    // it cannot be read.
    using ArchiveReader = std::function<std::unique_ptr<RunCatalog>(QString &failure)>;
    // A run's report page as PDF from its last sample; empty with the failure.
    using ReportWriter = std::function<QByteArray(RunCatalog &catalog, qint64 id, QString &failure)>;

    // Trends are drawn from at most this many samples of each tester.
    static constexpr size_t TrendPoints = 600;

    struct Reply
    {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        std::unique_ptr<RunStream> stream;   // the body comes from here instead
        bool headOnly = false;
    };

    WebView(Sessions sessions, QByteArray page);
    // The archive, once it exists; none: the run pages answer 404.
    void setArchive(ArchiveReader reader, ReportWriter report = nullptr);
    // Every request needs "Authorization: Bearer TOKEN"; empty: none does.
    void setToken(const QByteArray &token) { accessToken = token; }

    Reply answer(const WebRequest &request) const;

private:
    Reply runReply(const WebDecision &decision) const;
    QByteArray testersJson() const;

    Sessions sessions;
    QByteArray page;
    ArchiveReader archive;
    ReportWriter report;
    QByteArray accessToken;
    mutable QHash<QString, qint64> runIds;   // run keys found in the archive
};

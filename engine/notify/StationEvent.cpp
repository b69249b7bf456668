#include "engine/notify/StationEvent.h"

#include "engine/session/TesterSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct KindText
{
    const char *name;
    const char *caption;
};

const KindText Kinds[int(EventKind::Count)] = {
    {"run-ended", "Run ended at its limit"},
    {"run-stopped", "Run stopped"},
    {"failure", "New failure"},
    {"sequential-limit", "Sequential failure limit reached"},
    {"link-lost", "Link lost"},
    {"link-found", "Link found again"},
    {"file-error", "Data file error"},
    {"archive-error", "Run archive error"},
    {"records-refused", "Records refused"},
};

const KindText &textOf(EventKind kind)
{
    const int index = int(kind);
    return Kinds[index >= 0 && index < int(EventKind::Count) ? index : 0];
}

}   // namespace

const char *eventName(EventKind kind)
{
    return textOf(kind).name;
}

QString eventCaption(EventKind kind)
{
    return QString::fromLatin1(textOf(kind).caption);
}

QByteArray stationEventJson(const StationEvent &event)
{
    // Written by hand: QJsonObject sorts its keys, and a chat relay reading
    // the body by eye expects the event first. Each value is escaped by Qt.
    const auto text = [](const QString &value) {
        const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    };
    QByteArray body = "{\"event\":\"" + QByteArray(eventName(event.kind)) + '"';
    body += ",\"tester\":" + text(event.serial);
    body += ",\"port\":" + QByteArray::number(event.port);
    body += ",\"time\":" + text(event.time.toOffsetFromUtc(event.time.offsetFromUtc()).toString(Qt::ISODate));
    body += ",\"cycles\":" + QByteArray::number(qint64(event.cycles));
    body += ",\"failures\":" + QByteArray::number(qint64(event.failures));
    body += ",\"message\":" + text(event.message);
    body += ",\"runId\":" + (event.runId > 0 ? QByteArray::number(qint64(event.runId)) : QByteArray("null"));
    body += ",\"runUrl\":" + (event.runUrl.isEmpty() ? QByteArray("null") : text(event.runUrl));
    if (event.kind == EventKind::RunStopped)
        body += ",\"cause\":" + text(event.cause);
    return body + '}';
}

QByteArray testEventJson(const QDateTime &time)
{
    StationEvent event;
    event.time = time;
    event.message = QStringLiteral("A test event from the preferences of the life cycle tester program.");
    QByteArray body = stationEventJson(event);
    // The kind is not one the program tells: it is named here alone.
    return body.replace("\"event\":\"run-ended\"", "\"event\":\"test\"");
}

QString stopCauseWords(StopCause cause)
{
    switch (cause) {
    case StopCause::CycleLimit: return QStringLiteral("stopped at cycle limit");
    case StopCause::FailLimit: return QStringLiteral("stopped: failure limit reached");
    case StopCause::SeqLimit: return QStringLiteral("stopped: sequential failure limit reached");
    case StopCause::Operator: return QStringLiteral("stopped by the operator");
    case StopCause::OneCycle: return QStringLiteral("stopped after one cycle");
    case StopCause::Tester: return QStringLiteral("stopped at the tester");
    case StopCause::None: break;
    }
    return QString();
}

QString runLink(const QString &webAddress, int64_t runId)
{
    return QStringLiteral("http://%1/api/runs/%2/datalog").arg(webAddress).arg(qint64(runId));
}

QString eventTitle(const StationEvent &event)
{
    const QString caption = eventCaption(event.kind);
    if (event.serial.isEmpty())
        return event.port > 0 ? caption + QStringLiteral(" - Comm %1").arg(event.port) : caption;
    return caption + QStringLiteral(" - ") + event.serial;
}

bool eventWanted(EventKind kind, const QStringList &namesOff)
{
    return !namesOff.contains(QLatin1String(eventName(kind)));
}

QString stationSummary(const std::vector<const TesterSession *> &sessions)
{
    if (sessions.empty())
        return QStringLiteral("Searching for testers...");
    int running = 0, lost = 0;
    qint64 failures = 0;
    for (const TesterSession *session : sessions) {
        const TesterState &s = session->state();
        running += session->glance().runMode(s) != RunMode::Stopped ? 1 : 0;
        lost += session->glance().link().alarm() ? 1 : 0;
        failures += s.counters.failCount;
    }
    const auto count = [](qint64 n, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    QStringList parts{QStringLiteral("%1 running").arg(running)};
    if (lost > 0)
        parts << count(lost, "link lost", "links lost");
    parts << count(failures, "failure", "failures");
    return count(qint64(sessions.size()), "tester", "testers") + QStringLiteral(": ")
           + parts.join(QStringLiteral(", "));
}

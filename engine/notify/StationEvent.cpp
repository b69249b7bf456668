#include "engine/notify/StationEvent.h"

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
};

const KindText &TextOf(EventKind kind)
{
    const int index = int(kind);
    return Kinds[index >= 0 && index < int(EventKind::Count) ? index : 0];
}

} // namespace

const char *EventName(EventKind kind)
{
    return TextOf(kind).name;
}

QString EventCaption(EventKind kind)
{
    return QString::fromLatin1(TextOf(kind).caption);
}

QByteArray EventJson(const StationEvent &event)
{
    // Written by hand: QJsonObject sorts its keys, and a chat relay reading
    // the body by eye expects the event first. Each value is escaped by Qt.
    const auto text = [](const QString &value) {
        const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    };
    QByteArray body = "{\"event\":\"" + QByteArray(EventName(event.kind)) + '"';
    body += ",\"tester\":" + text(event.serial);
    body += ",\"port\":" + QByteArray::number(event.port);
    body += ",\"time\":" + text(event.time.toOffsetFromUtc(event.time.offsetFromUtc()).toString(Qt::ISODate));
    body += ",\"cycles\":" + QByteArray::number(qint64(event.cycles));
    body += ",\"failures\":" + QByteArray::number(qint64(event.failures));
    body += ",\"message\":" + text(event.message) + '}';
    return body;
}

QString EventTitle(const StationEvent &event)
{
    const QString caption = EventCaption(event.kind);
    if (event.serial.isEmpty())
        return event.port > 0 ? caption + QStringLiteral(" - Comm %1").arg(event.port) : caption;
    return caption + QStringLiteral(" - ") + event.serial;
}

#include "engine/web/RunsQuery.h"

#include "engine/archive/RunMoment.h"

#include <QSet>
#include <QStringList>

namespace {

constexpr qsizetype MostValueChars = 64;

// A count of digits alone, no sign, within [low, high].
bool readCount(const QString &text, qint64 low, qint64 high, qint64 &value)
{
    if (text.isEmpty() || text.size() > 12)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    value = text.toLongLong();
    return value >= low && value <= high;
}

// A name as it stands in a record: printable, no longer than any serial
// number or host name the archive keeps.
bool readName(const QString &text)
{
    if (text.trimmed().isEmpty() || text.size() > MostValueChars)
        return false;
    for (const QChar c : text)
        if (!c.isPrint())
            return false;
    return true;
}

QString decoded(QByteArray part)
{
    part.replace('+', ' ');
    return QString::fromUtf8(QByteArray::fromPercentEncoding(part));
}

}   // namespace

QString readRunsQuery(const QByteArray &query, const QDateTime &now, RunFilter &filter)
{
    filter = RunFilter();
    filter.wholeSerial = true;
    filter.limit = DefaultRunsPage;
    QStringList unknown, malformed;
    QSet<QString> seen;
    for (const QByteArray &part : query.split('&')) {
        if (part.isEmpty())
            continue;
        const qsizetype equals = part.indexOf('=');
        const QString name = decoded(equals < 0 ? part : part.left(equals));
        const QString value = equals < 0 ? QString() : decoded(part.mid(equals + 1));
        const QString shownName = name.left(MostValueChars);
        if (seen.contains(name)) {
            malformed << shownName + QStringLiteral(" (given twice)");
            continue;
        }
        seen.insert(name);
        qint64 count = 0;
        QDateTime moment;
        if (name == QLatin1String("serial")) {
            if (readName(value))
                filter.serialNumber = value.trimmed();
            else
                malformed << shownName;
        } else if (name == QLatin1String("host")) {
            if (readName(value))
                filter.host = value.trimmed();
            else
                malformed << shownName;
        } else if (name == QLatin1String("since") || name == QLatin1String("until")) {
            const bool until = name == QLatin1String("until");
            if (readRunMoment(value, now, until, moment).isEmpty())
                (until ? filter.until : filter.since) = moment;
            else
                malformed << shownName;
        } else if (name == QLatin1String("limit")) {
            if (readCount(value, 1, MostRunsPage, count))
                filter.limit = int(count);
            else
                malformed << shownName + QStringLiteral(" (1 to %1)").arg(MostRunsPage);
        } else if (name == QLatin1String("offset")) {
            if (readCount(value, 0, 999999999999, count))
                filter.offset = count;
            else
                malformed << shownName;
        } else {
            unknown << shownName;
        }
    }
    QStringList problems;
    if (!unknown.isEmpty())
        problems << QStringLiteral("unknown parameter %1").arg(unknown.join(QStringLiteral(", ")));
    if (!malformed.isEmpty())
        problems << QStringLiteral("malformed value of %1").arg(malformed.join(QStringLiteral(", ")));
    if (problems.isEmpty())
        return QString();
    return problems.join(QStringLiteral("; ")) + QStringLiteral(" (serial, host, since, until, limit, offset)");
}

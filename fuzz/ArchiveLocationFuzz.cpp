// The archive named on the command line or in the preferences, from any
// text. A file name keeps no control character; a server's location written
// back as a URL (its parts percent-encoded) reads as the same location.

#include "FuzzSupport.h"

#include "engine/archive/ArchiveLocation.h"

#include <QUrl>

namespace {

QString encoded(const QString &part)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(part));
}

QString urlOf(const ArchiveLocation &l)
{
    const QString host = l.host.contains(QLatin1Char(':')) ? u'[' + l.host + u']' : l.host;
    return QStringLiteral("postgresql://%1:%2@%3:%4/%5")
        .arg(encoded(l.user), encoded(l.password), host, QString::number(l.port), encoded(l.database));
}

bool sameLocation(const ArchiveLocation &a, const ArchiveLocation &b)
{
    return a.kind == b.kind && a.path == b.path && a.user == b.user && a.password == b.password && a.host == b.host
           && a.port == b.port && a.database == b.database;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    ArchiveLocation location;
    const QString problem = parseArchiveLocation(text, location);
    if (!problem.isEmpty())
        return 0;
    location.shown();
    if (location.kind == ArchiveLocation::SqliteFile) {
        fuzzCheck(!location.path.isEmpty() && location.path == location.path.trimmed(), "a file is named");
        for (const QChar c : location.path)
            fuzzCheck(c.unicode() >= 0x20, "a file name keeps no control character");
        return 0;
    }
    fuzzCheck(location.port >= 1 && location.port <= 65535, "a port from 1 to 65535");
    ArchiveLocation again;
    fuzzCheck(parseArchiveLocation(urlOf(location), again).isEmpty() && sameLocation(again, location),
              "a server's location written as a URL reads back");
    return 0;
}

#include "engine/web/WebAddress.h"

#include <QLocale>

bool WebAddress::loopback() const
{
    return host == QLatin1String("localhost") || host == QLatin1String("::1")
           || (host.startsWith(QLatin1String("127.")) && host.count(QLatin1Char('.')) == 3);
}

QString parseWebAddress(const QString &text, WebAddress &address)
{
    const QString wrong = QStringLiteral("'%1' is not ADDRESS:PORT with a port from 1 to 65535").arg(text.left(80));
    QString host = QStringLiteral("127.0.0.1");
    QString port = text.trimmed();
    if (port.startsWith(QLatin1Char('['))) {
        const qsizetype close = port.indexOf(QLatin1String("]:"));
        if (close < 0)
            return wrong;
        host = port.mid(1, close - 1);
        port = port.mid(close + 2);
    } else if (const qsizetype colon = port.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = port.left(colon);
        port = port.mid(colon + 1);
        if (host.contains(QLatin1Char(':')))   // IPv6 without brackets
            return wrong;
    }
    bool ok = false;
    const int number = QLocale::c().toInt(port, &ok);
    if (host.isEmpty() || !ok || number < 1 || number > 65535 || port.startsWith(QLatin1Char('+')))
        return wrong;
    address.host = host;
    address.port = number;
    return QString();
}

QString webAccessProblem(const WebAddress &address, const QString &token)
{
    if (address.loopback() || !token.trimmed().isEmpty())
        return QString();
    return QStringLiteral("The web view would be open to the network on %1 without an access token, so it is not "
                          "started. Give a token with --http-token TOKEN (or in the preferences), or serve it on "
                          "127.0.0.1.")
        .arg(address.host);
}

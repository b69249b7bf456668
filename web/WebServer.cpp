#include "web/WebServer.h"

#include "engine/web/WebView.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

QByteArray webPage()
{
    QFile page(QStringLiteral(":/web/page/index.html"));
    return page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray("<html>The page is missing.</html>");
}

WebServer::WebServer(const WebView &view, QObject *parent) : QObject(parent), view(view)
{
    connect(&server, &QTcpServer::newConnection, this, &WebServer::accept);
    // Out of file descriptors (the rest of the program may hold many), the
    // server stops taking connections; it tries again a moment later.
    connect(&server, &QTcpServer::acceptError, this,
            [this] { QTimer::singleShot(1000, &server, &QTcpServer::resumeAccepting); });
}

WebServer::~WebServer()
{
    // The connections go first, telling no one.
    const QList<HttpConnection *> open = connections;
    connections.clear();
    for (HttpConnection *connection : open)
        delete connection;
}

QString WebServer::listen(const WebAddress &address)
{
    QHostAddress host;
    if (address.host == QLatin1String("localhost"))
        host = QHostAddress(QHostAddress::LocalHost);
    else if (!host.setAddress(address.host))
        return QStringLiteral("The web view cannot listen on '%1': not an IP address.").arg(address.host);
    if (!server.listen(host, quint16(address.port)))
        return QStringLiteral("The web view cannot listen on %1 port %2: %3.")
            .arg(address.host)
            .arg(address.port)
            .arg(server.errorString());
    listeningOn = server.serverPort();
    return QString();
}

void WebServer::accept()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        if (!makeRoom()) {
            // Every connection is busy answering: the newcomer is refused
            // at once rather than held.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto gone = [this](HttpConnection *connection) { connections.removeOne(connection); };
        connections.append(new HttpConnection(socket, view, limits, gone, this));
    }
}

bool WebServer::makeRoom()
{
    if (connections.size() < limits.mostConnections)
        return true;
    // The connection that has waited longest for its client goes: an idle
    // one, or one whose request is slowest to come.
    HttpConnection *longest = nullptr;
    for (HttpConnection *connection : std::as_const(connections))
        if (connection->waiting() && (!longest || connection->waitingMs() > longest->waitingMs()))
            longest = connection;
    if (!longest)
        return false;
    longest->close();
    return true;
}

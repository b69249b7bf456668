#include "web/WebServer.h"

#include "engine/web/WebView.h"

#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

QByteArray MethodName(QHttpServerRequest::Method method)
{
    // Qt's names are "Get", "Head", ...; the wire's are upper case. A method
    // Qt does not know is "Unknown", refused like any other but GET and HEAD.
    const char *name = QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(method));
    return QByteArray(name ? name : "Unknown").toUpper();
}

WebRequest RequestOf(const QHttpServerRequest &request)
{
    WebRequest r;
    r.method = MethodName(request.method());
    const QUrl url = request.url();
    r.target = url.path(QUrl::FullyEncoded).toLatin1();
    if (url.hasQuery())
        r.target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    r.headers = request.headers();
    return r;
}

// Writes an archived run as the client takes it: a page more each time the
// socket's unsent bytes run low, then the connection closes (the length is
// not known in advance). The sender goes with its socket.
class StreamSender : public QObject
{
public:
    StreamSender(std::unique_ptr<RunStream> stream, QTcpSocket *socket)
        : QObject(socket), stream(std::move(stream)), socket(socket)
    {
        connect(socket, &QTcpSocket::bytesWritten, this, &StreamSender::topUp);
        connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    }
    void topUp()
    {
        // Once disconnecting, the socket is no longer connected: nothing more is read.
        while (socket->state() == QAbstractSocket::ConnectedState
               && socket->bytesToWrite() < WebServer::StreamBufferBytes) {
            const QByteArray piece = stream->next();
            if (piece.isEmpty()) {
                // A run that fails halfway ends early; the client sees a cut body.
                socket->disconnectFromHost();
                return;
            }
            socket->write(piece);
        }
    }

private:
    std::unique_ptr<RunStream> stream;
    QTcpSocket *socket;
};

} // namespace

QByteArray WebPage()
{
    QFile page(QStringLiteral(":/web/page/index.html"));
    return page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray("<html>The page is missing.</html>");
}

WebServer::WebServer(const WebView &view, QObject *parent) : QAbstractHttpServer(parent), view(view) {}

QString WebServer::listen(const WebAddress &address)
{
    QHostAddress host;
    if (address.host == QLatin1String("localhost"))
        host = QHostAddress(QHostAddress::LocalHost);
    else if (!host.setAddress(address.host))
        return QStringLiteral("The web view cannot listen on '%1': not an IP address.").arg(address.host);
    auto *server = new QTcpServer(this);
    if (!server->listen(host, quint16(address.port))) {
        const QString failure = QStringLiteral("The web view cannot listen on %1 port %2: %3.")
                                    .arg(address.host)
                                    .arg(address.port)
                                    .arg(server->errorString());
        delete server;
        return failure;
    }
    listeningOn = server->serverPort();
    bind(server);
    return QString();
}

// What Qt 6.4's server does with requests beyond the usual, measured here:
// a request line of any length arrives whole (a 200 KB target), and so do
// headers up to at least 70 KB; a header section of 300 KB arrives with no
// headers at all; bytes that are not HTTP close the connection unanswered.
// Every request reaches this function, so the limits and the missing Host
// header are judged by DecideRequest: 414, 431 or 400, and the server goes on.
bool WebServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    WebView::Reply reply = view.answer(RequestOf(request));
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
    responder.writeHeader("Content-Type", reply.contentType);
    for (const auto &[name, value] : std::as_const(reply.headers))
        responder.writeHeader(name, value);
    if (!reply.stream) {
        responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
        if (!reply.headOnly)
            responder.writeBody(reply.body);
        else
            responder.writeBody(QByteArray());
        return true;
    }
    responder.writeHeader("Connection", "close");
    if (reply.headOnly) {
        responder.writeBody(QByteArray());
        socket->disconnectFromHost();
        return true;
    }
    responder.writeBody(QByteArray());
    auto *sender = new StreamSender(std::move(reply.stream), socket);
    sender->topUp();
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    // Every request is handled above; this is never reached.
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

#include "web/HttpConnection.h"

#include "engine/web/WebView.h"

#include <QTcpSocket>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

WebView::Reply refusal(int status, const QByteArray &text)
{
    WebView::Reply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = text + '\n';
    return reply;
}

}   // namespace

HttpConnection::HttpConnection(QTcpSocket *socket, const WebView &view, const HttpLimits &limits,
                               std::function<void(HttpConnection *)> gone, QObject *parent)
    : QObject(parent), socket(socket), view(view), limits(limits), gone(std::move(gone))
{
    socket->setParent(this);
    // The socket stops reading from the system once it holds this much:
    // a client that sends faster than it is answered waits in its own buffers.
    socket->setReadBufferSize(limits.socketBufferBytes);
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, &HttpConnection::timedOut);
    connect(socket, &QTcpSocket::readyRead, this, &HttpConnection::readSome);
    connect(socket, &QTcpSocket::bytesWritten, this, &HttpConnection::written);
    connect(socket, &QTcpSocket::disconnected, this, &HttpConnection::close);
    // A new connection owes its first request from the start.
    waitingFor.start();
    requestBegun = true;
    deadline.start(limits.requestMs);
}

HttpConnection::~HttpConnection() = default;

void HttpConnection::close()
{
    if (state == State::Gone)
        return;
    state = State::Gone;
    deadline.stop();
    socket->disconnect(this);
    socket->abort();
    stream.reset();
    if (gone)
        gone(this);
    deleteLater();
}

void HttpConnection::readSome()
{
    if (state == State::Closing) {
        // What comes after a refusal (a body, most likely) is dropped unread.
        socket->skip(socket->bytesAvailable());
        return;
    }
    // While an answer is written, the next request waits in the socket.
    while (state == State::Waiting) {
        head += socket->read(MostHeadBytes - head.size());
        if (head.isEmpty())
            return;
        if (!requestBegun) {
            requestBegun = true;
            deadline.start(limits.requestMs);
        }
        const qsizetype end = headEndOf(head);
        if (end >= 0) {
            const QByteArray whole = head.left(end);
            head.remove(0, end);
            answer(whole);
        } else if (head.size() >= MostHeadBytes) {
            const bool lineWhole = head.contains('\n');
            send(lineWhole ? refusal(431, "The request's headers are too long.")
                           : refusal(414, "The request line is too long."),
                 false, false, true);
        } else {
            return;
        }
    }
}

void HttpConnection::answer(const QByteArray &whole)
{
    WebRequest request;
    if (parseHead(whole, request) != 0) {
        send(refusal(400, "The request is not an HTTP/1.x request."), false, false, true);
        return;
    }
    WebView::Reply reply = view.answer(request);
    const bool keep = keepsConnection(request) && reply.status < 400 && !reply.stream;
    // An HTTP/1.0 client that asked to keep the connection is told it is kept.
    if (keep && request.version == "HTTP/1.0")
        reply.headers.append(qMakePair(QByteArray("Connection"), QByteArray("keep-alive")));
    send(std::move(reply), keep, request.method == "HEAD", announcesBody(request));
}

void HttpConnection::send(WebView::Reply reply, bool keep, bool headOnly, bool moreComing)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    out += "Content-Type: " + reply.contentType + "\r\n";
    for (const auto &[name, value] : std::as_const(reply.headers))
        out += name + ": " + value + "\r\n";
    // A stream's length is not known in advance: its end is the connection's.
    if (!reply.stream)
        out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    if (!keep)
        out += "Connection: close\r\n";
    out += "\r\n";
    if (!headOnly)
        out += reply.body;
    if (!keep) {
        // A client closed on may still be sending: a body it announced,
        // the rest of a head too long to read, or more requests.
        lingers = moreComing || !head.isEmpty();
        head.clear();
    }
    requestBegun = false;
    state = keep || (reply.stream && !headOnly) ? State::Answering : State::Closing;
    deadline.start(limits.writeMs);
    socket->write(out);
    if (reply.stream && !headOnly) {
        stream = std::move(reply.stream);
        topUp();
    }
}

void HttpConnection::written()
{
    if (state == State::Gone)
        return;
    // The client takes the answer: it has its time again for the rest.
    deadline.start(limits.writeMs);
    if (stream) {
        topUp();
        return;
    }
    if (socket->bytesToWrite() > 0)
        return;
    if (state == State::Answering)
        startWaiting();
    else if (state == State::Closing)
        finishClosing();
}

void HttpConnection::topUp()
{
    while (socket->bytesToWrite() < limits.streamBufferBytes) {
        const QByteArray piece = stream->next();
        if (piece.isEmpty()) {
            // The end of the run, or a run that failed halfway: the client
            // sees the connection close, a cut body in the second case.
            stream.reset();
            state = State::Closing;
            if (socket->bytesToWrite() == 0)
                finishClosing();
            return;
        }
        socket->write(piece);
    }
}

void HttpConnection::startWaiting()
{
    state = State::Waiting;
    waitingFor.start();
    deadline.start(limits.idleMs);
    // A request sent behind the last one is read now.
    readSome();
}

void HttpConnection::finishClosing()
{
    if (!lingers && socket->bytesAvailable() == 0) {
        socket->disconnectFromHost();
        close();
        return;
    }
    // Closing on unread bytes would reset the connection, and the client
    // could lose the answer: its bytes are dropped a moment first.
    socket->skip(socket->bytesAvailable());
    deadline.start(limits.lingerMs);
}

void HttpConnection::timedOut()
{
    close();
}

#pragma once

#include <QtCore>
#include <QtNetwork>

// Answers each request with the next status of its list (200 when it runs
// out) and keeps what came: the request line, the headers and the body.
class LocalHttpServer : public QObject
{
public:
    struct Request
    {
        QByteArray head;
        QByteArray body;
    };

    explicit LocalHttpServer(QList<int> statuses) : statuses(std::move(statuses))
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/hook").arg(server.serverPort())); }

    QList<Request> requests;

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = pending[socket];
        buffer += socket->readAll();
        const int headEnd = buffer.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        const QByteArray head = buffer.left(headEnd);
        int length = 0;
        for (const QByteArray &line : head.split('\n'))
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toInt();
        if (buffer.size() < headEnd + 4 + length)
            return;
        requests.append({head, buffer.mid(headEnd + 4, length)});
        buffer.remove(0, headEnd + 4 + length);
        const int status = statuses.isEmpty() ? 200 : statuses.takeFirst();
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: 0\r\n\r\n");
    }

    QTcpServer server;
    QList<int> statuses;
    QHash<QTcpSocket *, QByteArray> pending;
};

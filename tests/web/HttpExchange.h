#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>

// HTTP exchanges with a server of this test's own process, as raw bytes:
// the event loop runs while the answer comes (the server needs it), until
// the whole answer is in (its Content-Length, or the connection closed), at
// most 30 s.
struct HttpAnswer
{
    int status = 0;
    QByteArray head;
    QByteArray body;
    bool closed = false;   // the server closed the connection

    QByteArray header(const QByteArray &name) const
    {
        for (const QByteArray &line : head.split('\n'))
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        return QByteArray();
    }
};

// Reads one answer on a connection already open. headOnly: the answer to
// HEAD has a length and no body.
inline HttpAnswer readAnswer(QTcpSocket &socket, bool headOnly = false)
{
    QByteArray got;
    HttpAnswer answer;
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        QTest::qWait(2);
        got += socket.readAll();
        if (socket.state() == QAbstractSocket::UnconnectedState) {
            answer.closed = true;
            break;
        }
        const int headEnd = got.indexOf("\r\n\r\n");
        if (headEnd < 0)
            continue;
        answer.head = got.left(headEnd);
        const QByteArray length = answer.header("Content-Length");
        if (headOnly || (!length.isEmpty() && got.size() >= headEnd + 4 + length.toInt()))
            break;
    }
    const int headEnd = got.indexOf("\r\n\r\n");
    answer.head = got.left(headEnd < 0 ? got.size() : headEnd);
    answer.body = headEnd < 0 ? QByteArray() : got.mid(headEnd + 4);
    answer.status = got.startsWith("HTTP/1.") ? got.mid(9, 3).toInt() : 0;
    return answer;
}

inline HttpAnswer httpExchange(quint16 port, const QByteArray &raw, bool headOnly = false)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(raw);
    return readAnswer(socket, headOnly);
}

// Whether the server closes the connection within ms, the event loop running.
inline bool closedWithin(QTcpSocket &socket, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && socket.state() != QAbstractSocket::UnconnectedState) {
        QTest::qWait(5);
        socket.readAll();
    }
    return socket.state() == QAbstractSocket::UnconnectedState;
}

inline QByteArray getRequest(const QByteArray &target, const QByteArray &more = QByteArray(),
                             const QByteArray &method = "GET")
{
    return method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + more + "\r\n";
}

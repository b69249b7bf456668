#pragma once

#include "engine/web/WebView.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

class QTcpSocket;

// What one client may make the web view hold, and for how long.
struct HttpLimits
{
    int mostConnections = 128;
    int requestMs = 10000;                   // from a request's first byte (or the accept) to its whole head
    int idleMs = 30000;                      // from an answer sent to the next request's first byte
    int writeMs = 30000;                     // an answer the client does not take
    int lingerMs = 250;                      // bytes still coming after a refusal are read and dropped this long
    qint64 socketBufferBytes = 16 * 1024;    // unread bytes held by the socket
    qint64 streamBufferBytes = 256 * 1024;   // a streamed run is topped up below this
};

// One client's connection: reads a request's head (nothing more), has the
// view answer it, writes the answer and then waits for the next request or
// closes. A request that announces a body is refused on its head, and the
// body is never kept. Every wait has its deadline, so nothing stays open
// on a client that went quiet.
class HttpConnection : public QObject
{
    Q_OBJECT

public:
    HttpConnection(QTcpSocket *socket, const WebView &view, const HttpLimits &limits, QObject *parent = nullptr);
    ~HttpConnection() override;

    // Waiting for the client's request (none being answered): since when.
    bool waiting() const { return state == State::Waiting; }
    qint64 waitingMs() const { return waitingFor.elapsed(); }
    // Closes at once, whatever it was doing.
    void close();

Q_SIGNALS:
    // Closed: the connection is deleted once the event loop runs again.
    void gone(HttpConnection *connection);

private:
    enum class State { Waiting, Answering, Closing, Gone };

    void readSome();
    void answer(const QByteArray &whole);
    void send(WebView::Reply reply, bool keep, bool headOnly, bool moreComing);
    void written();
    void topUp();
    void timedOut();
    void startWaiting();
    void finishClosing();

    QTcpSocket *socket;
    const WebView &view;
    const HttpLimits limits;
    State state = State::Waiting;
    QByteArray head;             // the request come so far, at most MostHeadBytes
    bool requestBegun = false;   // a byte of the next request has come
    bool lingers = false;        // bytes may still come after the last answer
    std::unique_ptr<RunStream> stream;
    QTimer deadline;
    QElapsedTimer waitingFor;
};

#pragma once

#include "engine/web/WebAddress.h"
#include "web/HttpConnection.h"

#include <QList>
#include <QString>
#include <QTcpServer>

class WebView;

// The web view's page, compiled into the program: one HTML file with its
// script, nothing fetched from elsewhere.
QByteArray webPage();

// Carries the web view's answers over HTTP on one address: every request,
// whatever its method or path, goes to the WebView, and its reply goes
// back; an archived run's stream is written as the client takes it.
//
// Its own small server rather than Qt HTTP Server, which reads whole bodies
// into memory before anyone can refuse them and has no timeouts and no
// limit on connections. Here a request is judged on its head alone, each
// connection holds at most a few tens of kilobytes and has a deadline for
// whatever it waits for, and the connections are limited in number.
class WebServer : public QObject
{
public:
    explicit WebServer(const WebView &view, QObject *parent = nullptr);
    ~WebServer() override;

    // Starts listening: empty when it does, else what failed (a taken
    // port, an address that is not this machine's). Port 0 picks a free one.
    QString listen(const WebAddress &address);
    quint16 port() const { return listeningOn; }

    // Smaller limits and shorter times, for tests; before listen().
    void setLimits(const HttpLimits &limits) { this->limits = limits; }
    int connectionCount() const { return int(connections.size()); }

private:
    void accept();
    bool makeRoom();

    const WebView &view;
    HttpLimits limits;
    QTcpServer server;
    QList<HttpConnection *> connections;
    quint16 listeningOn = 0;
};

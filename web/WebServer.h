#pragma once

#include "engine/web/WebAddress.h"

#include <QAbstractHttpServer>
#include <QString>

class WebView;

// The web view's page, compiled into the program: one HTML file with its
// script, nothing fetched from elsewhere.
QByteArray WebPage();

// Carries the web view's answers over HTTP: every request, whatever its
// method or path, goes to the WebView, and its reply goes back; an archived
// run's stream is written as the client takes it. Listens on one address.
class WebServer : public QAbstractHttpServer
{
public:
    // A stream is topped up while the socket holds less than this unsent.
    static constexpr qint64 StreamBufferBytes = 256 * 1024;

    explicit WebServer(const WebView &view, QObject *parent = nullptr);

    // Starts listening: empty when it does, else what failed (a taken
    // port, an address that is not this machine's). Port 0 picks a free one.
    QString listen(const WebAddress &address);
    quint16 port() const { return listeningOn; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    const WebView &view;
    quint16 listeningOn = 0;
};

#pragma once

#include <QString>

// Where the web view listens, as --http gives it: "ADDRESS:PORT",
// "[IPv6]:PORT", or a PORT alone (on 127.0.0.1).
struct WebAddress
{
    QString host = QStringLiteral("127.0.0.1");
    int port = 0;

    bool loopback() const;
};

// Reads an --http value; empty when it is one, else what is wrong.
QString parseWebAddress(const QString &text, WebAddress &address);
// An address other than loopback is served only with an access token:
// empty when it may be served, else the message that says why not.
QString webAccessProblem(const WebAddress &address, const QString &token);

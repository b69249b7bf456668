#pragma once

#include <QtCore>

// A throw-away PostgreSQL server for tests: a new cluster in a temporary
// folder, on a free loopback port, trusting local logins as "postgres".
// As root the server runs as the postgres user, which PostgreSQL demands.
// The server ends with the test's process however that ends: a test that
// aborts runs no destructor, so a watcher outside it stops the server and
// removes its folder once the process is gone.
class PgServer
{
public:
    ~PgServer();

    // Empty when the server runs, else what failed (the test then fails).
    QString start();
    QString stop();
    QString restart() { return start(); }

    int port() const { return serverPort; }
    // A new empty database on the server, and the URL of it.
    QString createDatabase(const QString &name, QString &url);

private:
    QString run(const QStringList &command, int timeoutMs);
    QStringList asServerUser(const QStringList &command) const;
    void watchThisProcess();

    QTemporaryDir dir{QStringLiteral("/tmp/lifecycle-pg-XXXXXX")};
    QString bin;
    int serverPort = 0;
    bool created = false;
    bool running = false;
    bool watched = false;
};

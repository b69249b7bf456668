#include "support/PgServer.h"

#include <QtCore>
#include <QtSql>

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A port nobody listens on now: the one the system hands out for port 0.
int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

QString serverBinaries()
{
    const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
    return versions.isEmpty() ? QString() : QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(versions.first());
}

}   // namespace

PgServer::~PgServer()
{
    if (running)
        stop();
}

QStringList PgServer::asServerUser(const QStringList &command) const
{
    // initdb and pg_ctl refuse to run as root.
    if (::geteuid() != 0)
        return command;
    return QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("postgres"),
                       QStringLiteral("--")}
           + command;
}

// A step of the server's that does not end is named rather than the test
// being stopped: the 25 s a test function may take is the limit anyway.
constexpr int ServerWaitMs = 22000;

QString PgServer::run(const QStringList &command, int timeoutMs)
{
    const QStringList line = asServerUser(command);
    QProcess process;
    // The tests run under a German locale the machine may not have.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(line.first(), line.mid(1));
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(1000);
        return QStringLiteral("%1 failed: %2").arg(line.join(u' '), QString::fromLocal8Bit(process.readAll()));
    }
    return QString();
}

QString PgServer::start()
{
    if (!dir.isValid())
        return QStringLiteral("no temporary folder");
    const QString data = dir.filePath(QStringLiteral("data"));
    if (!created) {
        bin = serverBinaries();
        if (bin.isEmpty())
            return QStringLiteral(
                "PostgreSQL is not installed (Debian package postgresql; scripts/setup.sh installs it)");
        if (::geteuid() == 0) {
            const passwd *postgres = ::getpwnam("postgres");
            if (!postgres
                || ::chown(QFile::encodeName(dir.path()).constData(), postgres->pw_uid, postgres->pw_gid) != 0)
                return QStringLiteral("no postgres user to run the server as");
        }
        if (const QString failure = run(
                {bin + "initdb", "-A", "trust", "-U", "postgres", "--no-sync", "--no-locale", "-E", "UTF8", "-D", data},
                ServerWaitMs);
            !failure.isEmpty())
            return failure;
        created = true;
        serverPort = freeLoopbackPort();
    }
    const QString options = QStringLiteral("-k %1 -h 127.0.0.1 -p %2 -F").arg(dir.path()).arg(serverPort);
    if (const QString failure = run(
            {bin + "pg_ctl", "-D", data, "-l", dir.filePath("server.log"), "-w", "-t", "20", "-o", options, "start"},
            ServerWaitMs);
        !failure.isEmpty())
        return failure;
    running = true;
    watchThisProcess();
    return QString();
}

void PgServer::watchThisProcess()
{
    if (watched)
        return;
    // The folder comes from mkdtemp and the binaries' path from the system:
    // neither holds a quote.
    const QString stopCommand =
        asServerUser({bin + "pg_ctl", "-D", dir.filePath(QStringLiteral("data")), "-m", "immediate", "stop"})
            .join(u' ');
    const QString script = QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 0.2; done; "
                                          "%2 >/dev/null 2>&1; rm -rf '%3'")
                               .arg(QCoreApplication::applicationPid())
                               .arg(stopCommand, dir.path());
    QProcess watcher;
    watcher.setProgram(QStringLiteral("sh"));
    watcher.setArguments({QStringLiteral("-c"), script});
    watcher.setStandardOutputFile(QProcess::nullDevice());
    watcher.setStandardErrorFile(QProcess::nullDevice());
    watched = watcher.startDetached();
}

QString PgServer::stop()
{
    running = false;
    return run({bin + "pg_ctl", "-D", dir.filePath(QStringLiteral("data")), "-w", "-t", "20", "-m", "fast", "stop"},
               ServerWaitMs);
}

QString PgServer::createDatabase(const QString &name, QString &url)
{
    const QString connection = QStringLiteral("pg-admin-") + name;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(serverPort);
        db.setUserName(QStringLiteral("postgres"));
        db.setDatabaseName(QStringLiteral("postgres"));
        QSqlQuery query(db);
        if (!db.open())
            failure = db.lastError().text();
        else if (!query.exec(QStringLiteral("CREATE DATABASE ") + name))
            failure = query.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    url = QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2").arg(serverPort).arg(name);
    return failure;
}

// The throw-away PostgreSQL server of the archive tests ends with its test,
// even when the test aborts and no destructor runs.

#include "support/PgServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTest>

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char AbortingChild[] = "LIFECYCLE_PG_ABORTING_CHILD";

bool listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// The child: starts a server, says where, and aborts.
int startAndAbort()
{
    PgServer server;
    const QString failure = server.start();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    std::printf("%d\n", server.port());
    std::fflush(stdout);
    std::abort();
}

}   // namespace

class PgServerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serverEndsWithAnAbortedTest()
    {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(AbortingChild), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath());
        QVERIFY(child.waitForFinished(20000));
        QVERIFY2(child.exitStatus() == QProcess::CrashExit, child.readAllStandardError().constData());
        bool read = false;
        const int port = child.readAllStandardOutput().trimmed().toInt(&read);
        QVERIFY(read && port > 0);

        QDeadlineTimer deadline(4000);
        while (listening(port) && !deadline.hasExpired())
            QTest::qWait(100);
        QVERIFY2(!listening(port), "the server of the aborted test still listens");
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(AbortingChild))
        return startAndAbort();
    PgServerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PgServerTest.moc"

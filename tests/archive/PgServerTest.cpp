// The throw-away PostgreSQL server of the archive tests ends with its test,
// even when the test aborts and no destructor runs.

#include "support/PgServer.h"

#include "support/TestKit.h"
#include <QtNetwork>

#include <cstdio>
#include <cstdlib>

namespace {

const char AbortingChild[] = "LIFECYCLE_PG_ABORTING_CHILD";

bool listening(int port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    return socket.waitForConnected(1000);
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

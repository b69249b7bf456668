// The program on its simulated tester, ended by a signal, closes as a quit would: its run open, its exit written.

#include "platform/archive/SqlArchiveStore.h"

#include "support/Fetched.h"
#include "support/TestKit.h"
#include <QtSql>
#include <csignal>

namespace {

// "samples runs open-runs last-event" of the archive.
QString look(const QString &path)
{
    ArchiveLocation location;
    location.path = path;
    SqlArchiveStore store(location);
    if (!store.open(false).isEmpty())
        return QString();
    QSqlQuery query(store.database());
    if (!query.exec("SELECT (SELECT COUNT(*) FROM samples) || ' ' || (SELECT COUNT(*) FROM runs) || ' ' || "
                    "(SELECT COUNT(*) FROM runs WHERE end_ms IS NULL) || ' ' || "
                    "(SELECT kind FROM events ORDER BY id DESC LIMIT 1)")
        || !query.next())
        return QString();
    return query.value(0).toString();
}

}   // namespace

class ProgramExitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalClosesCleanly_data()
    {
        QTest::addColumn<int>("signal");
        addRow("SIGTERM", int(SIGTERM));
        addRow("SIGINT", int(SIGINT));
    }

    void signalClosesCleanly()
    {
        QTemporaryDir dir;
        const QString archive = dir.filePath("runs.sqlite");
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(LIFECYCLE_PROGRAM), {"--simulate", "--archive", archive});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(look(archive).section(u' ', 0, 0).toInt() >= 2, 15000);
        ::kill(pid_t(program.processId()), fetched<int>("signal"));
        QVERIFY(program.waitForFinished(8000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        // Everything written, the one run left open for the next program, the file free.
        QCOMPARE(look(archive).section(u' ', 1), QStringLiteral("1 1 program exited"));
        QVERIFY(!QFile::exists(archive + ".lock"));
    }
};

QTEST_GUILESS_MAIN(ProgramExitTest)
#include "ProgramExitTest.moc"

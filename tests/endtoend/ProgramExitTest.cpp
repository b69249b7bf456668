// The program itself, on its simulated tester, ended by SIGTERM or SIGINT:
// it closes as a quit would, leaving its run open with its exit written.

#include "platform/archive/SqlArchiveStore.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

// The archive's samples so far, and the kind of its newest event.
struct ArchiveSeen
{
    qint64 samples = 0;
    QString lastEvent;
    qint64 runs = 0;
    bool open = false;   // the newest run has no end
};

ArchiveSeen look(const QString &path)
{
    ArchiveSeen seen;
    ArchiveLocation location;
    location.path = path;
    SqlArchiveStore store(location);
    if (!store.open(false).isEmpty())
        return seen;
    QSqlQuery query(store.database());
    if (query.exec("SELECT COUNT(*), (SELECT COUNT(*) FROM runs), (SELECT COUNT(*) FROM runs WHERE end_ms IS NULL) "
                   "FROM samples")
        && query.next()) {
        seen.samples = query.value(0).toLongLong();
        seen.runs = query.value(1).toLongLong();
        seen.open = query.value(2).toLongLong() == 1;
    }
    if (query.exec("SELECT kind FROM events ORDER BY id DESC LIMIT 1") && query.next())
        seen.lastEvent = query.value(0).toString();
    return seen;
}

}   // namespace

class ProgramExitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalClosesCleanly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void signalClosesCleanly()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString archive = dir.filePath("runs.sqlite");
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(LIFECYCLE_PROGRAM), {"--simulate", "--archive", archive});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(look(archive).samples >= 2, 15000);
        ::kill(pid_t(program.processId()), signal);
        QVERIFY(program.waitForFinished(8000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        // Everything written, the run left open for the next program, the file free.
        const ArchiveSeen seen = look(archive);
        QCOMPARE(seen.runs, qint64(1));
        QVERIFY(seen.open);
        QCOMPARE(seen.lastEvent, QStringLiteral("program exited"));
        QVERIFY(!QFile::exists(archive + ".lock"));
    }
};

QTEST_GUILESS_MAIN(ProgramExitTest)
#include "ProgramExitTest.moc"

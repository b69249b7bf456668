#include "platform/archive/ArchiveWriter.h"

#include "support/TestKit.h"
#include <thread>

// The archive's writer runs the program's one thread of its own. This runs
// on every platform the program is built for; the archive's other tests
// need a PostgreSQL server and run on Linux only.
class ArchiveWriterThreadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A writer started and stopped while the program goes on (as when the
    // archive is changed in the preferences), and a thread of the program's
    // that matched a regular expression, end without taking the program
    // down: with MinGW such a thread crashed as it ended.
    void threadsEndAndTheProgramGoesOn()
    {
        QTemporaryDir dir;
        ArchiveLocation location;
        location.path = dir.filePath(QStringLiteral("runs.sqlite"));
        {
            ArchiveWriter writer(location, dir.filePath(QStringLiteral("spool.sqlite")));
            writer.start();
            QVERIFY(writer.flush(5000));
        }
        QVERIFY(QFile::exists(location.path));
        bool matched = false;
        std::thread other([&matched] {
            matched = QRegularExpression(QStringLiteral("^run \\d+$")).match(QStringLiteral("run 7")).hasMatch();
        });
        other.join();
        QVERIFY(matched);
    }
};

QTEST_GUILESS_MAIN(ArchiveWriterThreadTest)
#include "ArchiveWriterThreadTest.moc"

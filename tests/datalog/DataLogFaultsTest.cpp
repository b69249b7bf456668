#include "datalog/DataLog.h"
#include "preferences/Registry.h"
#include "state/TesterState.h"

#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

// What the data log does when the disk under it misbehaves: a line cut
// short by a full disk, and a file deleted or renamed while it is open.
// Also the count of lines written that the run overview shows.
class DataLogFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void countsTheLinesWritten();
    void shortWriteLeavesTheFileAsItWas();
    void fileGoneFromItsPath_data();
    void fileGoneFromItsPath();
};

namespace {

const QString Title = QStringLiteral("Model 418C Life Cycle Tester");

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Rig
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("run.txt"));
    TesterState s;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    MemorySettingsStore store;
    Registry registry{store};
    QString title;
    int changes = 0;
    DataLog log{s, dialogs, files, registry, [this](const QString &t) { title = t; }};

    Rig()
    {
        s.vRPullUp = 1000;
        s.vRMode = 0;
        s.vSoftwareVersion = 12;
        s.vUpdateTime = QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9));
        s.vSerialNumber = QStringLiteral("A1B2C3D4");
        log.changed = [this] { ++changes; };
    }

    void sample(int cycles)
    {
        s.CycleCount = cycles;
        s.IsDirtyData = true;
        log.SaveToFile();
    }

    // The notice is posted by the writing tick; the event loop shows it.
    QStringList notices()
    {
        QCoreApplication::processEvents();
        return dialogs.calls;
    }
};

// Writes beyond `bytes` more fail as on a full disk: the kernel takes what
// fits and refuses the rest (a real short write, on any file system).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 limit)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved;
        lower.rlim_cur = rlim_t(limit);
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

} // namespace

void DataLogFaultsTest::countsTheLinesWritten()
{
    Rig rig;
    QVERIFY(rig.log.OpenFile(rig.path));
    QCOMPARE(rig.log.linesWritten(), 0);
    QVERIFY(!rig.log.lastLineTime().isValid());
    rig.sample(1);
    rig.sample(2);
    QCOMPARE(rig.log.linesWritten(), 2);
    QCOMPARE(rig.log.lastLineTime(), rig.s.vUpdateTime);

    // The header is not a sample line, and another file counts afresh.
    QString other = rig.dir.filePath(QStringLiteral("other.txt"));
    QVERIFY(rig.log.OpenFile(other));
    QCOMPARE(rig.log.linesWritten(), 0);
    QCOMPARE(rig.changes, 1 + 2 + 2);   // opened, two lines, closed and opened
}

void DataLogFaultsTest::shortWriteLeavesTheFileAsItWas()
{
    Rig rig;
    QVERIFY(rig.log.OpenFile(rig.path));
    rig.sample(1);
    const QByteArray before = readFile(rig.path);
    QVERIFY(before.endsWith("\r\n"));

    {
        // Room for a piece of the next line only.
        FileSizeLimit limit(before.size() + 40);
        rig.sample(2);
    }
    QCOMPARE(readFile(rig.path), before);
    QVERIFY(rig.s.IsDirtyData);
    QVERIFY(!rig.s.DataFileOpen);
    QCOMPARE(rig.title, Title);
    QCOMPARE(rig.notices().filter(QStringLiteral("error:File Error|Error Writing File")).size(), 1);

    // Logging resumes in the same file with whole lines only.
    QVERIFY(rig.log.OpenFile(rig.path));
    rig.sample(3);
    const QList<QByteArray> lines = readFile(rig.path).split('\n');
    QCOMPARE(lines.size(), 4);   // header, cycle 1, cycle 3, and nothing after the last line end
    QVERIFY(lines[2].startsWith("03/07/2024 14:05:09,3,"));
    QCOMPARE(lines[2].count(','), 36);
}

void DataLogFaultsTest::fileGoneFromItsPath_data()
{
    QTest::addColumn<bool>("replaced");   // another file now has the name
    QTest::newRow("deleted") << false;
    QTest::newRow("renamed, a new file under the old name") << true;
}

void DataLogFaultsTest::fileGoneFromItsPath()
{
    QFETCH(bool, replaced);
    Rig rig;
    QVERIFY(rig.log.OpenFile(rig.path));
    rig.sample(1);

    const QString moved = rig.dir.filePath(QStringLiteral("moved.txt"));
    QVERIFY(QFile::rename(rig.path, moved));
    if (replaced) {
        QFile fresh(rig.path);
        QVERIFY(fresh.open(QIODevice::WriteOnly));
    }
    const QByteArray movedBefore = readFile(moved);

    rig.sample(2);
    rig.sample(3);   // the file is closed now: nothing more goes anywhere
    QVERIFY(rig.s.IsDirtyData);
    QVERIFY(!rig.s.DataFileOpen);
    QCOMPARE(rig.title, Title);
    QCOMPARE(readFile(moved), movedBefore);
    QCOMPARE(readFile(rig.path), replaced ? QByteArray() : QByteArray("<missing>"));
    QCOMPARE(rig.notices(), QStringList{QStringLiteral("error:File Error|The data file run.txt was moved or "
                                                       "deleted.  It has been closed and the current sample "
                                                       "has not been saved.")});
}

QTEST_GUILESS_MAIN(DataLogFaultsTest)
#include "DataLogFaultsTest.moc"

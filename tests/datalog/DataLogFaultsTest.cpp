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

// The data log when the disk under it misbehaves: a line cut short by a
// full disk, and a file deleted or renamed while it is open. Either way the
// sample stays unsaved, the file is closed, the title reset, and one notice
// tells the operator.
class DataLogFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shortWriteLeavesTheFileAsItWas();
    void fileGoneFromItsPath_data();
    void fileGoneFromItsPath();
};

namespace {

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
    DataLog log{s, dialogs, files, registry, [this](const QString &t) { title = t; }};

    void sample(int cycles)
    {
        s.CycleCount = cycles;
        s.IsDirtyData = true;
        log.SaveToFile();
    }
    // The line was not saved, and the posted notice says why, once.
    void verifyRefused(const QString &notice)
    {
        QVERIFY(s.IsDirtyData);
        QVERIFY(!s.DataFileOpen);
        QCOMPARE(title, QStringLiteral("Model 418C Life Cycle Tester"));
        QCoreApplication::processEvents();
        QCOMPARE(dialogs.calls, QStringList{QStringLiteral("error:File Error|") + notice});
    }
};

} // namespace

void DataLogFaultsTest::shortWriteLeavesTheFileAsItWas()
{
    Rig rig;
    QVERIFY(rig.log.OpenFile(rig.path));
    rig.sample(1);
    const QByteArray before = readFile(rig.path);

    // The kernel takes what fits under the file size limit and refuses the
    // rest, as on a full disk: a real short write on any file system.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lower = saved;
    lower.rlim_cur = rlim_t(before.size() + 40);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &lower);
    rig.sample(2);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);

    QCOMPARE(readFile(rig.path), before);
    rig.verifyRefused(QStringLiteral("Error Writing File.  The data file has been closed and the current "
                                     "sample has not been saved."));
    // Logging resumes in the same file with whole lines only.
    QVERIFY(rig.log.OpenFile(rig.path));
    rig.sample(3);
    const QList<QByteArray> lines = readFile(rig.path).split('\n');
    QCOMPARE(lines.size(), 4);   // header, cycle 1, cycle 3, nothing after the last line end
    QCOMPARE(lines[2].split(',').value(1), QByteArray("3"));
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
    if (replaced)
        QVERIFY(QFile(rig.path).open(QIODevice::WriteOnly));
    const QByteArray movedBefore = readFile(moved);

    rig.sample(2);
    rig.sample(3);   // the file is closed now: nothing more goes anywhere
    QCOMPARE(readFile(moved), movedBefore);
    QCOMPARE(readFile(rig.path), replaced ? QByteArray() : QByteArray("<missing>"));
    rig.verifyRefused(QStringLiteral("The data file run.txt was moved or deleted.  It has been closed and the "
                                     "current sample has not been saved."));
}

QTEST_GUILESS_MAIN(DataLogFaultsTest)
#include "DataLogFaultsTest.moc"

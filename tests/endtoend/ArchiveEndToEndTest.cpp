// A tester's session writing to an SQLite run archive against the simulated
// tester: a run logged live to a new data file, written to its own run file
// and exported from the archive gives the same file, byte for byte.

#include "SimulatedRig.h"

#include "engine/archive/RunFileLog.h"
#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/session/TesterSession.h"
#include "mainwindow/TesterWindow.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("cannot read ") + path.toUtf8();
}

}   // namespace

class ArchiveEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportEqualsTheLiveLog()
    {
        QTemporaryDir dir;
        ArchiveLocation location;
        location.path = dir.filePath("runs.sqlite");
        ArchiveWriter archive(location, spoolPathFor(location, dir.path()));
        archive.start();

        SimulatedRig rig;
        rig.tester.settings().cycleLimit = 8;
        MemorySettingsStore settings;
        Registry(settings).saveRunFiles(true, dir.filePath("runs"));
        FakeMessageDialogs dialogs;
        FakeDataFileDialog files;
        FakeConfigFileDialog configFiles;
        TesterSession session({rig.port, settings, dialogs, files, configFiles, &archive}, 24 * 3600 * 1000);
        session.start();
        rig.drive(session.engine());
        QVERIFY(rig.tickUntil([&] { return session.state().DownLoadedOnce && session.engine().commReady(); }, 200));

        QString live = dir.filePath("live.txt");
        QVERIFY(session.dataLog().openFile(live));
        session.engine().sendCommand(Command::RunToLimits);
        QVERIFY(rig.tickUntil([&] { return session.state().Terminated; }, 2000));
        QVERIFY(rig.tickUntil([&] { return !session.state().Running && session.engine().commReady(); }, 200));
        const QString runFile = session.runFile().fileName();
        session.shutDown();
        archive.stop();

        SqlArchiveStore store(location);
        QCOMPARE(store.open(false), QString());
        std::vector<RunSummary> runs;
        QCOMPARE(store.listRuns(RunFilter(), runs), QString());
        QCOMPARE(int(runs.size()), 2);   // found stopped, then the test
        QCOMPARE(runs[0].endedHow, QStringLiteral("limit reached"));
        QCOMPARE(runs[0].cycles, qint64(8));
        QCOMPARE(runs[1].endedHow, QStringLiteral("stopped"));
        const QString exported = dir.filePath("exported.txt");
        QCOMPARE(exportRunToFile(store, runs[0].id, exported), QString());

        QCOMPARE(contentOf(exported), contentOf(live));
        // Both runs began within a second: the second file's name is told apart.
        QVERIFY(QFileInfo(runFile).fileName().startsWith(runFileName("41800123", runs[0].start).chopped(4)));
        QCOMPARE(contentOf(runFile), contentOf(live));
        QCOMPARE(contentOf(live).count('\n'), 1 + runs[0].samples);
        QCOMPARE(dialogs.calls, QStringList());
    }

    void closingOffersTheRunSoFar_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("readable");           // the window can read the archive
        QTest::addColumn<QStringList>("questions");   // after the offer
        QTest::newRow("exported") << "" << true << QStringList();
        QTest::newRow("export fails: the last sample is still asked for")
            << "no such folder/" << true << QStringList{"error:File Error", "yesno:Save Data|The current test data"};
        QTest::newRow("the archive cannot be read: said, and the last sample asked for")
            << "" << false << QStringList{"error:Run Archive", "yesno:Save Data|The current test data"};
    }

    // Samples came with no data file open: closing offers the whole run so
    // far from the archive, and then does not ask about the last sample.
    void closingOffersTheRunSoFar()
    {
        QTemporaryDir dir;
        ArchiveLocation location;
        location.path = dir.filePath("runs.sqlite");
        ArchiveWriter archive(location, spoolPathFor(location, dir.path()));
        archive.start();
        SimulatedRig rig;
        MemorySettingsStore settings;
        FakeMessageDialogs dialogs;
        FakeDataFileDialog files;
        FakeConfigFileDialog configFiles;
        TesterSession session({rig.port, settings, dialogs, files, configFiles, &archive}, 24 * 3600 * 1000);
        TesterWindow form(session);
        QFETCH(bool, readable);
        form.setRunCatalogSource([&](QString &failure) -> std::unique_ptr<RunCatalog> {
            if (readable)
                return readArchiveOf(archive, 10000, failure);
            failure = QStringLiteral("The archive cannot be read.");
            return nullptr;
        });
        QFETCH(QString, folder);
        const QString path = dir.filePath(folder + "so far.txt");
        QString suggested;
        form.chooseRunExportFile = [&](const QString &name) {
            suggested = name;
            return path;
        };
        session.start();
        form.show();
        rig.drive(session.engine());
        QVERIFY(rig.tickUntil([&] { return session.state().DownLoadedOnce && session.engine().commReady(); }, 200));
        session.engine().sendCommand(Command::RunToLimits);
        QVERIFY(rig.tickUntil([&] { return session.runRecorder().unloggedSamples() >= 4; }, 2000));
        QVERIFY(form.findChild<QPushButton *>("ExportRunButton")->isVisible());

        dialogs.answers = {AnswerYes, AnswerNo};
        QVERIFY(form.close());
        QVERIFY2(dialogs.calls.value(0).startsWith("yesno:Save Data|4 samples of this run"),
                 qPrintable(dialogs.calls.value(0)));
        QVERIFY(!readable || suggested.startsWith("41800123 "));
        QFETCH(QStringList, questions);
        QCOMPARE(dialogs.calls.size(), 1 + questions.size());
        for (int i = 0; i < questions.size(); ++i)
            QVERIFY2(dialogs.calls[i + 1].startsWith(questions[i]), qPrintable(dialogs.calls[i + 1]));
        if (!questions.isEmpty())
            return;
        QCOMPARE(contentOf(path).count('\n'), 1 + 4);
        QVERIFY(contentOf(path).startsWith(QByteArray(DataLogHeader)));
    }
};

QTEST_MAIN(ArchiveEndToEndTest)
#include "ArchiveEndToEndTest.moc"

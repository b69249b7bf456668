// A tester's session writing to an SQLite run archive against the simulated
// tester: a run logged live to a new data file, written to its own run file
// and exported from the archive gives the same file, byte for byte; the web
// view's samples of that run carry the data log's values in its units.

#include "SimulatedRig.h"

#include "engine/archive/RunFileLog.h"
#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/session/TesterSession.h"
#include "engine/web/WebView.h"
#include "mainwindow/TesterWindow.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("cannot read ") + path.toUtf8();
}

WebView::ArchiveReader readerOf(const ArchiveLocation &location)
{
    return [location](QString &failure) -> std::unique_ptr<RunCatalog> {
        auto store = std::make_unique<SqlArchiveStore>(location);
        failure = store->open(false);
        return failure.isEmpty() ? std::move(store) : nullptr;
    };
}

QByteArray answerOf(const WebView &view, const QByteArray &target)
{
    const WebView::Reply reply = view.answer({"GET", target, {{"Host", "127.0.0.1"}}});
    if (!reply.stream)
        return reply.body;
    QByteArray body;
    for (QByteArray piece = reply.stream->next(); !piece.isEmpty(); piece = reply.stream->next())
        body += piece;
    return body;
}

// Each sample of the web view against the data log line of the same sample:
// the same numbers in the same units, an open contact null and flagged.
void compareWithTheLog(const QJsonObject &run, const QByteArray &log)
{
    QList<QByteArray> lines = log.trimmed().split('\n');
    lines.removeFirst();   // the header
    const QJsonArray samples = run["samples"].toArray();
    QCOMPARE(samples.size(), lines.size());
    QVERIFY(samples.size() > 3);
    const QList<QByteArray> firstFields = lines.first().trimmed().split(',');
    const char *modes[] = {"resistance", "current", "voltage"};
    QCOMPARE(run["mode"].toString(), QString(modes[firstFields[33].toInt()]));
    for (int i = 0; i < samples.size(); ++i) {
        const QJsonObject sample = samples[i].toObject();
        const QList<QByteArray> f = lines[i].trimmed().split(',');
        QCOMPARE(sample["cycles"].toInt(), f[1].toInt());
        QCOMPARE(sample["failures"].toInt(), f[2].toInt());
        QCOMPARE(sample["sequentialFailures"].toInt(), f[3].toInt());
        const struct
        {
            const char *name, *open;
            int column;
        } values[] = {{"downContact", "downOpen", 10}, {"upContact", "upOpen", 11}, {"downBounce", nullptr, 12},
                      {"upBounce", nullptr, 13},       {"downTime", nullptr, 14},   {"upTime", nullptr, 15}};
        for (const auto &value : values) {
            const double logged = f[value.column].toDouble();
            if (value.open && sample[value.open].toBool()) {
                // The log writes an open contact as twice the largest reading.
                QVERIFY(sample[value.name].isNull());
                QCOMPARE(logged, 2 * f[34].toDouble() * 1022);
                continue;
            }
            QCOMPARE(sample[value.name].toDouble(), logged);
        }
        QCOMPARE(sample["errorCode"].toInt(), f[16].toInt());
    }
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
        ArchiveWriter archive(location, SpoolPathFor(location, dir.path()));
        archive.start();

        SimulatedRig rig;
        rig.tester.settings().cycleLimit = 8;
        MemorySettingsStore settings;
        Registry(settings).SaveRunFiles(true, dir.filePath("runs"));
        FakeMessageDialogs dialogs;
        FakeDataFileDialog files;
        FakeConfigFileDialog configFiles;
        TesterSession session({rig.port, settings, dialogs, files, configFiles, &archive}, 24 * 3600 * 1000);
        session.start();
        rig.drive(session.engine());
        QVERIFY(rig.tickUntil([&] { return session.state().DownLoadedOnce && session.engine().CommReady(); }, 200));

        QString live = dir.filePath("live.txt");
        QVERIFY(session.dataLog().OpenFile(live));
        session.engine().SendCommand(Command::RunToLimits);
        QVERIFY(rig.tickUntil([&] { return session.state().Terminated; }, 2000));
        QVERIFY(rig.tickUntil([&] { return !session.state().Running && session.engine().CommReady(); }, 200));
        const QString runFile = session.runFile().fileName();

        // The web view links the tester to its run once the archive holds it.
        WebView view([&] { return std::vector<const TesterSession *>{&session}; }, "<html>");
        view.setArchive(readerOf(location));
        const auto currentRun = [&]() -> QJsonValue {
            return QJsonDocument::fromJson(answerOf(view, "/api/testers")).array().at(0).toObject().value("runId");
        };
        QTRY_VERIFY_WITH_TIMEOUT(!currentRun().isNull(), 10000);
        const qint64 currentRunId = currentRun().toInteger();
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
        QCOMPARE(ExportRun(store, runs[0].id, exported), QString());

        QCOMPARE(contentOf(exported), contentOf(live));
        QCOMPARE(currentRunId, runs[0].id);
        const QByteArray samples = answerOf(view, "/api/runs/" + QByteArray::number(runs[0].id) + "/samples");
        compareWithTheLog(QJsonDocument::fromJson(samples).object(), contentOf(live));
        if (QTest::currentTestFailed())
            return;
        // Both runs began within a second: the second file's name is told apart.
        QVERIFY(QFileInfo(runFile).fileName().startsWith(RunFileName("41800123", runs[0].start).chopped(4)));
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
        ArchiveWriter archive(location, SpoolPathFor(location, dir.path()));
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
                return ReadArchiveOf(archive, 10000, failure);
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
        QVERIFY(rig.tickUntil([&] { return session.state().DownLoadedOnce && session.engine().CommReady(); }, 200));
        session.engine().SendCommand(Command::RunToLimits);
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

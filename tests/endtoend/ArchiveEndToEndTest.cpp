// A tester's session against the simulated tester, writing to an SQLite run
// archive: the run's own data file and its export agree byte for byte.

#include "SimulatedRig.h"

#include "app/AppOptions.h"
#include "app/ArchiveCommands.h"
#include "engine/archive/RunFileLog.h"
#include "engine/archive/RunRecorder.h"
#include "engine/archive/RunTrend.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/session/TesterSession.h"
#include "engine/trend/TrendHistory.h"
#include "engine/web/WebView.h"
#include "mainwindow/TesterWindow.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/Fetched.h"
#include "support/MemorySettingsStore.h"
#include "support/OneLine.h"
#include "support/ReplyBody.h"

#include "support/TestKit.h"
#include <QtWidgets>

#include <cstdio>
#include <unistd.h>

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
    return bodyOf(view.answer({"GET", target, {{"Host", "127.0.0.1"}}}));
}

ArchiveLocation sqliteIn(const QTemporaryDir &dir)
{
    ArchiveLocation location;
    location.path = dir.filePath("runs.sqlite");
    return location;
}

// A simulated tester and an SQLite run archive in a folder of their own, the rest of a session's
// world faked; `runFiles`: every run is also written to a file of its own.
struct ArchivedRig
{
    explicit ArchivedRig(bool runFiles)
    {
        archive.start();
        if (runFiles)
            Registry(settings).saveRunFiles(true, dir.filePath("runs"));
    }
    SessionOutside outside() { return {rig.port, settings, dialogs, files, configFiles, &archive}; }
    // The session has its tester's first sample and nothing in flight.
    bool ready(TesterSession &session)
    {
        return rig.tickUntil([&] { return session.state().session.downloadedOnce && session.engine().commReady(); },
                             200);
    }
    bool started(TesterSession &session)
    {
        session.start();
        rig.drive(session.engine());
        return ready(session);
    }

    QTemporaryDir dir;
    ArchiveLocation location = sqliteIn(dir);
    ArchiveWriter archive{location, spoolPathFor(location, dir.path())};
    SimulatedRig rig;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    FakeConfigFileDialog configFiles;
};

// The session's own poll timer never fires: the rig drives its ticks.
constexpr int DayMs = 24 * 3600 * 1000;

// Programs one after another against the rig's tester, each step of a row
// played in turn; counts the samples they take.
struct Programs
{
    explicit Programs(ArchivedRig &r) : r(r) {}
    bool ready() const { return session->state().session.downloadedOnce && session->engine().commReady(); }
    bool samples(int n)
    {
        const int until = taken + n;
        return r.rig.tickUntil([&] { return taken >= until && ready(); }, 400);
    }
    void atPanel(const QByteArray &command)
    {
        r.rig.tester.receive("\x1b" + command + "\r");
        r.rig.tester.takeOutput();
    }
    void play(const QString &steps)
    {
        for (const QChar step : steps) {
            switch (step.unicode()) {
            case 'P':
                if (session)
                    session->shutDown();
                session.reset();
                r.rig.port.close();   // as the system closes it when a program ends
                // Samples are stamped by the wall clock: a program starts a millisecond or more
                // after the last sample of the one before, as it always does outside a test.
                QTest::qSleep(2);
                session = std::make_unique<TesterSession>(r.outside(), DayMs);
                QObject::connect(session.get(), &TesterSession::sampleDecoded, [this] { ++taken; });
                QVERIFY(r.started(*session));
                break;
            case 'K':
                session.reset();
                r.rig.port.close();
                break;
            case 'R': session->engine().sendCommand(Command::RunToLimits); break;
            case 'S':
                session->engine().sendCommand(Command::Stop);
                QVERIFY(r.rig.tickUntil([&] { return !session->state().counters.running && ready(); }, 400));
                session->engine().sendCommand(Command::SampleData);   // the sample that shows it stopped
                QVERIFY(samples(1));
                break;
            case 'Z':
                for (const Command clear : {Command::ClearCycleCount, Command::ClearFailCount, Command::SampleData}) {
                    QVERIFY(r.rig.tickUntil([&] { return ready(); }, 400));
                    session->engine().sendCommand(clear);
                }
                QVERIFY(r.rig.tickUntil([&] { return session->state().counters.cycleCount == 0 && ready(); }, 400));
                break;
            case 'w': QVERIFY(samples(3)); break;
            case 'T': r.rig.tester.advance(10000); break;
            case 'X': atPanel("CB"); break;
            case 'H': atPanel("A1"); break;
            case 'Q':
                r.rig.tester.config().silent = true;
                r.rig.tick(40000 / 50);
                QVERIFY(session->glance().link().state() != LinkHistory::State::Connected);
                r.rig.tester.config().silent = false;
                QVERIFY(r.rig.tickUntil([&] { return ready(); }, 400));
                break;
            }
        }
    }

    ArchivedRig &r;
    std::unique_ptr<TesterSession> session;
    int taken = 0;
};

}   // namespace

class ArchiveEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A run to its limit is one run, ended there, linked on the web view while the tester runs it; its own
    // data file is its export. (The data log writes the same lines: DataLogTest.)
    void runToItsLimitIsArchived()
    {
        ArchivedRig r(true);
        r.rig.tester.settings().cycleLimit = 8;
        TesterSession session(r.outside(), DayMs);
        QVERIFY(r.started(session));
        session.engine().sendCommand(Command::RunToLimits);
        QVERIFY(r.rig.tickUntil([&] { return session.state().session.terminated; }, 2000));
        QVERIFY(
            r.rig.tickUntil([&] { return !session.state().counters.running && session.engine().commReady(); }, 200));
        const QString runFile = session.runFile().fileName();

        // The web view links the tester to its run once the archive holds it.
        WebView view([&] { return std::vector<const TesterSession *>{&session}; }, "<html>");
        view.setArchive(readerOf(r.location));
        const auto currentRun = [&]() -> QJsonValue {
            return QJsonDocument::fromJson(answerOf(view, "/api/testers")).array().at(0).toObject().value("runId");
        };
        QTRY_VERIFY_WITH_TIMEOUT(!currentRun().isNull(), 10000);
        const qint64 currentRunId = currentRun().toInteger();
        session.shutDown();
        r.archive.stop();

        SqlArchiveStore store(r.location);
        QCOMPARE(store.open(false), QString());
        std::vector<RunSummary> runs;
        QCOMPARE(store.listRuns(RunFilter(), runs), QString());
        QCOMPARE(int(runs.size()), 1);   // found stopped at 0, then the test: one climb of the count
        const RunSummary &run = runs[0];
        // The run as the web view linked and shows it: each sample's fields there are the view's own test.
        const QByteArray samples = answerOf(view, "/api/runs/" + QByteArray::number(run.id) + "/samples");
        const QJsonArray shown = QJsonDocument::fromJson(samples).object()["samples"].toArray();
        QCOMPARE(oneLine(run.endedHow, run.cycles, run.id == currentRunId, shown.size() == run.samples,
                         shown.last()["cycles"].toInteger()),
                 "stopped at cycle limit 8 1 1 8");
        QVERIFY(QFileInfo(runFile).fileName().startsWith(runFileName("41800123", run.start).chopped(4)));
        const QString exported = r.dir.filePath("exported.txt");
        QCOMPARE(exportRunToFile(store, run.id, exported), QString());
        QCOMPARE(contentOf(runFile), contentOf(exported));
        QCOMPARE(r.dialogs.calls, QStringList());
    }

    // --export-run last on an archive that holds no run says so, fails and writes no file.
    void exportOfNoRunSaysSo()
    {
        QTemporaryDir dir;
        const ArchiveLocation location = sqliteIn(dir);
        QCOMPARE(SqlArchiveStore(location).open(true), QString());
        const QString out = dir.filePath("out.txt");
        const AppOptions options =
            parseCommandLine({"lifecycle", "--archive", location.path, "--export-run", "last", out});
        MemorySettingsStore settings;
        QTemporaryFile said;   // stderr, while the command runs
        QVERIFY(said.open());
        std::fflush(stderr);
        const int kept = ::dup(2);
        ::dup2(said.handle(), 2);
        const int exitCode = runArchiveCommand(options, settings);
        std::fflush(stderr);
        ::dup2(kept, 2);
        ::close(kept);
        said.seek(0);
        QCOMPARE(QString::fromUtf8(said.readAll()),
                 QStringLiteral("lifecycle: The run archive %1 holds no run.\n").arg(location.shown()));
        QCOMPARE(exitCode, 2);
        QVERIFY(!QFile::exists(out));
        // Listing the same empty archive is no failure: it lists nothing.
        QCOMPARE(
            runArchiveCommand(parseCommandLine({"lifecycle", "--archive", location.path, "--list-runs"}), settings), 0);
    }

    void runSpansTheClimbOfTheCount_data()
    {
        // Steps: P a program starts (the one before closes first), K the
        // program is killed, R run to limits, S stop, Z the counters reset
        // from here, w three more samples; the tester alone: T runs on for
        // 10 s, X its counters reset at its panel, H stopped at its panel;
        // Q the tester silent for 40 s. Before the first program the tester
        // ran 5 cycles. Ends: how each run stands, oldest first; breaks: in
        // the newest run's trend.
        addColumns<QString, QStringList, int>("steps", "ends", "breaks");
        const QStringList open{""}, atTester{"stopped at the tester"};
        addRow("a restart with the tester running on", "PRwTPw", open, 1);
        addRow("killed, then started again", "PRwKTPw", open, 1);
        addRow("40 s of silence", "PRwQw", open, 1);
        addRow("two starts against a stopped tester", "PPP", atTester, 2);
        addRow("stopped at the panel while nobody watched", "PRwKHP", atTester, 1);
        addRow("a reset after a stop", "PRwSZ", QStringList{"stopped by the operator", "stopped at the tester"}, 0);
        addRow("a panel reset seen as a lower count", "PRwTwKXPw", QStringList{"counters reset", ""}, 0);
    }

    // Programs one after another: a run is one climb of its count, whatever happens on the way;
    // it holds each sample once, in order, and so does its own data file.
    void runSpansTheClimbOfTheCount()
    {
        ArchivedRig r(true);
        r.rig.tester.settings().cycleLimit = 100000;
        r.rig.runCycles(5);
        Programs programs(r);
        programs.play(fetched<QString>("steps") + u'K');
        if (QTest::currentTestFailed())
            return;
        r.archive.stop();

        SqlArchiveStore store(r.location);
        QCOMPARE(store.open(false), QString());
        std::vector<RunSummary> runs;
        QCOMPARE(store.listRuns(RunFilter(), runs), QString());
        QStringList ends, exported;
        qint64 archived = 0;
        for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
            ends << run->endedHow;
            archived += run->samples;
            const QString path = r.dir.filePath(QStringLiteral("run%1.txt").arg(run->id));
            QCOMPARE(exportRunToFile(store, run->id, path), QString());
            exported << QString::fromLatin1(contentOf(path));
        }
        QCOMPARE(archived, qint64(programs.taken));   // every sample the programs took, none twice
        QTEST(ends, "ends");
        // One data file per run, appended to across restarts.
        QStringList written;
        for (const QFileInfo &file : QDir(r.dir.filePath("runs")).entryInfoList(QDir::Files))
            written << QString::fromLatin1(contentOf(file.filePath()));
        written.sort();
        exported.sort();
        QCOMPARE(written, exported);
        // The trend breaks where a program started again or the link was found.
        TrendHistory trend;
        QCOMPARE(readRunTrend(store, runs.front().id, trend), QString());
        int breaks = 0;
        for (size_t i = 1; i < trend.size(); ++i)
            breaks += trend.joinBefore(i, std::numeric_limits<int64_t>::max()) == TrendJoin::NewSession;
        QTEST(breaks, "breaks");
    }

    void closingOffersTheRunSoFar_data()
    {
        // readable: the window can read the archive; choice: 0 export, 1 last sample, 2 don't save, 3 cancel;
        // questions: those after the one question; lines: in the file written, header included, -1 none.
        addColumns<bool, QString, bool, int, QStringList, int, bool>("runFiles", "folder", "readable", "choice",
                                                                     "questions", "lines", "closed");
        const QStringList none, lastSample{"yesno:Save Data|The current test data"};
        addRow("exported", false, "", true, 0, none, 1 + 4, true);
        addRow("export fails: the last sample is still asked for", false, "no such folder/", true, 0,
               QStringList{"error:File Error"} + lastSample, -1, true);
        addRow("the archive cannot be read: said, and the last sample asked for", false, "", false, 0,
               QStringList{"error:Run Archive"} + lastSample, -1, true);
        addRow("the last sample only", false, "", true, 1, none, 1 + 1, true);
        addRow("not saved", false, "", true, 2, none, -1, true);
        addRow("cancelled: the window stays", false, "", true, 3, none, -1, false);
        addRow("every run to its own file: nothing asked", true, "", true, 2, none, -1, true);
    }

    // Samples came with no data file open: closing offers the run so far
    // from the archive, the last sample alone, no saving or cancel. A run's
    // own file is its data file: the strip names it, nothing
    // is offered for export, closing asks nothing.
    void closingOffersTheRunSoFar()
    {
        QFETCH(bool, runFiles);
        ArchivedRig r(runFiles);
        TesterSession session(r.outside(), DayMs);
        TesterWindow form(session);
        QFETCH(bool, readable);
        form.setRunCatalogSource([&](QString &failure) -> std::unique_ptr<RunCatalog> {
            if (readable)
                return readArchiveOf(r.archive, 10000, failure);
            failure = QStringLiteral("The archive cannot be read.");
            return nullptr;
        });
        const QString path = r.dir.filePath(fetched<QString>("folder") + "so far.txt");
        QString suggested;
        form.chooseRunExportFile = [&](const QString &name) {
            suggested = name;
            return path;
        };
        form.show();
        QVERIFY(r.started(session));
        session.engine().sendCommand(Command::RunToLimits);
        QVERIFY(r.rig.tickUntil(
            [&] { return session.runFile().linesWritten() + session.runRecorder().unloggedSamples() >= 4; }, 2000));
        QCOMPARE(form.findChild<QPushButton *>("ExportRunButton")->isVisible(), !runFiles);
        const QString name = QFileInfo(session.runFile().fileName()).fileName();
        const auto *strip = form.findChild<QLineEdit *>("loggingText");
        QVERIFY2(!runFiles || (name.startsWith("41800123 ") && strip->text().startsWith(name + ": ")),
                 qPrintable(strip->text()));
        QCOMPARE(strip->palette().color(QPalette::Text) == form.palette().color(QPalette::Text), runFiles);
        QCOMPARE(session.runRecorder().unloggedSamples() == 0, runFiles);

        QFETCH(int, choice);
        r.files.choices = {path};   // the last sample's file
        r.dialogs.answers = {int16_t(choice), AnswerNo};
        QCOMPARE(form.close(), fetched<bool>("closed"));
        const QString asked = "choice:Save Data|4 samples of this run are in no data file.  Do you want to export the "
                              "run so far from the run archive to a data file, or save only the last sample?|Export "
                              "Run So Far.../Save Last Sample.../Don't Save/Cancel";
        QCOMPARE(r.dialogs.calls.value(0), runFiles ? QString() : asked);
        QVERIFY(!readable || choice != 0 || suggested.startsWith("41800123 "));
        QFETCH(QStringList, questions);
        QCOMPARE(r.dialogs.calls.size(), int(!runFiles) + questions.size());
        for (int i = 0; i < questions.size(); ++i)
            QVERIFY2(r.dialogs.calls[i + 1].startsWith(questions[i]), qPrintable(r.dialogs.calls[i + 1]));
        QFETCH(int, lines);
        QCOMPARE(QFile::exists(path), lines >= 0);
        if (lines >= 0)
            QCOMPARE(contentOf(path).count('\n'), lines);
    }
};

QTEST_MAIN(ArchiveEndToEndTest)
#include "ArchiveEndToEndTest.moc"

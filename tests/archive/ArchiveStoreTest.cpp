// The run archive on an SQLite file and on a PostgreSQL server the test
// starts itself (it fails, never skips, when the server cannot start).

#include "engine/archive/RunRecorder.h"
#include "engine/archive/RunTrend.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeArchiveSink.h"
#include "support/Fetched.h"
#include "support/PgServer.h"
#include "support/TestKit.h"

#include <QtSql>

namespace {

// Well inside a test function's 25 s: a write that never comes names its wait.
constexpr int WriteTimeoutMs = 10000;

// One tester's run through the real rules: samples every second from
// 14:02:11, a limit changed half-way, the end signalled, a final sample.
struct RecordedRun
{
    RecordedRun(const QString &serial, int samples, const QDateTime &start,
                const QString &host = QStringLiteral("station"))
        : recorder{s, sink, host, QStringLiteral("1.0.0")}
    {
        s.identity.serialNumber = serial;
        s.identity.softwareVersion = 12;
        s.reported.rangePullUp = 1000;
        s.reported.rangeMode = 0;
        s.reported.contact = 241;
        s.reported.cycleLimit = samples * 7;
        s.reported.maxDownResistTol = 100;
        s.reported.maxDownBounceTol = 3125;
        recorder.runStarted(start);
        for (int i = 1; i <= samples; ++i) {
            s.counters.running = i < samples;
            s.counters.updateTime = start.addSecs(i);
            s.counters.cycleCount = i * 7;
            s.counters.failCount = i / 3;
            s.counters.lastDownResistance = 3 + i % 5;
            s.counters.lastUpBounceTime = 100 + i;
            s.counters.errorCode = TesterState::Integer(i % 2 ? 0 : 32);
            if (i == samples / 2)
                s.reported.failLimit = 50;
            if (i == samples - 1)
                recorder.limitReached(s.counters.updateTime);
            recorder.sampleTaken();
            lines << sampleLogLine(s);
        }
    }

    TesterState s;
    FakeArchiveSink sink;
    RunRecorder recorder;
    QStringList lines;
};

// The runs a filter lists, newest first; a failure to list fails the test.
std::vector<RunSummary> listed(SqlArchiveStore &store, const RunFilter &filter = RunFilter())
{
    std::vector<RunSummary> runs;
    if (const QString failure = store.listRuns(filter, runs); !failure.isEmpty())
        QTest::qFail(qPrintable(failure), __FILE__, __LINE__);
    return runs;
}

// A run's samples as data log lines or cycle counts, then any failure.
QStringList readLines(SqlArchiveStore &store, qint64 id, bool countsOnly = false)
{
    QStringList lines;
    const QString failure = store.readRun(id, [&](const TesterState &s) {
        lines << (countsOnly ? QString::number(s.counters.cycleCount) : sampleLogLine(s));
    });
    if (!failure.isEmpty())
        lines << failure;
    return lines;
}

// Each run's lines, newest first, or the failure that stopped the reading.
QList<QStringList> runLines(const ArchiveLocation &location)
{
    SqlArchiveStore store(location);
    if (const QString failure = store.open(false); !failure.isEmpty())
        return {{failure}};
    QList<QStringList> lines;
    for (const RunSummary &run : listed(store))
        lines << readLines(store, run.id);
    return lines;
}

// The names of an archive table's columns, "a, b, c".
template <size_t Count>
QString namesOf(const ArchiveColumn (&columns)[Count])
{
    QStringList names;
    for (const ArchiveColumn &c : columns)
        names << c.name;
    return names.join(", ");
}

// The runs oldest first: "S/N: counts | end" each.
QStringList runsOf(SqlArchiveStore &store)
{
    const std::vector<RunSummary> runs = listed(store);
    QStringList shown;
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        const QStringList counts = readLines(store, run->id, true);
        shown << QStringLiteral("%1: %2 | %3").arg(run->serialNumber, counts.join(u' '), run->endedHow);
        if (run->samples != counts.size() || run->cycles != counts.value(counts.size() - 1).toLongLong())
            shown << QStringLiteral("totals differ");
    }
    return shown;
}

// Hands a writer a run's records from `from` up to `to`.
void post(ArchiveWriter &writer, RecordedRun &run, size_t from = 0, size_t to = SIZE_MAX)
{
    for (size_t i = from; i < std::min(to, run.sink.records.size()); ++i)
        writer.post(std::move(run.sink.records[i]));
}

// A run as the program before the one-climb rule wrote it.
struct OldRuleRun
{
    OldRuleRun(std::vector<ArchiveRecord> &records, const QString &serial, const QDateTime &start, bool running,
               const QList<int> &counts, int endedHow)
    {
        const auto add = [&](ArchiveRecord::Kind kind, int code, int second) {
            ArchiveRecord r;
            r.kind = kind;
            r.runKey = key;
            r.code = code;
            r.setAt(start.addSecs(second));
            return &records.emplace_back(std::move(r));
        };
        ArchiveRecord *begun = add(ArchiveRecord::RunBegun, running ? 1 : 0, 0);
        begun->text = serial;
        begun->host = "station";
        begun->programVersion = "0.9";
        begun->numbers[ConfigColumnCount - 1] = 12;
        add(ArchiveRecord::Event, int(RunEvent::LinkFound), 0);
        for (int i = 0; i < counts.size(); ++i)
            add(ArchiveRecord::Sample, 0, i + 1)->numbers[0] = counts[i];
        if (endedHow)
            add(ArchiveRecord::RunEnded, endedHow, int(counts.size()));
    }
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
};

}   // namespace

class ArchiveStoreTest : public QObject
{
    Q_OBJECT

private:
    PgServer server;
    QTemporaryDir dir;
    int archives = 0;

    // A new empty archive of the kind given, or of the kind the row names.
    ArchiveLocation newArchive(const QString &backend = fetched<QString>("backend"))
    {
        ArchiveLocation location;
        const QString name = QStringLiteral("archive%1").arg(++archives);
        if (backend == QLatin1String("sqlite")) {
            location.path = dir.filePath(name + QStringLiteral(".sqlite"));
            return location;
        }
        QString url;
        const QString failure = server.createDatabase(name, url);
        if (!failure.isEmpty())
            qWarning("%s", qPrintable(failure));
        parseArchiveLocation(url, location);
        return location;
    }

    static void backends()
    {
        QTest::addColumn<QString>("backend");
        addRow("sqlite", "sqlite");
        addRow("postgresql", "postgresql");
    }

private Q_SLOTS:
    // A run's trend breaks where a program started or a lost link was found
    // again, not where a just-started program finds its tester after its
    // first sample. Steps a second apart: s sample, P program started, L link lost, F link found.
    void trendBreaksWhereWatchingResumed_data()
    {
        addColumns<QString, int>("steps", "breaks");
        addRow("found by the program that just started", "sPsFs", 1);
        addRow("a lost link found again", "sLsFs", 1);
        addRow("a program started after a loss", "sLPFs", 1);
        addRow("two programs", "sPsPFs", 2);
        addRow("found before any sample", "FPs", 0);
    }
    void trendBreaksWhereWatchingResumed()
    {
        SqlArchiveStore store(newArchive("sqlite"));
        QCOMPARE(store.open(true), QString());
        TesterState s;
        QFETCH(QString, steps);
        std::vector<ArchiveRecord> records(size_t(steps.size()) + 1);
        records[0].kind = ArchiveRecord::RunBegun;
        records[0].text = QStringLiteral("41800123");
        records[0].numbers = configNumbers(s);
        const RunEvent kinds[] = {RunEvent::ProgramStarted, RunEvent::LinkLost, RunEvent::LinkFound};
        for (int i = 0; i <= steps.size(); ++i) {
            ArchiveRecord &r = records[size_t(i)];
            r.runKey = QStringLiteral("run");
            r.setAt(QDateTime(QDate(2026, 12, 1), QTime(8, 0)).addSecs(i));
            if (i == 0)
                continue;
            const int which = QStringLiteral("PLF").indexOf(steps[i - 1]);
            r.kind = which < 0 ? ArchiveRecord::Sample : ArchiveRecord::Event;
            r.code = which < 0 ? 0 : qint32(kinds[which]);
            s.counters.cycleCount = i;
            r.numbers = sampleNumbers(s);
        }
        QCOMPARE(store.write(records), QString());
        qint64 id = 0;
        QCOMPARE(store.lastRunId(id), QString());
        TrendHistory trend;
        QCOMPARE(readRunTrend(store, id, trend), QString());
        int breaks = 0;
        for (size_t i = 1; i < trend.size(); ++i)
            breaks += trend.joinBefore(i, std::numeric_limits<int64_t>::max()) == TrendJoin::NewSession;
        QTEST(breaks, "breaks");
    }

    void initTestCase()
    {
        const QString failure = server.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void writeListAndExport_data() { backends(); }

    // Two batches, the configuration changed in the middle: the list shows
    // the run, the export gives back every line as it was logged.
    void writeListAndExport()
    {
        const QDateTime start(QDate(2026, 12, 6), QTime(14, 2, 11), Qt::OffsetFromUTC, 3600);
        RecordedRun run(QStringLiteral("41800123"), 40, start);
        SqlArchiveStore store(newArchive());
        QCOMPARE(store.open(true), QString());
        const auto middle = run.sink.records.cbegin() + 10;
        QCOMPARE(store.write(std::vector<ArchiveRecord>(run.sink.records.cbegin(), middle)), QString());
        QCOMPARE(store.write(std::vector<ArchiveRecord>(middle, run.sink.records.cend())), QString());
        const std::vector<RunSummary> runs = listed(store);
        QCOMPARE(int(runs.size()), 1);
        QCOMPARE(
            runListLine(runs[0]),
            QStringLiteral(
                "%1\t41800123\t2026-12-06T14:02:12+01:00\t2026-12-06T14:02:51+01:00\t280\t13\tstopped at cycle limit\t\t\t")
                .arg(runs[0].id));
        QCOMPARE(runs[0].samples, qint64(40));
        qint64 last = 0;
        QCOMPARE(store.lastRunId(last), QString());
        QCOMPARE(readLines(store, last), run.lines);
        std::vector<ArchivedEvent> events;   // in order, with their details
        QCOMPARE(store.readEvents(last, events), QString());
        QStringList told;
        for (const ArchivedEvent &e : events)
            told << e.at.toString(Qt::ISODate) + u' ' + e.kind + u'|' + e.detail;
        QCOMPARE(told, QStringList({"2026-12-06T14:02:12+01:00 program started|station",
                                    "2026-12-06T14:02:51+01:00 stopped|stopped at cycle limit"}));

        // An older file of that name is replaced: the save dialog asked first.
        const QString path = dir.filePath(QStringLiteral("export%1.txt").arg(archives));
        QFile older(path);
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("an older export\r\n") > 0);
        older.close();
        QCOMPARE(exportRunToFile(store, last, path), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), (QStringList{DataLogHeader} + run.lines).join("\r\n").toLatin1() + "\r\n");
        QVERIFY(!exportRunToFile(store, last + 1, path).isEmpty());
    }

    void filtersAndPages_data() { backends(); }

    // Three runs of two testers on two stations: each filter lists the runs
    // it should, newest first, and counts them whatever the page.
    void filtersAndPages()
    {
        SqlArchiveStore store(newArchive());
        QCOMPARE(store.open(true), QString());
        const QDateTime day(QDate(2026, 12, 1), QTime(8, 0));
        const RecordedRun runs[] = {{"41800123", 10, day, "lab-1"},
                                    {"41800124", 10, day.addDays(2), "LAB-2"},
                                    {"418001234", 3, day.addDays(4), "lab-1"}};
        for (const RecordedRun &run : runs)
            QCOMPARE(store.write(run.sink.records), QString());
        const std::vector<RunSummary> all = listed(store);
        QCOMPARE(int(all.size()), 3);
        const qint64 first = all[2].id;   // the ids of the runs in the order written
        const struct
        {
            const char *name;
            std::function<void(RunFilter &)> set;
            QList<int> runs;   // by the order written, newest first
            qint64 total;
        } filters[] = {
            {"none", [](RunFilter &) {}, {2, 1, 0}, 3},
            {"whole serial", [](RunFilter &f) { f.serialNumber = "41800123", f.wholeSerial = true; }, {0}, 1},
            {"inside the serial", [](RunFilter &f) { f.serialNumber = "0012"; }, {2, 1, 0}, 3},
            {"no such serial", [](RunFilter &f) { f.serialNumber = "999"; }, {}, 0},
            {"host in any case", [](RunFilter &f) { f.host = "lab-2"; }, {1}, 1},
            {"host", [](RunFilter &f) { f.host = "Lab-1"; }, {2, 0}, 2},
            {"tester and host", [](RunFilter &f) { f.serialNumber = "41800124", f.host = "lab-1"; }, {}, 0},
            {"since a run's last sample", [&](RunFilter &f) { f.since = day.addDays(2).addSecs(10); }, {2, 1}, 2},
            {"since just after it", [&](RunFilter &f) { f.since = day.addDays(2).addSecs(11); }, {2}, 1},
            {"until a run's first sample", [&](RunFilter &f) { f.until = day.addDays(2).addSecs(1); }, {1, 0}, 2},
            {"the day of a run", [&](RunFilter &f) { f.from = f.to = day.date().addDays(2); }, {1}, 1},
            {"one run by its id", [&](RunFilter &f) { f.runId = first + 1; }, {1}, 1},
            {"first page", [](RunFilter &f) { f.limit = 2; }, {2, 1}, 3},
            {"last page", [](RunFilter &f) { f.limit = 2, f.offset = 2; }, {0}, 3},
            {"beyond the last page", [](RunFilter &f) { f.limit = 2, f.offset = 3; }, {}, 3},
        };
        for (const auto &f : filters) {
            RunFilter filter;
            f.set(filter);
            QList<int> found;
            for (const RunSummary &run : listed(store, filter))
                found << int(run.id - first);
            QVERIFY2(found == f.runs, f.name);
            qint64 total = -1;
            QCOMPARE(store.countRuns(filter, total), QString());
            QVERIFY2(total == f.total, f.name);
        }
    }

    void refusedRecordIsDropped_data() { backends(); }

    // A sample the database refuses (here by a rule a lab added) is dropped;
    // the others of its batch and every later one are written.
    void refusedRecordIsDropped()
    {
        QFETCH(QString, backend);
        const ArchiveLocation location = newArchive();
        SqlArchiveStore store(location);
        QCOMPARE(store.open(true), QString());
        const QString rule =
            backend == "sqlite"
                ? "CREATE TRIGGER no_14 BEFORE INSERT ON samples WHEN NEW.cycles = 14 BEGIN SELECT RAISE(ABORT, 'no 14'); END"
                : "ALTER TABLE samples ADD CONSTRAINT no_14 CHECK (cycles <> 14)";
        QVERIFY(QSqlQuery(store.database()).exec(rule));
        RecordedRun run("41800005", 6, QDateTime(QDate(2026, 12, 6), QTime(13, 0)));
        QCOMPARE(store.write(run.sink.records), QString());
        run.lines.removeAt(1);   // the second sample: 14 cycles
        QCOMPARE(runLines(location), QList<QStringList>{run.lines});
    }

    // A failed write gives the database's reason (here a lock another connection holds).
    void writeFailureSaysWhy()
    {
        const ArchiveLocation location = newArchive("sqlite");
        SqlArchiveStore store(location);
        QCOMPARE(store.open(true), QString());
        QVERIFY(QSqlQuery(store.database()).exec("PRAGMA busy_timeout = 0"));
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "holder");
            other.setDatabaseName(location.path);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec("BEGIN IMMEDIATE"));
            RecordedRun run("41800006", 3, QDateTime(QDate(2026, 12, 6), QTime(15, 0)));
            const QString failure = store.write(run.sink.records);
            QVERIFY2(failure.startsWith("The run archive file " + location.path + " cannot be written: ")
                         && failure.contains("locked"),
                     qPrintable(failure));
            QSqlQuery(other).exec("ROLLBACK");
            other.close();
        }
        QSqlDatabase::removeDatabase("holder");
    }

    void olderSchemaIsUpgraded_data() { backends(); }

    // Version 1 kept no totals with its runs and no descriptions: opened, it is brought up step
    // by step, the totals made from its samples, and a run takes a description.
    void olderSchemaIsUpgraded()
    {
        const ArchiveLocation location = newArchive();
        {
            SqlArchiveStore old(location);
            QCOMPARE(old.open(true, 1), QString());
            QCOMPARE(old.schemaVersion(), 1);
            QSqlQuery q(old.database());
            QVERIFY(q.exec("INSERT INTO testers (serial_number, software_version) VALUES ('41800007', 12)"));
            QVERIFY(q.exec(
                "INSERT INTO runs (run_key, tester_id, host, program_version, start_ms, start_offset, found_running) "
                "VALUES ('old', 1, 'station', '0.9', 1796583167452, 0, 1)"));
            QVERIFY(q.exec(
                QStringLiteral("INSERT INTO configs (run_id, at_ms, utc_offset, serial_number, %1) VALUES (1, 1, 0, "
                               "'41800007', %2)")
                    .arg(namesOf(ConfigColumns), QStringList(int(ConfigColumnCount), "12").join(", "))));
            for (int cycles : {5, 9})
                QVERIFY(q.exec(
                    QStringLiteral(
                        "INSERT INTO samples (run_id, config_id, at_ms, utc_offset, %1) VALUES (1, 1, 2, 0, %2, %3)")
                        .arg(namesOf(SampleColumns))
                        .arg(cycles)
                        .arg(QStringList(int(SampleColumnCount) - 1, "1").join(", "))));
        }
        SqlArchiveStore store(location);
        QCOMPARE(store.open(true), QString());
        QCOMPARE(store.schemaVersion(), SqlArchiveStore::SchemaVersion);
        QCOMPARE(runsOf(store), QStringList{"41800007: 5 9 | "});   // with the totals of its samples
        const RunSummary run = listed(store).at(0);
        QCOMPARE(runListLine(run).section(u'\t', 5), "1\t\t\t\t");   // failures, no end, no description
        QCOMPARE(store.describeRun(run.id, {"SW-7 toggle", "A. Meyer", "described after"}), QString());
        QCOMPARE(runListLine(listed(store).at(0)).section(u'\t', 7), "SW-7 toggle\tA. Meyer\tdescribed after");
    }

    void runDescriptionsRoundTrip_data() { backends(); }

    // What was tested goes with the run: entered before its first sample, changed while it runs and from
    // View, Runs; a second program going on with the run keeps it unless it enters another.
    void runDescriptionsRoundTrip()
    {
        SqlArchiveStore store(newArchive());
        QCOMPARE(store.open(true), QString());
        const QDateTime start(QDate(2026, 12, 6), QTime(9, 0));
        int second = 0;
        const auto program = [&](const QList<int> &counts, const RunDescription *entered, int enteredAfter) {
            TesterState s;
            s.identity.serialNumber = "41800021";
            s.identity.softwareVersion = 12;
            FakeArchiveSink sink;
            RunRecorder recorder(s, sink, "station", "1.0.0");
            for (int i = 0; i < counts.size(); ++i) {
                if (entered && i == enteredAfter)
                    recorder.describeRun(*entered, start);
                s.counters.cycleCount = counts[i];
                s.counters.updateTime = start.addSecs(++second);
                recorder.sampleTaken();
            }
            return store.write(sink.records);
        };
        const auto described = [&] {   // of the one run, or the failure
            std::vector<RunSummary> runs;
            const QString failure = store.listRuns(RunFilter(), runs);
            return runs.size() == 1 ? runs[0].description() : RunDescription{failure, {}, {}};
        };
        const RunDescription first{"SW-100 rocker", "A. Meyer", "first batch"};
        const RunDescription changed{"SW-100 rocker", "B. Kaya", "line 1\nline 2\twith a tab"};
        const RunDescription edited{"SW-100 rocker\t", "B. Kaya", "edited in\r\nView, Runs"};   // kept bounded
        QCOMPARE(program({1, 2}, &first, 0), QString());
        QCOMPARE(described(), first);
        QCOMPARE(program({3, 4}, nullptr, 0), QString());   // goes on with the run, enters nothing
        QCOMPARE(described(), first);
        QCOMPARE(program({5, 6}, &changed, 1), QString());
        QCOMPARE(described(), changed);
        qint64 id = 0;
        QCOMPARE(store.lastRunId(id), QString());
        QCOMPARE(readLines(store, id, true).join(u' '), QStringLiteral("1 2 3 4 5 6"));
        QCOMPARE(store.describeRun(id, edited), QString());
        QCOMPARE(described(), RunDescription({"SW-100 rocker", "B. Kaya", "edited in\nView, Runs"}));
        // A run the archive does not hold is named.
        QVERIFY(store.describeRun(id + 5, edited).contains(QStringLiteral("holds no run %1").arg(id + 5)));
    }

    void oldRuleArchiveIsJoined_data() { backends(); }

    // An archive of the rule that ended a run at every stop, lost link and
    // program exit: opened, the runs of one climb of the count are joined, a
    // reset sample kept as a run's final data moves to the run it begins.
    void oldRuleArchiveIsJoined()
    {
        const ArchiveLocation location = newArchive();
        const QDateTime day(QDate(2026, 12, 6), QTime(9, 0), Qt::OffsetFromUTC, 3600);
        std::vector<ArchiveRecord> records;
        const int limit = int(RunEnd::LimitReached), stopped = int(RunEnd::Stopped), lost = int(RunEnd::LinkLost);
        // 41800401: killed, restarted, closed, the limit reached and a reset
        // sample kept, found stopped, a run, a lost link, found again.
        OldRuleRun a1(records, "41800401", day, true, {1, 2, 3}, 0);
        OldRuleRun b1(records, "41800501", day.addSecs(5), true, {1, 2, 3}, lost);
        OldRuleRun a2(records, "41800401", day.addSecs(60), true, {5, 6}, int(RunEnd::ProgramClosed));
        OldRuleRun b2(records, "41800501", day.addSecs(70), true, {4, 5}, stopped);
        OldRuleRun a3(records, "41800401", day.addSecs(120), true, {7, 8, 8, 0}, limit);
        OldRuleRun a4(records, "41800401", day.addSecs(180), false, {0}, stopped);
        OldRuleRun a5(records, "41800401", day.addSecs(240), true, {1, 2}, lost);
        OldRuleRun a6(records, "41800401", day.addSecs(300), true, {3, 4}, 0);
        {
            SqlArchiveStore old(location);
            QCOMPARE(old.open(true, 2), QString());
            QCOMPARE(old.write(records), QString());
            QCOMPARE(runsOf(old).size(), 8);
        }
        const QStringList joined{"41800401: 1 2 3 5 6 7 8 8 | limit reached", "41800501: 1 2 3 4 5 | stopped",
                                 "41800401: 0 0 1 2 3 4 | "};
        for (int opened = 1; opened <= 2; ++opened) {   // the second opening changes nothing
            SqlArchiveStore store(location);
            QCOMPARE(store.open(true), QString());
            QCOMPARE(store.schemaVersion(), SqlArchiveStore::SchemaVersion);
            QCOMPARE(runsOf(store), joined);
            const std::vector<RunSummary> runs = listed(store);
            QCOMPARE(runs[0].start, day.addSecs(120 + 4));   // the reset sample's time
            QCOMPARE(runs[1].end.toString(Qt::ISODate), QStringLiteral("2026-12-06T09:01:12+01:00"));   // as b2 ended
            // The key of a joined run leads to the run it joined.
            qint64 id = 0;
            QCOMPARE(store.runIdOf(a2.key, id), QString());
            QCOMPARE(id, runs[2].id);
        }
    }

    void notARunArchive_data()
    {
        addColumns<QByteArray, QString, QString>("content", "setup", "message");   // setup: SQL run on it first
        addRow("text file", QByteArray("DtTm,CyCnt\r\n"), "", "is not a run archive");
        addRow("another program's database", QByteArray(), "CREATE TABLE parts (id INTEGER)", "is not a run archive");
        addRow("newer schema", QByteArray(), "UPDATE archive_schema SET version = 99", "was made by a newer program");
    }

    // A file that is not an archive is named in the message and left as it was.
    void notARunArchive()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, setup);
        const ArchiveLocation location = newArchive("sqlite");
        if (!content.isEmpty()) {
            QFile file(location.path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        } else {
            if (setup.startsWith("UPDATE"))
                QCOMPARE(SqlArchiveStore(location).open(true), QString());
            QSqlDatabase raw = QSqlDatabase::addDatabase("QSQLITE", "raw");
            raw.setDatabaseName(location.path);
            QVERIFY(raw.open());
            QSqlQuery(raw).exec(setup);
            raw.close();
            raw = QSqlDatabase();
            QSqlDatabase::removeDatabase("raw");
        }
        SqlArchiveStore store(location);
        const QString failure = store.open(true);
        QVERIFY2(failure.contains(location.path) && failure.contains(fetched<QString>("message")), qPrintable(failure));
        if (!content.isEmpty()) {
            QFile file(location.path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), content);
        }
    }

    void twoProgramsOnOneArchive_data() { backends(); }

    // Two programs on one archive: a server takes both at once, each its own
    // run. A second program on an SQLite file is told so at once; its samples
    // wait in the spool and reach the archive when the first is gone.
    void twoProgramsOnOneArchive()
    {
        QFETCH(QString, backend);
        const bool sqlite = backend == QLatin1String("sqlite");
        const ArchiveLocation location = newArchive();
        // One machine's programs share a spool; two stations have one each.
        ArchiveWriter first(location, spoolPathFor(location, dir.filePath("spool")), 100),
            second(location, spoolPathFor(location, dir.filePath(sqlite ? "spool" : "spool2")), 100);
        QSignalSpy problems(&second, &ArchiveWriter::problem);
        RecordedRun one("41800011", 200, QDateTime(QDate(2026, 12, 6), QTime(12, 0))),
            two("41800012", 200, QDateTime(QDate(2026, 12, 6), QTime(12, 0, 1)));
        const size_t records = one.sink.records.size();
        first.start();
        if (sqlite) {
            post(first, one);
            QTRY_COMPARE_WITH_TIMEOUT(first.recordsWritten(), qint64(records), WriteTimeoutMs);
        }
        second.start();
        for (size_t i = 0; i < records; i += 50) {
            if (!sqlite)
                post(first, one, i, i + 50);
            post(second, two, i, i + 50);
            QTest::qWait(30);
        }
        if (sqlite) {
            QTRY_COMPARE_WITH_TIMEOUT(problems.count(), 1, WriteTimeoutMs);
            const QString told = problems[0][0].toString();
            QVERIFY2(told.contains("in use by another program") && told.contains(location.path), qPrintable(told));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(first.recordsWritten() + second.recordsWritten(), qint64(records * 2),
                                      WriteTimeoutMs);
        }
        // The first program reads its own archive while it holds it.
        QString failure;
        const std::unique_ptr<RunCatalog> reader = readArchiveOf(first, WriteTimeoutMs, failure);
        QVERIFY2(reader, qPrintable(failure));
        qint64 newest = 0;
        QCOMPARE(reader->lastRunId(newest), QString());
        QVERIFY(newest > 0);
        first.stop();
        second.stop();
        QCOMPARE(runLines(location), (QList<QStringList>{two.lines, one.lines}));
    }

    // The server stops mid-run and starts again, twice: every sample reaches it in order; the writer
    // says once per outage what failed and once per recovery that it writes again.
    void serverRestartedMidRun()
    {
        const ArchiveLocation location = newArchive("postgresql");
        RecordedRun run("41800003", 120, QDateTime(QDate(2026, 12, 6), QTime(11, 0)));
        ArchiveWriter writer(location, spoolPathFor(location, dir.filePath("spool")), 200);
        QSignalSpy problems(&writer, &ArchiveWriter::problem);
        QSignalSpy back(&writer, &ArchiveWriter::writtenAgain);
        writer.start();
        const size_t count = run.sink.records.size();
        const size_t ends[] = {count / 3, 2 * count / 3, count};
        post(writer, run, 0, ends[0]);
        QTRY_COMPARE_WITH_TIMEOUT(writer.recordsWritten(), qint64(ends[0]), WriteTimeoutMs);
        for (int outage = 1; outage <= 2; ++outage) {
            QCOMPARE(server.stop(), QString());
            post(writer, run, ends[outage - 1], ends[outage]);
            QTRY_COMPARE_WITH_TIMEOUT(problems.count(), outage, WriteTimeoutMs);
            const QString told = problems.last()[0].toString();
            QVERIFY2(told.contains(location.shown()) && !told.contains("password"), qPrintable(told));
            QCOMPARE(server.restart(), QString());
            QTRY_COMPARE_WITH_TIMEOUT(writer.recordsWritten(), qint64(ends[outage]), WriteTimeoutMs);
            QTRY_COMPARE_WITH_TIMEOUT(back.count(), outage, WriteTimeoutMs);
            QCOMPARE(problems.count(), outage);
        }
        writer.stop();
        QCOMPARE(runLines(location), QList<QStringList>{run.lines});
    }
};

QTEST_GUILESS_MAIN(ArchiveStoreTest)
#include "ArchiveStoreTest.moc"

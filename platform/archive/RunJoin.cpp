#include "platform/archive/RunJoin.h"

#include "engine/archive/ArchiveRecord.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace {

struct OldRun
{
    qint64 id = 0;
    QString serial;
    qint64 startMs = 0;
    int startOffset = 0;
    QVariant endMs, endOffset, endedHow;
};

// Samples of one run, up to where the counter first went back (the head)
// and from there on (the tail).
struct Stretch
{
    qint64 samples = 0;
    qint64 firstId = 0;
    qint64 firstCycles = 0, lastCycles = 0;
    qint64 firstMs = 0;
    int firstOffset = 0;
};

struct Piece
{
    int run;     // index into the runs
    bool tail;   // the samples after the counter went back
};

class Joiner
{
public:
    explicit Joiner(QSqlDatabase &db) : db(db) {}
    QString run();

private:
    bool exec(QSqlQuery &query)
    {
        if (!query.exec() && error.isEmpty())
            error = query.lastError().text();
        return error.isEmpty();
    }
    bool exec(const QString &sql, const QVariantList &values);
    bool readRuns();
    bool readSamples();
    void joinTester(const std::vector<int> &runsOfTester);
    void placeGroup(const std::vector<Piece> &group, const QVariant &nextStartMs, const QVariant &nextStartOffset);
    qint64 newRunFor(const Piece &tail);
    void moveTail(const Piece &tail, qint64 home);
    void moveWhole(qint64 from, qint64 home);
    void recount(qint64 run);
    const Stretch &stretch(const Piece &p) const { return p.tail ? tails[p.run] : heads[p.run]; }

    QSqlDatabase &db;
    std::vector<OldRun> runs;
    std::vector<Stretch> heads, tails;
    QHash<qint64, int> indexOf;
    std::vector<std::pair<qint64, qint64>> wholeMoves;   // run -> the run it joins
    QString error;
};

bool Joiner::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    return exec(query);
}

bool Joiner::readRuns()
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT r.id, COALESCE(t.serial_number, ''), r.start_ms, r.start_offset, r.end_ms, r.end_offset, "
        "r.ended_how FROM runs r LEFT JOIN testers t ON t.id = r.tester_id ORDER BY r.id"));
    if (!exec(query))
        return false;
    while (query.next()) {
        OldRun r;
        r.id = query.value(0).toLongLong();
        r.serial = query.value(1).toString();
        r.startMs = query.value(2).toLongLong();
        r.startOffset = query.value(3).toInt();
        r.endMs = query.value(4);
        r.endOffset = query.value(5);
        r.endedHow = query.value(6);
        indexOf.insert(r.id, int(runs.size()));
        runs.push_back(r);
    }
    heads.assign(runs.size(), Stretch());
    tails.assign(runs.size(), Stretch());
    return true;
}

bool Joiner::readSamples()
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT run_id, id, cycles, at_ms, utc_offset FROM samples ORDER BY run_id, id"));
    if (!exec(query))
        return false;
    qint64 run = 0, last = 0;
    Stretch *into = nullptr;
    while (query.next()) {
        const qint64 id = query.value(1).toLongLong(), cycles = query.value(2).toLongLong();
        if (const qint64 sampleRun = query.value(0).toLongLong(); sampleRun != run || !into) {
            run = sampleRun;
            const auto index = indexOf.constFind(run);
            into = index == indexOf.constEnd() ? nullptr : &heads[*index];
            if (!into)
                continue;
        } else if (cycles < last && into == &heads[indexOf.value(run)]) {
            into = &tails[indexOf.value(run)];
        }
        if (into->samples++ == 0) {
            into->firstId = id;
            into->firstCycles = cycles;
            into->firstMs = query.value(3).toLongLong();
            into->firstOffset = query.value(4).toInt();
        }
        into->lastCycles = last = cycles;
    }
    return true;
}

// One tester's runs in order, cut where the counter went back and joined
// where it carried on.
void Joiner::joinTester(const std::vector<int> &runsOfTester)
{
    std::vector<std::vector<Piece>> groups;
    qint64 groupLast = -1;   // the group's last cycle count; -1 before a sample
    for (const int run : runsOfTester) {
        for (const bool tail : {false, true}) {
            const Piece piece{run, tail};
            const Stretch &s = stretch(piece);
            if (tail && s.samples == 0)
                continue;
            if (groups.empty() || (s.samples > 0 && groupLast >= 0 && s.firstCycles < groupLast)) {
                groups.emplace_back();
                groupLast = -1;
            }
            groups.back().push_back(piece);
            if (s.samples > 0)
                groupLast = s.lastCycles;
        }
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        QVariant nextMs, nextOffset;
        if (g + 1 < groups.size()) {
            const Piece &next = groups[g + 1].front();
            nextMs = next.tail ? tails[next.run].firstMs : runs[next.run].startMs;
            nextOffset = next.tail ? tails[next.run].firstOffset : runs[next.run].startOffset;
        }
        placeGroup(groups[g], nextMs, nextOffset);
    }
}

void Joiner::placeGroup(const std::vector<Piece> &group, const QVariant &nextStartMs, const QVariant &nextStartOffset)
{
    qint64 home = 0;
    const Piece *lastHead = nullptr;
    for (const Piece &p : group) {
        if (!p.tail) {
            if (!home)
                home = runs[p.run].id;
            lastHead = &p;
        }
    }
    if (!home)
        home = newRunFor(group.front());
    if (!home)
        return;
    for (const Piece &p : group) {
        if (p.tail)
            moveTail(p, home);
        else if (runs[p.run].id != home)
            wholeMoves.emplace_back(runs[p.run].id, home);
    }
    // Where the joined run stands: as its last part ended. A lost link or
    // a closed program no longer ends a run; a counter that went back after
    // an open run closed it.
    const Piece &first = group.front();
    QVariant endMs, endOffset, endedHow;
    if (lastHead) {
        const OldRun &r = runs[lastHead->run];
        const QString how = r.endedHow.toString();
        if (how != stopCauseText(RunEnd::LinkLost) && how != stopCauseText(RunEnd::ProgramClosed)) {
            endMs = r.endMs;
            endOffset = r.endOffset;
            endedHow = r.endedHow;
        }
    } else {
        endMs = tails[first.run].firstMs;
        endOffset = tails[first.run].firstOffset;
        endedHow = stopCauseText(RunEnd::Stopped);
    }
    if (endMs.isNull() && !nextStartMs.isNull()) {
        endMs = nextStartMs;
        endOffset = nextStartOffset;
        endedHow = stopCauseText(RunEnd::CountersReset);
    }
    const qint64 startMs = first.tail ? tails[first.run].firstMs : runs[first.run].startMs;
    const int startOffset = first.tail ? tails[first.run].firstOffset : runs[first.run].startOffset;
    const auto orNull = [](const QVariant &v, QMetaType type) { return v.isNull() ? QVariant(type) : v; };
    exec(QStringLiteral("UPDATE runs SET start_ms = ?, start_offset = ?, end_ms = ?, end_offset = ?, ended_how = ? "
                        "WHERE id = ?"),
         {startMs, startOffset, orNull(endMs, QMetaType::fromType<qint64>()),
          orNull(endOffset, QMetaType::fromType<int>()), orNull(endedHow, QMetaType::fromType<QString>()), home});
}

// A run for samples that followed a counter reset when no later run took them.
qint64 Joiner::newRunFor(const Piece &tail)
{
    const Stretch &s = tails[tail.run];
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO runs (run_key, tester_id, host, program_version, start_ms, start_offset, found_running) "
        "SELECT run_key || ?, tester_id, host, program_version, CAST(? AS BIGINT), CAST(? AS INTEGER), 0 FROM runs "
        "WHERE id = ? RETURNING id"));
    insert.addBindValue(QStringLiteral("-%1").arg(s.firstId));
    insert.addBindValue(s.firstMs);
    insert.addBindValue(s.firstOffset);
    insert.addBindValue(runs[tail.run].id);
    if (!exec(insert) || !insert.next())
        return 0;
    return insert.value(0).toLongLong();
}

// The tail's samples keep their configuration: a copy of it goes with them.
void Joiner::moveTail(const Piece &tail, qint64 home)
{
    const qint64 from = runs[tail.run].id, firstId = tails[tail.run].firstId;
    QSqlQuery configs(db);
    configs.prepare(QStringLiteral("SELECT DISTINCT config_id FROM samples WHERE run_id = ? AND id >= ?"));
    configs.addBindValue(from);
    configs.addBindValue(firstId);
    if (!exec(configs))
        return;
    std::vector<qint64> used;
    while (configs.next())
        used.push_back(configs.value(0).toLongLong());
    QStringList columns;
    for (const ArchiveColumn &column : ConfigColumns)
        columns << QString::fromLatin1(column.name);
    const QString names = columns.join(QStringLiteral(", "));
    for (const qint64 config : used) {
        QSqlQuery copy(db);
        copy.prepare(
            QStringLiteral("INSERT INTO configs (run_id, at_ms, utc_offset, serial_number, %1) "
                           "SELECT CAST(? AS BIGINT), at_ms, utc_offset, serial_number, %1 FROM configs WHERE id = ? "
                           "RETURNING id")
                .arg(names));
        copy.addBindValue(home);
        copy.addBindValue(config);
        if (!exec(copy) || !copy.next())
            return;
        exec(QStringLiteral(
                 "UPDATE samples SET run_id = ?, config_id = ? WHERE run_id = ? AND id >= ? AND config_id = ?"),
             {home, copy.value(0), from, firstId, config});
    }
    recount(from);
    recount(home);
}

void Joiner::moveWhole(qint64 from, qint64 home)
{
    for (const char *table : {"samples", "configs", "events"})
        exec(QStringLiteral("UPDATE %1 SET run_id = ? WHERE run_id = ?").arg(QLatin1String(table)), {home, from});
    exec(QStringLiteral(
             "INSERT INTO run_keys (run_key, run_id) SELECT run_key, CAST(? AS BIGINT) FROM runs WHERE id = ?"),
         {home, from});
    exec(QStringLiteral("DELETE FROM runs WHERE id = ?"), {from});
    recount(home);
}

void Joiner::recount(qint64 run)
{
    const QString last =
        QStringLiteral("(SELECT s.%1 FROM samples s WHERE s.run_id = runs.id ORDER BY s.id DESC LIMIT 1)");
    exec(QStringLiteral("UPDATE runs SET cycles = COALESCE(%1, 0), failures = COALESCE(%2, 0), "
                        "samples = (SELECT COUNT(*) FROM samples s WHERE s.run_id = runs.id) WHERE id = ?")
             .arg(last.arg(QStringLiteral("cycles")), last.arg(QStringLiteral("failures"))),
         {run});
}

QString Joiner::run()
{
    if (!readRuns() || !readSamples())
        return error;
    QHash<QString, std::vector<int>> byTester;
    QStringList order;
    for (int i = 0; i < int(runs.size()); ++i) {
        // Runs of no known tester are never joined.
        const QString tester = runs[i].serial.isEmpty() ? QStringLiteral("#%1").arg(runs[i].id) : u'=' + runs[i].serial;
        if (!byTester.contains(tester))
            order << tester;
        byTester[tester].push_back(i);
    }
    // Tails move first: a run that joins another takes all its samples along.
    for (const QString &serial : order)
        joinTester(byTester[serial]);
    for (const auto &[from, home] : wholeMoves)
        moveWhole(from, home);
    return error;
}

}   // namespace

QString joinOldRuns(QSqlDatabase &db)
{
    return Joiner(db).run();
}

// A station of simulated testers on a bench of fake ports.

#include "StationRig.h"
#include "support/Fetched.h"
#include "support/TestKit.h"

#include "engine/archive/RunFileLog.h"
#include "engine/datalog/DataLog.h"
#include "engine/link/PortClaims.h"
#include "engine/preferences/Registry.h"
#include "engine/station/StationExit.h"
#include "engine/station/StationTableModel.h"
#include "engine/web/WebJson.h"

namespace {

QString cell(StationRig &rig, int row, int column)
{
    return StationTableModel::cellText(rig.station.tester(row), column);
}

bool marked(StationRig &rig, int row, StationTableModel::Role role)
{
    StationTableModel model(rig.station);
    return model.data(model.index(row, 0), role).toBool();
}

bool matches(const QString &pattern, const QString &text)
{
    return QRegularExpression("^" + pattern + "$").match(text).hasMatch();
}

QString isoText(const QDateTime &t)
{
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
}

// Tester "4180000<port>" on each port, those on `running` ports running; true once all have joined.
bool plugAll(StationRig &rig, const QList<int> &ports, const QList<int> &running)
{
    for (int port : ports)
        rig.bench.plug(port, FakeBench::simulatorConfig(QStringLiteral("4180000%1").arg(port), running.contains(port)));
    return rig.allFound(int(ports.size()));
}

enum Scenario { AtAGlance, GoneQuiet, NoStar, RunFiles };

void arrange(StationRig &rig, Scenario scenario, const QTemporaryDir &dir)
{
    if (scenario == AtAGlance) {
        // One tester runs to its limits from cycle 100 and is logged; three failed cycles ended the other's run.
        SimulatorConfig first = FakeBench::simulatorConfig("41800001", true);
        first.startCycles = 100;
        rig.bench.plug(1, first).settings().cycleLimit = 1000;
        SimulatorConfig failing = FakeBench::simulatorConfig("41800002", false);
        failing.failureRate = 1.0;
        SimulatedTester &second = rig.bench.plug(2, failing);
        second.settings().cycleLimit = 0;
        second.settings().failLimit = 3;
        second.receive("A2\r");
        second.advance(5 * 200);
        QVERIFY(rig.allFound(2));
        QString path = dir.filePath("run.txt");
        QVERIFY(rig.session(0).dataLog().openFile(path));
        QVERIFY(rig.tickUntil([&] { return rig.session(0).trendHistory().size() >= 4; }));
    } else if (scenario == RunFiles) {
        Registry(rig.settings).saveRunFiles(true, dir.filePath("runs"));
        rig.station.preferencesChanged();   // as accepted preferences do
        rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        QVERIFY(rig.allFound(1));
        QVERIFY(rig.tickUntil([&] { return rig.session(0).runFile().linesWritten() >= 2; }));
    } else {
        SimulatorConfig config = FakeBench::simulatorConfig("41800001", true);
        config.noStar = scenario == NoStar;
        SimulatedTester &tester = rig.bench.plug(1, config);
        QVERIFY(rig.tickUntil([&] { return rig.station.count() == 1 && rig.session(0).engine().commReady(); }));
        rig.tick(100);
        tester.config().silent = true;   // nothing more comes
        rig.tick(20 * 11);
    }
}

}   // namespace

class StationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A port one link holds is passed over by the others; a tester keeps its port; a link that goes frees all.
    void portClaims()
    {
        PortClaims claims;
        int a = 0, b = 0;   // two links
        QVERIFY(claims.claim(3, &a));
        QVERIFY(!claims.claim(3, &b));
        claims.keepForTester(3, &b);   // not b's port: nothing changes
        claims.release(3, &b);         // nor b's to free
        QCOMPARE(claims.nextPort(&b, 2), 4);
        claims.release(3, &a);   // a probe that found nothing
        QCOMPARE(claims.nextPort(&b, 2), 3);
        QVERIFY(claims.claim(3, &a));
        claims.keepForTester(3, &a);
        claims.release(3, &a);
        QCOMPARE(claims.nextPort(&a, 9), 3);
        QCOMPARE(claims.nextPort(&b, 16), 1);
        QVERIFY(claims.claim(16, &b));
        claims.releaseAll(&b);
        QCOMPARE(claims.nextPort(&b, 2), 4);
        claims.releaseAll(&a);
        QCOMPARE(claims.nextPort(&b, 2), 3);
        for (int port = 1; port <= 16; ++port)
            claims.claim(port, &a);
        QCOMPARE(claims.nextPort(&b, 5), 0);
    }

    void searchPassesOverTheTesters_data()
    {
        // mapped: the ports given with --port, empty: all; testers: plugged in this order, all running
        addColumns<QList<int>, QList<int>, QString>("mapped", "testers", "search");
        addRow("every port, testers on 7, 1, 3", QList<int>{}, QList<int>{7, 1, 3},
               "Searching... tried Comm 2, 4-6, 8-16");
        addRow("--port 1 to 4, a tester on 2", QList<int>{1, 2, 3, 4}, QList<int>{2}, "Searching... tried Comm 1, 3-4");
        addRow("--port 5 and 9, no tester", QList<int>{5, 9}, QList<int>{}, "Searching... tried Comm 5, 9");
        addRow("--port 1 and 2, a tester on each", QList<int>{1, 2}, QList<int>{1, 2}, "No port left to search");
    }

    // Testers join in port order, each port opened only by the session that found it; the search names its ports.
    void searchPassesOverTheTesters()
    {
        QFETCH(QList<int>, mapped);
        QFETCH(QList<int>, testers);
        QFETCH(QString, search);
        StationRig rig;
        rig.bench.mapped = QSet<int>(mapped.cbegin(), mapped.cend());
        QVERIFY(plugAll(rig, testers, testers));
        rig.tick(2 * 16);   // round every port twice more
        QSignalSpy told(&rig.station, &Station::searchChanged);
        rig.tick(16);
        QCOMPARE(rig.station.search().link().text(rig.now), search);
        // A search with no port left is told once, not on every tick.
        QCOMPARE(told.isEmpty(), search == QLatin1String(NoPortLeftText));

        std::sort(testers.begin(), testers.end());
        QStringList rows, inPortOrder;
        for (int i = 0; i < rig.station.count(); ++i)
            rows << cell(rig, i, StationTableModel::SerialColumn) + " " + cell(rig, i, StationTableModel::PortColumn);
        for (int port : testers)
            inPortOrder << QStringLiteral("4180000%1 Comm %1 (/dev/bench%1)").arg(port);
        QCOMPARE(rows, inPortOrder);
        QMap<int, QSet<int>> openedBy;
        for (const auto &open : std::as_const(rig.bench.opens))
            openedBy[open.first].insert(open.second);
        for (int port : testers)
            QCOMPARE(openedBy[port].size(), 1);
    }

    // The pulled tester's row turns red and stays; plugged back, its own session finds it, not the search.
    void pulledTesterKeepsItsRowWhileTheOthersGoOn()
    {
        StationRig rig;
        QVERIFY(plugAll(rig, {1, 2, 3}, {1, 2, 3}));
        QVERIFY(rig.tickUntil([&] { return cell(rig, 1, StationTableModel::RateColumn) != "----"; }));
        QSignalSpy changed(&rig.station, &Station::testerChanged);
        rig.bench.pull(2);
        QVERIFY(rig.tickUntil([&] { return marked(rig, 1, StationTableModel::LinkLostRole); }, 5));
        QCOMPARE(std::count(changed.cbegin(), changed.cend(), QVariantList{1}), 1);   // the others' samples aside
        QVERIFY(matches("Lost at \\d\\d:\\d\\d:\\d\\d", cell(rig, 1, StationTableModel::LinkColumn)));
        // The last sample's counts stay; how the run goes on nobody knows.
        QVERIFY(cell(rig, 1, StationTableModel::CyclesColumn).endsWith(" of 100000 cycles"));
        QCOMPARE(cell(rig, 1, StationTableModel::FailuresColumn), QStringLiteral("0 (0 sequential)"));
        const QDateTime lostAt = rig.session(1).glance().link().changedAt();
        const QJsonObject o = testerJson(rig.session(1));
        QCOMPARE(o["link"].toString(), QStringLiteral("lost"));
        QCOMPARE(o["lostAt"].toString(), isoText(lostAt));
        QCOMPARE(o["lastSample"].toString(), isoText(rig.session(1).state().counters.updateTime));
        QCOMPARE(o["run"].toString(), cell(rig, 1, StationTableModel::RunColumn));
        QVERIFY(o["ratePerHour"].isNull() && o["secondsToLimit"].isNull());
        QCOMPARE(o["timeToLimit"].toString(), QStringLiteral("----"));
        QVERIFY(testerJson(rig.session(0))["lostAt"].isNull());
        const size_t before[3] = {rig.session(0).trendHistory().size(), rig.session(1).trendHistory().size(),
                                  rig.session(2).trendHistory().size()};
        rig.tick(40);   // the search goes round twice meanwhile, the others go on
        for (int row = 0; row < 3; ++row)
            QCOMPARE(rig.session(row).trendHistory().size() > before[row], row != 1);

        const int opensBefore = int(rig.bench.opens.size());
        rig.bench.plug(2, FakeBench::simulatorConfig("41800002", true));
        QVERIFY(rig.tickUntil([&] {
            return !marked(rig, 1, StationTableModel::LinkLostRole) && rig.session(1).state().session.downloadedOnce;
        }));
        QCOMPARE(rig.station.count(), 3);
        QCOMPARE(rig.bench.opens.mid(opensBefore), (QList<QPair<int, int>>{{2, 1}}));
    }

    void testerOnALostTestersPort_data()
    {
        // newcomer: the serial number plugged into lost 41800001's port 1 while 41800002 (port 2) is lost too
        addColumns<QString, int>("newcomer", "rows");
        addRow("another tester: a row of its own", "41800009", 3);
        addRow("the other lost tester: its row takes the port", "41800002", 2);
    }

    // A tester on a lost tester's port: only the row of its own serial number takes it, every other stays lost.
    void testerOnALostTestersPort()
    {
        QFETCH(QString, newcomer);
        StationRig rig;
        QVERIFY(plugAll(rig, {1, 2}, {1, 2}));
        rig.bench.pull(1);
        rig.bench.pull(2);
        QVERIFY(
            rig.tickUntil([&] { return rig.session(0).glance().linkLost() && rig.session(1).glance().linkLost(); }));
        rig.bench.plug(1, FakeBench::simulatorConfig(newcomer, true));
        const auto liveRow = [&] {
            for (int i = 0; i < rig.station.count(); ++i)
                if (!rig.session(i).glance().linkLost() && rig.session(i).state().session.downloadedOnce)
                    return i;
            return -1;
        };
        QVERIFY(rig.tickUntil([&] { return liveRow() >= 0; }));
        rig.tick(100);   // no other row reaches for the port meanwhile
        QTEST(rig.station.count(), "rows");
        const int row = liveRow();
        QCOMPARE(rig.session(row).state().identity.serialNumber, newcomer);
        QCOMPARE(rig.session(row).glance().port(), 1);
        QCOMPARE(row, 1);   // a newcomer's row goes below the lost row on its port: no row moves
        for (int i = 0; i < rig.station.count(); ++i)
            QCOMPARE(rig.session(i).glance().linkLost(), i != row);
    }

    // What the row and /api/testers show, also where "connected" would hide a tester gone quiet or refused.
    void rowShows_data()
    {
        // first, second: patterns for the first and the second tester's cell (empty: no second tester)
        addColumns<Scenario, StationTableModel::Column, QString, QString>("scenario", "column", "first", "second");
        const QString since = QStringLiteral("Connected since \\d\\d:\\d\\d:\\d\\d");
        addRow("link", AtAGlance, StationTableModel::LinkColumn, since, since);
        addRow("run", AtAGlance, StationTableModel::RunColumn, "Running to limits", "Stopped");
        addRow("cycles", AtAGlance, StationTableModel::CyclesColumn, "1\\d\\d of 1000 cycles", "3 cycles, no limit");
        addRow("rate", AtAGlance, StationTableModel::RateColumn, "1[78]\\d\\d\\d cycles/h", "----");
        addRow("to limit", AtAGlance, StationTableModel::ToLimitColumn, "0:\\d\\d:\\d\\d", "----");
        addRow("failures", AtAGlance, StationTableModel::FailuresColumn, "0 \\(0 sequential\\)",
               "3 \\(3 sequential\\)");
        addRow("data file", AtAGlance, StationTableModel::DataFileColumn, "run\\.txt", "Not logging");
        addRow("gone quiet, link", GoneQuiet, StationTableModel::LinkColumn, "No sample since 17:00:\\d\\d", "");
        addRow("never acknowledges, link", NoStar, StationTableModel::LinkColumn,
               "The tester answers without acknowledgement: records are being refused", "");
        addRow("the run's own file", RunFiles, StationTableModel::DataFileColumn,
               "41800001 \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.txt", "");
    }

    void rowShows()
    {
        QFETCH(Scenario, scenario);
        QFETCH(StationTableModel::Column, column);
        QFETCH(QString, second);
        StationRig rig;
        QTemporaryDir dir;
        arrange(rig, scenario, dir);
        if (QTest::currentTestFailed())
            return;
        const QString shown[2] = {cell(rig, 0, column), second.isEmpty() ? QString() : cell(rig, 1, column)};
        QVERIFY2(matches(fetched<QString>("first"), shown[0]), qPrintable(shown[0]));
        QVERIFY2(matches(second, shown[1]), qPrintable(shown[1]));
        if (column == StationTableModel::CyclesColumn) {
            StationTableModel model(rig.station);
            const double share = model.data(model.index(0, column), StationTableModel::CycleShareRole).toDouble();
            QVERIFY2(share > 0.1 && share < 0.2, qPrintable(QString::number(share)));
            QCOMPARE(model.data(model.index(1, column), StationTableModel::CycleShareRole).toDouble(), -1.0);
        }
        const QJsonObject o = testerJson(rig.session(0));
        QCOMPARE(o["linkText"].toString(), cell(rig, 0, StationTableModel::LinkColumn));
        QCOMPARE(o["run"].toString(), cell(rig, 0, StationTableModel::RunColumn));
        QCOMPARE(o["dataFile"].toString("Not logging"), cell(rig, 0, StationTableModel::DataFileColumn));
        QCOMPARE(o["recordsRefused"].toBool(), scenario == NoStar);
        if (scenario == GoneQuiet)
            QCOMPARE(o["staleSince"].toString(), isoText(rig.session(0).state().counters.updateTime));
        if (scenario == RunFiles)
            QVERIFY(!rig.session(0).state().session.dirtyData);   // the run's file took every sample
    }

    void silentRunningTesterIsFoundLost_data()
    {
        // lostAfterMs: from the "+" before the tester fell silent to the link lost, -1: never in 180 s;
        // asks: samples asked for without a "+" while watched, -1: not counted
        addColumns<int, bool, bool, int, int>("periodMs", "running", "silent", "lostAfterMs", "asks");
        // Asked after 10 s, the least silence allowed; no answer in the 13 s reply time loses the link.
        addRow("running, a sample every 2 s, falls silent", 2000, true, true, 23000, -1);
        addRow("stopped: never asked", 200, false, false, -1, 0);
        // Once its "+" told its pace, never asked.
        addRow("running, a sample every 20 s, alive", 20000, true, false, -1, 0);
    }

    // A running tester gone dead behind an open port is found lost by asking it for a sample.
    void silentRunningTesterIsFoundLost()
    {
        QFETCH(bool, running);
        QFETCH(int, lostAfterMs);
        StationRig rig;
        SimulatorConfig config = FakeBench::simulatorConfig("41800001", running);
        config.periodMs = fetched<int>("periodMs");
        SimulatedTester &tester = rig.bench.plug(1, config);
        QVERIFY(rig.allFound(1));
        const TrendHistory &samples = rig.session(0).trendHistory();
        if (running) {
            QVERIFY(rig.tickUntil([&] { return samples.size() >= 4; }, 2000));
            // Falls silent just after a "+" and its sample.
            const size_t before = samples.size();
            QVERIFY(rig.tickUntil([&] { return samples.size() > before; }, 500));
        } else {
            rig.tick(100);
        }
        const auto asked = [&tester] { return tester.stats().recordsSent - tester.stats().plusAnswered; };
        const int64_t askedBefore = asked();
        tester.config().silent = fetched<bool>("silent");
        const auto lost = [&rig] { return rig.session(0).glance().link().state() == LinkHistory::State::Lost; };
        int ticks = 0;
        for (; ticks < 180000 / 50 && !lost(); ++ticks)
            rig.tick();

        if (lostAfterMs < 0) {
            QVERIFY(!lost());
        } else {
            QVERIFY2(qAbs(ticks * 50 - lostAfterMs) <= 300, qPrintable(QString::number(ticks * 50)));
            QVERIFY(marked(rig, 0, StationTableModel::LinkLostRole));
        }
        QFETCH(int, asks);
        if (asks >= 0)
            QCOMPARE(asked() - askedBefore, int64_t(asks));
    }

    void newFailureMarksTheRowUntilSeen()
    {
        StationRig rig;
        SimulatorConfig failing = FakeBench::simulatorConfig("41800001", true);
        failing.failureRate = 1.0;
        SimulatedTester::Settings &limits = rig.bench.plug(1, failing).settings();
        limits.failLimit = limits.seqLimit = 1000;
        QVERIFY(rig.allFound(1));
        StationTableModel model(rig.station);
        const QModelIndex failures = model.index(0, StationTableModel::FailuresColumn);
        QVERIFY(rig.tickUntil([&] { return model.data(failures, StationTableModel::NewFailureRole).toBool(); }));
        QVERIFY(model.data(failures, Qt::AccessibleTextRole).toString().endsWith(", new failure"));

        rig.station.failuresSeen(0);
        QVERIFY(!model.data(failures, StationTableModel::NewFailureRole).toBool());
        QSignalSpy changed(&rig.station, &Station::testerChanged);
        rig.station.failuresSeen(0);   // nothing new: no row changes
        rig.station.failuresSeen(1);   // a window of no tester in the station
        rig.station.failuresSeen(-1);
        QCOMPARE(changed.count(), 0);
        QVERIFY(rig.tickUntil([&] { return model.data(failures, StationTableModel::NewFailureRole).toBool(); }));

        // After a counter reset the first failure marks the row at once, below the count seen before.
        QVERIFY(rig.tickUntil([&] { return rig.session(0).state().counters.failCount >= 5; }));
        rig.station.failuresSeen(0);
        const int seenBefore = rig.session(0).state().counters.failCount;
        rig.session(0).engine().doNextClear(Command::None);
        QVERIFY(rig.tickUntil([&] { return rig.session(0).state().counters.failCount < seenBefore; }));
        QVERIFY(rig.tickUntil([&] { return model.data(failures, StationTableModel::NewFailureRole).toBool(); }));
        QVERIFY2(rig.session(0).state().counters.failCount < seenBefore,
                 qPrintable(QString::number(rig.session(0).state().counters.failCount)));
    }

    // Each tester keeps its recent data files under its serial number and its messages name it.
    void settingsAndMessagesPerTester()
    {
        StationRig rig;
        rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        rig.bench.plug(2, FakeBench::simulatorConfig("A/../2", true));
        QVERIFY(rig.allFound(2));
        QTemporaryDir dir;
        QString paths[2] = {dir.filePath("a.txt"), dir.filePath("b.txt")};
        for (int row = 0; row < 2; ++row)
            QVERIFY(rig.session(row).dataLog().openFile(paths[row]));

        QCOMPARE(rig.session(0).registry().readRecentFiles(), QStringList{paths[0]});
        QCOMPARE(rig.session(1).registry().readRecentFiles(), QStringList{paths[1]});
        QCOMPARE(rig.settings.read("Testers/41800001/RecentFiles", "RecentFile1"), paths[0]);
        QCOMPARE(rig.settings.read("Testers/A____2/RecentFiles", "RecentFile1"), paths[1]);
        rig.session(0).registry().addRecentConfigFile("shared.cfg");
        QCOMPARE(rig.session(1).registry().readRecentConfigFiles(), QStringList{"shared.cfg"});
        // Before its serial number is known a tester keeps nothing of its own.
        TesterSettingsStore unknown(rig.settings);
        unknown.write("RecentFiles", "RecentFile1", "lost.txt");
        QCOMPARE(unknown.read("RecentFiles", "RecentFile1"), QString());
        QCOMPARE(rig.settings.names("RecentFiles"), QStringList());

        MessageDialogs &named = rig.session(1).dialogs();   // the readjust list has no title to name
        named.showError(QStringLiteral("Comm Error"), QStringLiteral("lost"));
        named.askYesNo(QStringLiteral("Stop"), QStringLiteral("sure?"));
        named.askReadjust({QStringLiteral("a")});
        QCOMPARE(rig.dialogs.calls, QStringList({"error:Comm Error - A/../2 on Comm 2|lost",
                                                 "yesno:Stop - A/../2 on Comm 2|sure?", "readjust:a"}));
    }

    void exitAsksOnce_data()
    {
        addColumns<QList<int>, bool, bool>("answers", "chooseFiles", "exits");
        addRow("No: exit unsaved", QList<int>{AnswerNo}, false, true);
        addRow("Cancel: stay", QList<int>{AnswerCancel}, false, false);
        addRow("Yes: each saved in turn", QList<int>{AnswerYes}, true, true);
        addRow("Yes, a file dialog cancelled: stay", QList<int>{AnswerYes}, false, false);
    }

    void exitAsksOnce()
    {
        QFETCH(bool, chooseFiles);
        StationRig rig;
        QVERIFY(plugAll(rig, {1, 2, 3}, {1, 3}));
        QTemporaryDir dir;
        QString logged = dir.filePath("logged.txt");
        QVERIFY(rig.session(2).dataLog().openFile(logged));
        rig.tick(10);
        rig.session(1).state().session.dirtyConfig = true;
        rig.session(2).state().session.goAgainMode = true;
        rig.session(2).state().session.repeatCount = 5;
        for (int answer : fetched<QList<int>>("answers"))
            rig.dialogs.answers << int16_t(answer);
        const QString saved[3] = {dir.filePath("one.txt"), dir.filePath("two.txt"), dir.filePath("two.cfg")};
        if (chooseFiles) {
            rig.files.choices = {saved[0], saved[1]};
            rig.configFiles.choices = {saved[2]};
        }

        QTEST(readyToExit(rig.station, rig.dialogs), "exits");
        QCOMPARE(rig.dialogs.calls,
                 QStringList({"error:Break Update Mode Cancel|These testers are set to stop at their next break "
                              "and will not restart if the program is terminated:\n41800003 on Comm 3: stops "
                              "after 5 cycles",
                              "yesno:Save Data|These testers have test data or a test configuration that has "
                              "not been saved:\n41800001 on Comm 1: test data\n41800002 on Comm 2: test data, "
                              "test configuration\n\nDo you want to save them?"}));
        for (const QString &path : saved)
            QCOMPARE(QFile::exists(path), chooseFiles);
        QCOMPARE(rig.session(1).state().session.dirtyConfig, !chooseFiles);
    }
};

QTEST_GUILESS_MAIN(StationTest)
#include "StationTest.moc"

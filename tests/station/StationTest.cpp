// A station of simulated testers on a bench of fake ports: each tester
// found joins in the order of the ports on a port of its own that no other
// session probes; a pulled tester keeps its row and its port while the
// others go on; the rows as the engines' states make them; the failure mark;
// settings kept per tester; and the one question at exit.

#include "StationRig.h"
#include "support/TestColumns.h"
#include "support/TestRows.h"

#include "engine/archive/RunFileLog.h"
#include "engine/config/ConfigCommands.h"
#include "engine/datalog/DataLog.h"
#include "engine/link/PortClaims.h"
#include "engine/preferences/Registry.h"
#include "engine/station/StationExit.h"
#include "engine/station/StationTableModel.h"
#include "engine/web/WebJson.h"

#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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

}   // namespace

class StationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A port one link holds is passed over by the others; a tester's port
    // is its link's only port, closed or open; a link that goes frees all.
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

    void testersJoinInPortOrderOnPortsOfTheirOwn()
    {
        StationRig rig;
        rig.bench.plug(7, FakeBench::simulatorConfig("41800007", true));
        rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        rig.bench.plug(3, FakeBench::simulatorConfig("41800003", false));
        QVERIFY(rig.allFound(3));
        // The search goes round every port twice more.
        rig.tick(2 * 16);

        QStringList rows;
        for (int i = 0; i < rig.station.count(); ++i)
            rows << cell(rig, i, StationTableModel::SerialColumn) + " " + cell(rig, i, StationTableModel::PortColumn);
        QCOMPARE(rows, QStringList({"41800001 Comm 1 (/dev/bench1)", "41800003 Comm 3 (/dev/bench3)",
                                    "41800007 Comm 7 (/dev/bench7)"}));
        // Only the session that found a tester ever opened its port.
        QMap<int, QSet<int>> openedBy;
        for (const auto &open : std::as_const(rig.bench.opens))
            openedBy[open.first].insert(open.second);
        for (int port : {1, 3, 7})
            QCOMPARE(openedBy[port].size(), 1);
        // The search passes over the ports that have testers.
        QCOMPARE(rig.station.search().link().text(rig.now), QStringLiteral("Searching... tried Comm 2, 4-6, 8-16"));
    }

    void searchNamesThePortsItTries_data()
    {
        addColumns<QList<int>, QList<int>, QString>("mapped", "testers", "search");
        addRow("--port 1 to 4, a tester on 2", QList<int>{1, 2, 3, 4}, QList<int>{2}, "Searching... tried Comm 1, 3-4");
        addRow("--port 5 and 9, no tester", QList<int>{5, 9}, QList<int>{}, "Searching... tried Comm 5, 9");
        addRow("--port 1 and 2, a tester on each", QList<int>{1, 2}, QList<int>{1, 2}, "No port left to search");
    }

    // The search names only the ports it tries: with --port, those given.
    void searchNamesThePortsItTries()
    {
        QFETCH(QList<int>, mapped);
        QFETCH(QList<int>, testers);
        StationRig rig;
        rig.bench.mapped = QSet<int>(mapped.cbegin(), mapped.cend());
        for (int port : testers)
            rig.bench.plug(port, FakeBench::simulatorConfig(QStringLiteral("4180000%1").arg(port), false));
        QVERIFY(rig.allFound(int(testers.size())));
        rig.tick(2 * 16);   // round every port twice more
        QSignalSpy told(&rig.station, &Station::searchChanged);
        rig.tick(16);
        QFETCH(QString, search);
        QCOMPARE(rig.station.search().link().text(rig.now), search);
        // A search with no port left is told once, not on every tick.
        QCOMPARE(told.isEmpty(), search == QLatin1String(NoPortLeftText));
    }

    // The pulled tester's row turns red and stays; plugged back, it is found
    // again by its own session on its port, not by the search.
    void pulledTesterKeepsItsRowWhileTheOthersGoOn()
    {
        StationRig rig;
        // Only the middle one runs: the others say nothing meanwhile.
        for (int port : {1, 2, 3})
            rig.bench.plug(port, FakeBench::simulatorConfig(QStringLiteral("4180000%1").arg(port), port == 2));
        QVERIFY(rig.allFound(3));
        QVERIFY(rig.tickUntil([&] { return cell(rig, 1, StationTableModel::RateColumn) != "----"; }));
        QSignalSpy changed(&rig.station, &Station::testerChanged);
        rig.bench.pull(2);
        QVERIFY(rig.tickUntil([&] { return marked(rig, 1, StationTableModel::LinkLostRole); }, 5));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 1);
        QVERIFY(QRegularExpression("^Lost at \\d\\d:\\d\\d:\\d\\d$")
                    .match(cell(rig, 1, StationTableModel::LinkColumn))
                    .hasMatch());
        // The last sample's counts stay; how the run goes on nobody knows.
        QVERIFY(cell(rig, 1, StationTableModel::CyclesColumn).endsWith(" of 100000 cycles"));
        QCOMPARE(cell(rig, 1, StationTableModel::FailuresColumn), QStringLiteral("0 (0 sequential)"));
        const QDateTime lostAt = rig.session(1).glance().link().changedAt();
        QCOMPARE(cell(rig, 1, StationTableModel::RunColumn),
                 "Link lost at " + lostAt.toString("HH:mm:ss") + "; last seen running to limits");
        QCOMPARE(cell(rig, 1, StationTableModel::RateColumn), QStringLiteral("----"));
        QCOMPARE(cell(rig, 1, StationTableModel::ToLimitColumn), QStringLiteral("----"));
        const QJsonObject o = testerJson(rig.session(1));
        const auto iso = [](const QDateTime &t) { return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate); };
        QCOMPARE(o["link"].toString(), QStringLiteral("lost"));
        QCOMPARE(o["lostAt"].toString(), iso(lostAt));
        QCOMPARE(o["lastSample"].toString(), iso(rig.session(1).state().counters.updateTime));
        QCOMPARE(o["run"].toString(), cell(rig, 1, StationTableModel::RunColumn));
        QVERIFY(o["ratePerHour"].isNull() && o["secondsToLimit"].isNull());
        QCOMPARE(o["timeToLimit"].toString(), QStringLiteral("----"));
        QVERIFY(testerJson(rig.session(0))["lostAt"].isNull());
        rig.tick(40);   // the search goes round twice meanwhile

        const int opensBefore = int(rig.bench.opens.size());
        rig.bench.plug(2, FakeBench::simulatorConfig("41800002", true));
        QVERIFY(rig.tickUntil([&] {
            return !marked(rig, 1, StationTableModel::LinkLostRole) && rig.session(1).state().session.downloadedOnce;
        }));
        QCOMPARE(rig.station.count(), 3);
        QCOMPARE(rig.bench.opens.mid(opensBefore), (QList<QPair<int, int>>{{2, 1}}));
    }

    void rowsShowTheTestersAtAGlance_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("running");   // patterns
        QTest::addColumn<QString>("stopped");

        addRow("S/N", int(StationTableModel::SerialColumn), "41800001", "41800002");
        addRow("link", int(StationTableModel::LinkColumn), "Connected since \\d\\d:\\d\\d:\\d\\d",
               "Connected since \\d\\d:\\d\\d:\\d\\d");
        addRow("run", int(StationTableModel::RunColumn), "Running to limits", "Stopped");
        addRow("cycles", int(StationTableModel::CyclesColumn), "1\\d\\d of 1000 cycles", "3 cycles, no limit");
        addRow("rate", int(StationTableModel::RateColumn), "1[78]\\d\\d\\d cycles/h", "----");
        addRow("to limit", int(StationTableModel::ToLimitColumn), "0:\\d\\d:\\d\\d", "----");
        addRow("failures", int(StationTableModel::FailuresColumn), "0 \\(0 sequential\\)", "3 \\(3 sequential\\)");
        addRow("data file", int(StationTableModel::DataFileColumn), "run\\.txt", "Not logging");
    }

    void rowsShowTheTestersAtAGlance()
    {
        QFETCH(int, column);
        StationRig rig;
        SimulatorConfig first = FakeBench::simulatorConfig("41800001", true);
        first.startCycles = 100;
        rig.bench.plug(1, first).settings().cycleLimit = 1000;
        SimulatorConfig failing = FakeBench::simulatorConfig("41800002", false);
        failing.failureRate = 1.0;
        SimulatedTester &second = rig.bench.plug(2, failing);
        second.settings().cycleLimit = 0;
        second.settings().failLimit = 3;   // three failed cycles end its run
        second.receive("A2\r");            // run once: cycles to its limits
        second.advance(5 * 200);
        QVERIFY(rig.allFound(2));
        QTemporaryDir dir;
        QString path = dir.filePath("run.txt");
        QVERIFY(rig.session(0).dataLog().openFile(path));
        QVERIFY(rig.tickUntil([&] { return rig.session(0).trendHistory().size() >= 4; }));

        const QString shown[2] = {cell(rig, 0, column), cell(rig, 1, column)};
        if (column == StationTableModel::CyclesColumn) {
            StationTableModel model(rig.station);
            const double share = model.data(model.index(0, column), StationTableModel::CycleShareRole).toDouble();
            QVERIFY2(share > 0.1 && share < 0.2, qPrintable(QString::number(share)));
            QCOMPARE(model.data(model.index(1, column), StationTableModel::CycleShareRole).toDouble(), -1.0);
        }
        QFETCH(QString, running);
        QFETCH(QString, stopped);
        QVERIFY2(QRegularExpression("^" + running + "$").match(shown[0]).hasMatch(), qPrintable(shown[0]));
        QVERIFY2(QRegularExpression("^" + stopped + "$").match(shown[1]).hasMatch(), qPrintable(shown[1]));
    }

    // With every run written to its own file, the row names that file and
    // /api/testers gives it: it is the tester's data file.
    void rowNamesTheRunsOwnFile()
    {
        StationRig rig;
        QTemporaryDir dir;
        Registry(rig.settings).saveRunFiles(true, dir.filePath("runs"));
        rig.station.preferencesChanged();   // as accepted preferences do
        rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        QVERIFY(rig.allFound(1));
        QVERIFY(rig.tickUntil([&] { return rig.session(0).runFile().linesWritten() >= 2; }));
        const QString shown = cell(rig, 0, StationTableModel::DataFileColumn);
        QVERIFY2(
            QRegularExpression("^41800001 \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.txt$").match(shown).hasMatch(),
            qPrintable(shown));
        QCOMPARE(testerJson(rig.session(0))["dataFile"].toString(), shown);
        QVERIFY(!rig.session(0).state().session.dirtyData);
    }

    // What the link's "connected" would hide is said in the row and in
    // /api/testers: a running tester gone quiet (since when no sample came),
    // and one that never acknowledges (its records refused, its run unknown).
    void rowSaysWhatConnectedHides_data()
    {
        QTest::addColumn<bool>("noStar");
        QTest::addColumn<QString>("link");   // a pattern
        QTest::addColumn<QString>("run");
        addRow("running, gone quiet", false, "No sample since 17:00:\\d\\d", "Running to limits");
        addRow("never acknowledges", true, "The tester answers without acknowledgement: records are being refused",
               "Unknown");
    }

    void rowSaysWhatConnectedHides()
    {
        QFETCH(bool, noStar);
        QFETCH(QString, link);
        StationRig rig;
        SimulatorConfig config = FakeBench::simulatorConfig("41800001", true);
        config.noStar = noStar;
        SimulatedTester &tester = rig.bench.plug(1, config);
        QVERIFY(rig.tickUntil([&] { return rig.station.count() == 1 && rig.session(0).engine().commReady(); }));
        rig.tick(100);
        tester.config().silent = true;   // nothing more comes
        rig.tick(20 * 11);

        const QString shown = cell(rig, 0, StationTableModel::LinkColumn);
        QVERIFY2(QRegularExpression("^" + link + "$").match(shown).hasMatch(), qPrintable(shown));
        QTEST(cell(rig, 0, StationTableModel::RunColumn), "run");
        const QJsonObject o = testerJson(rig.session(0));
        QCOMPARE(o["linkText"].toString(), shown);
        QTEST(o["run"].toString(), "run");
        QCOMPARE(o["recordsRefused"].toBool(), noStar);
        const QDateTime last = rig.session(0).state().counters.updateTime;
        if (!noStar)
            QCOMPARE(o["staleSince"].toString(), last.toOffsetFromUtc(last.offsetFromUtc()).toString(Qt::ISODate));
    }

    void silentRunningTesterIsFoundLost_data()
    {
        // lostAfterMs: from the "+" before the tester fell silent to the link lost, -1: never in 180 s;
        // asks: samples asked for without a "+" while watched, -1: not counted
        addColumns<int, bool, bool, int, int>("periodMs", "running", "silent", "lostAfterMs", "asks");
        // Asked after 10 s, the least silence allowed; no answer in the 13 s reply time loses the link.
        addRow("running, a sample every 2 s, falls silent", 2000, true, true, 23000, -1);
        addRow("running, a sample every 5 s, falls silent: asked after three intervals", 5000, true, true, 28000, -1);
        addRow("stopped: never asked", 200, false, false, -1, 0);
        // Once its "+" told its pace, never asked.
        addRow("running, a sample every 20 s, alive", 20000, true, false, -1, 0);
    }

    // A running tester whose power or cable went dead while its port stayed
    // open is found lost by asking it for a sample, as the Sample button does.
    void silentRunningTesterIsFoundLost()
    {
        QFETCH(int, periodMs);
        QFETCH(bool, running);
        QFETCH(bool, silent);
        QFETCH(int, lostAfterMs);
        StationRig rig;
        SimulatorConfig config = FakeBench::simulatorConfig("41800001", running);
        config.periodMs = periodMs;
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
        tester.config().silent = silent;
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

        // A counter reset begins the watch again: the first failure after it
        // marks the row at once, below the count seen before the reset.
        QVERIFY(rig.tickUntil([&] { return rig.session(0).state().counters.failCount >= 5; }));
        rig.station.failuresSeen(0);
        const int seenBefore = rig.session(0).state().counters.failCount;
        rig.session(0).engine().doNextClear(Command::None);
        QVERIFY(rig.tickUntil([&] { return rig.session(0).state().counters.failCount < seenBefore; }));
        QVERIFY(rig.tickUntil([&] { return model.data(failures, StationTableModel::NewFailureRole).toBool(); }));
        QVERIFY2(rig.session(0).state().counters.failCount < seenBefore,
                 qPrintable(QString::number(rig.session(0).state().counters.failCount)));
    }

    // Each tester keeps its recent data files under its serial number; the
    // program's own settings stay shared.
    void settingsPerTester()
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
    }

    // A tester's messages name it in their titles; the readjust list has
    // no title to name.
    void messagesNameTheirTester()
    {
        StationRig rig;
        rig.bench.plug(2, FakeBench::simulatorConfig("41800002", true));
        QVERIFY(rig.allFound(1));
        MessageDialogs &named = rig.session(0).dialogs();
        named.showError(QStringLiteral("Comm Error"), QStringLiteral("lost"));
        QCOMPARE(rig.dialogs.calls.last(), QStringLiteral("error:Comm Error - 41800002 on Comm 2|lost"));
        named.askYesNo(QStringLiteral("Stop"), QStringLiteral("sure?"));
        QCOMPARE(rig.dialogs.calls.last(), QStringLiteral("yesno:Stop - 41800002 on Comm 2|sure?"));
        named.askReadjust({QStringLiteral("a")});
        QCOMPARE(rig.dialogs.calls.last(), QStringLiteral("readjust:a"));
    }

    void exitAsksOnce_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("chooseFiles");
        QTest::addColumn<bool>("exits");

        addRow("No: exit unsaved", QList<int>{AnswerNo}, false, true);
        addRow("Cancel: stay", QList<int>{AnswerCancel}, false, false);
        addRow("Yes: each saved in turn", QList<int>{AnswerYes}, true, true);
        addRow("Yes, a file dialog cancelled: stay", QList<int>{AnswerYes}, false, false);
    }

    void exitAsksOnce()
    {
        QFETCH(QList<int>, answers);
        QFETCH(bool, chooseFiles);
        StationRig rig;
        for (int port : {1, 2, 3})
            rig.bench.plug(port, FakeBench::simulatorConfig(QStringLiteral("4180000%1").arg(port), port != 2));
        QVERIFY(rig.allFound(3));
        QTemporaryDir dir;
        QString logged = dir.filePath("logged.txt");
        QVERIFY(rig.session(2).dataLog().openFile(logged));
        rig.tick(10);
        rig.session(1).state().session.dirtyConfig = true;
        rig.session(2).state().session.goAgainMode = true;
        rig.session(2).state().session.repeatCount = 5;
        for (int answer : answers)
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

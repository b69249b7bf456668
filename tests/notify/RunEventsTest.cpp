// A station's run events told from its sessions, their webhook JSON, and the webhook queue.

#include "station/StationRig.h"
#include "support/TestKit.h"

#include "engine/archive/RunRecorder.h"
#include "engine/notify/RunEvents.h"
#include "engine/notify/StationEvent.h"
#include "engine/notify/WebhookQueue.h"

namespace {

// A station whose events are collected; the link clock is the rig's own.
struct EventRig : StationRig
{
    EventRig()
    {
        QObject::connect(&station, &Station::testerJoined, [this](int row) { events.watch(session(row)); });
        QObject::connect(&events, &RunEvents::happened, [this](const StationEvent &e) { told.push_back(e); });
    }
    QStringList kinds(const QString &serial) const
    {
        QStringList names;
        for (const StationEvent &e : told)
            if (e.serial == serial)
                names << QString::fromLatin1(eventName(e.kind));
        return names;
    }
    void tickChecking(int count)
    {
        for (int i = 0; i < count; ++i) {
            tick();
            events.checkLinks();
        }
    }
    RunEvents events{[this] { return now.toMSecsSinceEpoch(); }};
    std::vector<StationEvent> told;
};

}   // namespace

class RunEventsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsEndStopAndFail()
    {
        EventRig rig;
        SimulatedTester &ending = rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        ending.settings().cycleLimit = 40;
        // Fails every cycle: a failure each sample until three in a row stop it.
        SimulatorConfig failingConfig = FakeBench::simulatorConfig("41800002", true);
        failingConfig.failureRate = 1.0;
        rig.bench.plug(2, failingConfig).settings().failLimit = 0;
        rig.bench.plug(3, FakeBench::simulatorConfig("41800003", true));
        QVERIFY(rig.allFound(3));
        QVERIFY(rig.tickUntil(
            [&] { return rig.session(0).state().counters.cycleCount >= 40 && !rig.kinds("41800001").isEmpty(); },
            2000));
        QVERIFY(rig.tickUntil([&] { return rig.kinds("41800002").contains("sequential-limit"); }, 2000));
        rig.session(2).engine().sendCommand(Command::Stop);
        QVERIFY(rig.tickUntil([&] { return !rig.kinds("41800003").isEmpty(); }, 400));
        rig.tick(100);

        QCOMPARE(rig.kinds("41800001"), QStringList{"run-ended"});
        QCOMPARE(rig.kinds("41800003"), QStringList{"run-stopped"});
        // Each failure told once, then the limit; the stop there is the limit's, not another event.
        const QStringList failing = rig.kinds("41800002");
        QVERIFY2(failing.size() >= 2, qPrintable(failing.join(", ")));
        QCOMPARE(failing, QStringList(failing.size() - 1, "failure") << "sequential-limit");

        for (const StationEvent &e : rig.told) {
            const int row = e.serial.right(1).toInt() - 1;
            QCOMPARE(e.port, row + 1);
            if (e.kind == EventKind::RunEnded)
                QCOMPARE(e.cycles, int64_t(40));
            if (e.kind == EventKind::SequentialLimit)
                QCOMPARE(e.failures, int64_t(rig.session(1).state().counters.failCount));
            QCOMPARE(e.runKey, rig.session(row).runRecorder().runKey());
            QVERIFY(!e.runKey.isEmpty());
            QCOMPARE(e.cause, e.kind == EventKind::RunStopped ? QString("stopped by the operator") : QString());
        }
    }

    // Told once: an end while the tester still reports running, and a stop after it unless a new run began
    // in between, and no end after that stop; a data file error, with its text.
    void endSignalledWhileStillRunning()
    {
        EventRig rig;
        rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        rig.bench.plug(2, FakeBench::simulatorConfig("41800002", true));
        QVERIFY(rig.allFound(2));
        for (int row = 0; row < 2; ++row)
            Q_EMIT rig.session(row).testEnded();
        QVERIFY(rig.tickUntil([&] { return rig.told.size() == 2; }, 400));
        rig.tick(40);   // more samples, still running
        Q_EMIT rig.session(1).runStarted(162);
        for (int row = 0; row < 2; ++row)
            rig.session(row).engine().sendCommand(Command::Stop);
        rig.tick(100);
        Q_EMIT rig.session(1).testEnded();   // "-" and its final record after the stop
        Q_EMIT rig.session(1).sampleDecoded();
        Q_EMIT rig.session(0).fileError("Error Writing File.");
        QCOMPARE(rig.kinds("41800001"), (QStringList{"run-ended", "file-error"}));
        QCOMPARE(rig.told.back().message, QString("Error Writing File."));
        QCOMPARE(rig.kinds("41800002"), (QStringList{"run-ended", "run-stopped"}));
    }

    // Lost is told after 30 s without the link, found only after lost: a short loss tells nothing.
    void linkLostForThirtySeconds()
    {
        EventRig rig;
        rig.bench.plug(4, FakeBench::simulatorConfig("41800004", true));
        QVERIFY(rig.allFound(1));
        rig.bench.pull(4);
        QVERIFY(rig.tickUntil([&] { return rig.session(0).glance().link().alarm(); }, 600));
        rig.tickChecking(int(RunEvents::LinkLostAfterMs / 50) - 2);
        QCOMPARE(rig.kinds("41800004"), QStringList());
        rig.tickChecking(1);   // 30 s to the tick
        QCOMPARE(rig.kinds("41800004"), QStringList{"link-lost"});
        rig.bench.plug(4, FakeBench::simulatorConfig("41800004", true));
        QVERIFY(rig.tickUntil([&] { return rig.kinds("41800004").size() == 2; }, 600));
        QCOMPARE(rig.kinds("41800004"), (QStringList{"link-lost", "link-found"}));

        rig.bench.pull(4);
        QVERIFY(rig.tickUntil([&] { return rig.session(0).glance().link().alarm(); }, 600));
        rig.tickChecking(100);
        rig.bench.plug(4, FakeBench::simulatorConfig("41800004", true));
        QVERIFY(rig.tickUntil([&] { return !rig.session(0).glance().link().alarm(); }, 600));
        rig.tickChecking(20);
        QCOMPARE(rig.kinds("41800004").size(), 2);
    }

    // A tester that answers without acknowledgement is told once while it does; one gone quiet is not refusing.
    void recordsRefusedIsToldOnce()
    {
        EventRig rig;
        SimulatorConfig config = FakeBench::simulatorConfig("41800001", true);
        config.noStar = true;
        rig.bench.plug(3, config);
        SimulatedTester &quiet = rig.bench.plug(4, FakeBench::simulatorConfig("41800002", true));
        QVERIFY(rig.tickUntil([&] { return !rig.told.empty() && rig.station.count() == 2; }));
        quiet.config().silent = true;
        rig.tick(240);
        QVERIFY(rig.session(1).glance().linkWarning(rig.session(1).state(), rig.now).startsWith("No sample since"));
        QCOMPARE(rig.told.size(), size_t(1));
        QCOMPARE(QString("%1 on port %2").arg(eventName(rig.told[0].kind)).arg(rig.told[0].port),
                 "records-refused on port 3");
    }

    // The body posted for an event, byte for byte, each text escaped; ' stands for ", %1 for what all rows share.
    void eventJson_data()
    {
        addColumns<int, QString, QString, int, QString, QString>("kind", "serial", "message", "runId", "runUrl",
                                                                 "json");
        addRow("run ended", int(EventKind::RunEnded), "41800001", "done", 12,
               "http://127.0.0.1:8080/api/runs/12/datalog",
               "{'event':'run-ended','tester':'41800001',%1,'message':'done','runId':12,"
               "'runUrl':'http://127.0.0.1:8080/api/runs/12/datalog'}");
        addRow("stopped, with its cause", int(EventKind::RunStopped), "41800001", "x", 12, "",
               "{'event':'run-stopped','tester':'41800001',%1,'message':'x','runId':12,'runUrl':null,"
               "'cause':'stopped by the operator'}");
        addRow("failure", int(EventKind::Failure), "41800001", "x", 0, "",
               "{'event':'failure','tester':'41800001',%1,'message':'x','runId':null,'runUrl':null}");
        addRow("file, quotes kept", int(EventKind::FileError), "4", "C:\\a \"b\"\n", 3, "",
               "{'event':'file-error','tester':'4',%1,'message':'C:\\\\a \\'b\\'\\n','runId':3,'runUrl':null}");
        addRow("archive, no tester", int(EventKind::ArchiveError), "", "ü", 0, "",
               "{'event':'archive-error','tester':'',%1,'message':'ü','runId':null,'runUrl':null}");
    }
    void eventJson()
    {
        QFETCH(int, kind);
        QFETCH(QString, serial);
        QFETCH(QString, message);
        QFETCH(int, runId);
        QFETCH(QString, runUrl);
        QFETCH(QString, json);
        StationEvent e;
        e.kind = EventKind(kind);
        e.serial = serial;
        e.port = 7;
        e.time = QDateTime(QDate(2024, 3, 8), QTime(17, 0, 5), QTimeZone(3600));
        e.cycles = 1234567890123;
        e.failures = 42;
        e.message = message;
        e.runId = runId;
        e.runUrl = runUrl;
        e.cause = QStringLiteral("stopped by the operator");
        if (!runUrl.isEmpty())
            QCOMPARE(runLink("127.0.0.1:8080", runId), runUrl);
        const char *shared = "'port':7,'time':'2024-03-08T17:00:05+01:00','cycles':1234567890123,'failures':42";
        QCOMPARE(QString::fromUtf8(stationEventJson(e)), json.arg(QLatin1String(shared)).replace(u'\'', u'"'));
    }

    // Order kept, one in flight, retries at 10 s doubling to 5 min, given up after an hour.
    void webhookQueue()
    {
        WebhookQueue q;
        q.add("a");
        q.add("b");
        QCOMPARE(q.next(0).value_or(""), QByteArray("a"));
        QVERIFY(!q.next(0));   // one at a time
        qint64 t = 100;        // the first answer comes a while after the try: the wait counts from the answer
        for (const qint64 wait : {10000, 20000, 40000, 80000, 160000, 300000, 300000}) {
            q.done(false, t);
            QCOMPARE(q.wakeAt().value_or(-1) - t, wait);
            QVERIFY(!q.next(t + wait - 1));
            t += wait;
            QCOMPARE(q.next(t).value_or(""), QByteArray("a"));
            QVERIFY(!q.wakeAt());
        }
        q.done(true, t);
        const qint64 firstTry = t;
        while (q.next(t)) {
            q.done(false, t);
            if (!q.wakeAt())
                break;
            t = *q.wakeAt();
        }
        QCOMPARE(q.givenUp(), size_t(1));
        QCOMPARE(q.waiting(), size_t(0));
        QVERIFY(t - firstTry >= WebhookQueue::GiveUpAfterMs);
        QVERIFY(t - firstTry < WebhookQueue::GiveUpAfterMs + WebhookQueue::LongestRetryMs);
        // A server away for long: the oldest events go, the one in flight stays.
        q.add("first");
        QVERIFY(q.next(t));
        for (size_t i = 0; i < WebhookQueue::MostWaiting + 5; ++i)
            q.add(QByteArray::number(qulonglong(i)));
        QCOMPARE(q.waiting(), WebhookQueue::MostWaiting);
        q.done(true, t);
        QCOMPARE(q.next(t).value_or(""), QByteArray("6"));
    }
};

QTEST_GUILESS_MAIN(RunEventsTest)
#include "RunEventsTest.moc"

// The engine, and a station of engines, on the real serial backend against simulated testers on pseudo-terminals.

#include "SimulatedRig.h"

#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/session/SampleRoute.h"
#include "engine/session/TesterSession.h"
#include "engine/station/Station.h"
#include "support/FakeArchiveSink.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include "support/TestKit.h"
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The cycle counts of the samples in an archive, in order.
QList<int> sampleCycles(const FakeArchiveSink &archive)
{
    QList<int> cycles;
    for (const ArchiveRecord &record : archive.records) {
        if (record.kind != ArchiveRecord::Sample)
            continue;
        TesterState sample;
        applySampleNumbers(sample, record.numbers);
        cycles << sample.counters.cycleCount;
    }
    return cycles;
}

// Bytes cross a pseudo-terminal in microseconds; QSerialPort takes them in from the event loop.
void crossLine()
{
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    QCoreApplication::processEvents();
}

// Testers on ports 1 to N; a tick() is a poll tick of every session and 50 ms of the testers' time, not waited.
struct PtyStation
{
    explicit PtyStation(int testers)
    {
        for (int i = 0; i < testers; ++i) {
            SimulatorConfig config;
            config.serialNumber = QString::number(41800001 + i);
            config.periodMs = 200;
            config.signalQuietMs = 120;
            config.startRunning = true;
            simulated.push_back(std::make_unique<SimulatedTester>(config));
            ptys.push_back(std::make_unique<PseudoTerminal>());
            ptys.back()->open();
            pumps.push_back(std::make_unique<SimulatorPump>(*simulated.back(), *ptys.back()));
        }
        station.start();
    }
    ~PtyStation() { station.shutDown(); }

    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            station.tick();
            crossLine();
            for (auto &pump : pumps)
                pump->step(50);
            crossLine();
        }
    }
    bool tickUntil(const std::function<bool()> &condition, int maxTicks = 400)
    {
        for (int i = 0; i < maxTicks && !condition(); ++i)
            tick();
        return condition();
    }
    TesterSession &session(int row) { return station.tester(row).session(); }
    bool sampling(int row) { return session(row).state().session.downloadedOnce && session(row).engine().commReady(); }
    SerialPort &newPort()
    {
        ports.push_back(std::make_unique<QtSerialPort>([this](int n) {
            const bool there = n >= 1 && n <= int(ptys.size()) && ptys[size_t(n - 1)]->isOpen();
            return there ? ptys[size_t(n - 1)]->slavePath() : QString();
        }));
        return *ports.back();
    }

    std::vector<std::unique_ptr<SimulatedTester>> simulated;
    std::vector<std::unique_ptr<PseudoTerminal>> ptys;
    std::vector<std::unique_ptr<SimulatorPump>> pumps;
    std::vector<std::unique_ptr<QtSerialPort>> ports;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    FakeConfigFileDialog configFiles;
    Station station{{[this]() -> SerialPort & { return newPort(); }, settings, dialogs, files, configFiles}, 0};
};

}   // namespace

class SessionEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Break-update mode with a data file open: at each break the program fetches the record, logs it when
    // "Save To Database" is on, archives it and re-arms the next break with the same count.
    void breakUpdateLogsOneLinePerBreak_data()
    {
        QTest::addColumn<bool>("saveToDatabase");
        addRow("breaks saved to the data log", true);
        addRow("breaks not saved: in the archive all the same", false);
    }

    void breakUpdateLogsOneLinePerBreak()
    {
        QFETCH(bool, saveToDatabase);
        const int breakCount = 5;
        const int breaks = 3;
        SimulatedRig rig;
        FakeMessageDialogs dialogs;
        FakeDataFileDialog files;
        MemorySettingsStore store;
        Registry registry(store);
        DataLog log(rig.s, dialogs, files, registry, nullptr);
        FakeArchiveSink archive;
        RunRecorder recorder(rig.s, archive, QStringLiteral("station"), QStringLiteral("test"));
        SampleRoute samples(log, recorder);
        rig.engine->setSampleListener(&samples);
        QVERIFY(rig.connect());
        QTemporaryDir dir;
        QString path = dir.filePath("breaks.txt");
        QVERIFY(log.openFile(path));

        rig.s.session.repeatCount = TesterState::Integer(breakCount);
        rig.s.session.saveToDatabase = saveToDatabase;
        rig.engine->sendValueCommand(Command::ArmBreakUpdate, QString::number(breakCount));
        QVERIFY(rig.tickUntil(
            [&] {
                return rig.tester.stats().plusAnswered == breaks && !rig.tester.pausedAtBreak()
                       && rig.s.session.goAgainMode && rig.engine->commReady();
            },
            400));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        const int logged = saveToDatabase ? breaks : 0;
        QCOMPARE(lines.size(), logged + 2);   // header, the samples, nothing after the last line end
        for (int i = 1; i <= logged; ++i)
            QCOMPARE(lines[i].split(',').value(1).toInt(), i * breakCount);   // cycle count
        // The archive has every break, whatever the data log took.
        const QList<int> archived = sampleCycles(archive);
        QCOMPARE(archived.mid(archived.size() - breaks), (QList<int>{breakCount, 2 * breakCount, 3 * breakCount}));
        QCOMPARE(dialogs.calls, QStringList());
    }

    // The cable pulled while a reply is awaited: the port closes at once, the search goes on without keeping
    // the process busy, and the tester is found again on port 1.
    void pulledTesterIsFoundAgain()
    {
        SimulatedRig rig;
        QVERIFY(rig.connect());
        rig.tester.config().silent = true;
        rig.engine->sendCommand(Command::SampleData);
        rig.pullCable();
        const double cpuBefore = cpuSeconds();
        int ticks = 0;
        for (; rig.s.link.portOpen && ticks < 400; ++ticks)
            rig.tick();
        QVERIFY2(ticks >= 1 && ticks <= 2, qPrintable(QString::number(ticks)));
        QCOMPARE(rig.port.isOpen(), false);
        rig.tick();
        QCOMPARE(rig.view.barText, QStringLiteral("Searching For Tester On Comm 2"));
        rig.tick(300);
        const double used = cpuSeconds() - cpuBefore;
        QVERIFY2(used < 1.5, qPrintable(QString::number(used)));

        QVERIFY(rig.plugCable());
        rig.tester.config().silent = false;
        QVERIFY(rig.connect());
        QCOMPARE(rig.s.link.port, TesterState::Integer(1));
    }

    // One cable is pulled while the others go on; plugged back, its tester returns to its own row. Each session
    // takes its own tester's samples into its own history.
    void onePulledWhileTheOthersGoOn()
    {
        QList<int> decoded = {0, 0, 0};   // samples each session told of
        PtyStation rig(3);
        QVERIFY(rig.tickUntil(
            [&] { return rig.station.count() == 3 && rig.sampling(0) && rig.sampling(1) && rig.sampling(2); }));
        size_t joined[3], samples[3];
        for (int row = 0; row < 3; ++row) {
            joined[row] = rig.session(row).trendHistory().size();
            QObject::connect(&rig.session(row), &TesterSession::sampleDecoded, [&decoded, row] { ++decoded[row]; });
        }

        rig.ptys[1]->close();
        QVERIFY(rig.tickUntil([&] { return rig.session(1).glance().link().alarm(); }, 3));
        for (int row = 0; row < 3; ++row)
            samples[row] = rig.session(row).trendHistory().size();
        rig.tick(40);
        QVERIFY(rig.session(0).trendHistory().size() > samples[0]);
        QCOMPARE(rig.session(1).trendHistory().size(), samples[1]);
        QVERIFY(rig.session(2).trendHistory().size() > samples[2]);

        QVERIFY(rig.ptys[1]->open());
        QVERIFY(rig.tickUntil([&] { return rig.sampling(1); }));
        QCOMPARE(rig.station.count(), 3);
        QVERIFY(!rig.session(1).glance().link().alarm());
        QVERIFY(rig.tickUntil([&] { return rig.session(1).trendHistory().size() > samples[1]; }));
        for (int row = 0; row < 3; ++row) {
            const TrendHistory &history = rig.session(row).trendHistory();
            QCOMPARE(int(history.size() - joined[row]), decoded[row]);
            QCOMPARE(history.at(history.size() - 1).cycle, int64_t(rig.session(row).state().counters.cycleCount));
        }
    }
};

QTEST_GUILESS_MAIN(SessionEndToEndTest)
#include "SessionEndToEndTest.moc"

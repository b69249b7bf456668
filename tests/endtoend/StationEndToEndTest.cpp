// A station on the real serial backend: simulated testers on pseudo-terminals, each on a port of its own.

#include "engine/session/TesterSession.h"
#include "engine/station/Station.h"
#include "engine/supervision/TesterEngine.h"
#include "platform/QtSerialPort.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include "support/TestKit.h"
#include <memory>
#include <thread>
#include <vector>

namespace {

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

class StationEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
            QCOMPARE(rig.session(row).glance().port(), row + 1);
            QCOMPARE(rig.session(row).state().identity.serialNumber, QString::number(41800001 + row));
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

QTEST_GUILESS_MAIN(StationEndToEndTest)
#include "StationEndToEndTest.moc"

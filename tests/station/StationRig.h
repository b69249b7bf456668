#pragma once

#include "FakeBench.h"

#include "engine/session/TesterSession.h"
#include "engine/state/DataDecoder.h"
#include "engine/station/Station.h"
#include "engine/supervision/TesterEngine.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <functional>

// A station over a bench of simulated testers. Each tick() is one poll tick
// of every session and 50 ms of the testers' time, and of the time stamps
// of the samples; the station's own timer never runs.
struct StationRig
{
    StationRig()
    {
        station.setClock([this] { return now; });
        station.start();
    }

    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            station.tick();
            bench.step(50);
            now = now.addMSecs(50);
        }
    }
    bool tickUntil(const std::function<bool()> &condition, int maxTicks = 400)
    {
        for (int i = 0; i < maxTicks && !condition(); ++i)
            tick();
        return condition();
    }
    // Every tester plugged in has joined and sent its first sample.
    bool allFound(int testers)
    {
        return tickUntil([&] {
            if (station.count() < testers)
                return false;
            for (int i = 0; i < station.count(); ++i)
                if (!session(i).state().session.downloadedOnce || !session(i).engine().commReady())
                    return false;
            return true;
        });
    }
    TesterSession &session(int row) { return station.tester(row).session(); }

    QDateTime now{QDate(2024, 3, 8), QTime(17, 0)};
    FakeBench bench;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    FakeConfigFileDialog configFiles;
    Station station{{[this]() -> SerialPort & { return bench.newPort(); }, settings, dialogs, files, configFiles}, 0};
};

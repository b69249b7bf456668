#include "bench/LogLineBench.h"

#include "bench/BenchFigures.h"
#include "bench/BenchPort.h"
#include "bench/QuietDialogs.h"
#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/preferences/SettingsStore.h"
#include "engine/session/SampleRoute.h"
#include "engine/state/SilentView.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "platform/archive/ArchiveWriter.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {

// The data log alone, without the archive.
class LogOnly : public SampleListener
{
public:
    explicit LogOnly(DataLog &log) : log(log) {}
    void sampleTaken(const DecodedSample &sample) override
    {
        if (sample.forDataLog)
            log.saveToFile();
    }

private:
    DataLog &log;
};

// A busy sample: every contact column converted, last bounce times present.
void fillSample(TesterState &s)
{
    s.counters.updateTime = QDateTime::currentDateTime();
    s.counters.cycleCount = 1234567;
    s.counters.failCount = 12;
    s.counters.seqCount = 2;
    s.reported.rangePullUp = 1000;
    s.reported.rangeMode = 0;
    s.identity.softwareVersion = 12;
    s.counters.minDownResistance = 3;
    s.counters.maxDownResistance = 17;
    s.counters.minUpResistance = 1000;
    s.counters.maxUpResistance = 1023;
    s.counters.lastDownResistance = 5;
    s.counters.lastUpResistance = 1023;
    s.counters.maxDownBounce = 1234;
    s.counters.maxUpBounce = 567;
    s.counters.lastDownBounceTime = 321;
    s.counters.lastUpBounceTime = 123;
    s.counters.lastDownStrokeTime = 45;
    s.counters.lastUpStrokeTime = 51;
    s.reported.maxDownResistTol = 100;
    s.reported.minUpResistTol = 900;
    s.reported.maxUpResistTol = 1023;
    s.reported.maxDownBounceTol = 3125;
    s.reported.maxUpBounceTol = 3125;
    s.reported.maxDownTime = 250;
    s.reported.maxUpTime = 250;
    s.reported.lowerBounce = 25;
    s.reported.upperBounce = 200;
    s.reported.contact = 1 + 16 + 32 + 64 + 128;
    s.identity.serialNumber = QStringLiteral("A1B2C3D4");
}

}   // namespace

qint64 plusToLogLineNanoseconds(const BenchScale &scale, bool archived)
{
    QTemporaryDir dir;
    TesterState s;
    BenchPort port;
    SilentView view;
    TesterEngine engine(s, port, view);
    linkUp(s);
    QuietDialogs dialogs;
    NoFiles fileDialog;
    NoSettings settings;
    Registry registry(settings);
    DataLog log(s, dialogs, fileDialog, registry, nullptr);
    QString path = dir.filePath(QStringLiteral("plus.txt"));
    ArchiveLocation location;
    location.path = dir.filePath(QStringLiteral("plus.sqlite"));
    ArchiveWriter writer(location, dir.filePath(QStringLiteral("spool.sqlite")));
    writer.start();
    RunRecorder recorder(s, writer, QStringLiteral("station"), QStringLiteral("bench"));
    SampleRoute both(log, recorder);
    LogOnly logOnly(log);
    engine.setSampleListener(archived ? static_cast<SampleListener *>(&both) : &logOnly);
    if (!log.openFile(path))
        return -1;

    const int samples = scale.count(2000, 20);
    const int repeats = scale.count(7, 1);
    std::vector<qint64> runs;
    for (int run = 0; run < repeats; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < samples; ++i) {
            port.pending = "+";
            engine.pollTick();
            port.pending = BenchRecord;
            engine.pollTick();
            engine.pollTick();
        }
        runs.push_back(timer.nsecsElapsed() / samples);
    }
    if (log.linesWritten() != repeats * samples)
        return -1;
    log.closeDataFile();
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

qint64 logLineNanoseconds(const BenchScale &scale)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return -1;
    TesterState s;
    fillSample(s);
    QuietDialogs dialogs;
    NoFiles fileDialog;
    NoSettings settings;
    Registry registry(settings);
    DataLog log(s, dialogs, fileDialog, registry, nullptr);
    QString path = dir.filePath(QStringLiteral("bench.txt"));
    if (!log.openFile(path))
        return -1;

    const int lines = scale.count(2000, 20);
    std::vector<qint64> runs;
    for (int run = 0; run < scale.count(7, 1); ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < lines; ++i) {
            ++s.counters.cycleCount;
            s.session.dirtyData = true;
            log.saveToFile();
        }
        runs.push_back(timer.nsecsElapsed() / lines);
    }
    log.closeDataFile();
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

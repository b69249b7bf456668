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
    s.vUpdateTime = QDateTime::currentDateTime();
    s.CycleCount = 1234567;
    s.FailCount = 12;
    s.SeqCount = 2;
    s.vRPullUp = 1000;
    s.vRMode = 0;
    s.vSoftwareVersion = 12;
    s.vMinDownResistance = 3;
    s.vMaxDownResistance = 17;
    s.vMinUpResistance = 1000;
    s.vMaxUpResistance = 1023;
    s.vLastMeasuredDownResist = 5;
    s.vLastMeasuredUpResist = 1023;
    s.vMaxDownBounce = 1234;
    s.vMaxUpBounce = 567;
    s.vLastDownBounceTime = 321;
    s.vLastUpBounceTime = 123;
    s.vLastDownStrokeTime = 45;
    s.vLastUpStrokeTime = 51;
    s.vMaxDownResistTol = 100;
    s.vMinUpResistTol = 900;
    s.vMaxUpResistTol = 1023;
    s.vMaxDownBounceTol = 3125;
    s.vMaxUpBounceTol = 3125;
    s.vMaxDownTime = 250;
    s.vMaxUpTime = 250;
    s.vLowerBounce = 25;
    s.vUpperBounce = 200;
    s.vContact = 1 + 16 + 32 + 64 + 128;
    s.vSerialNumber = QStringLiteral("A1B2C3D4");
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
            ++s.CycleCount;
            s.IsDirtyData = true;
            log.saveToFile();
        }
        runs.push_back(timer.nsecsElapsed() / lines);
    }
    log.closeDataFile();
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

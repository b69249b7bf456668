#include "bench/LogLineBench.h"

#include "bench/QuietDialogs.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/preferences/SettingsStore.h"
#include "engine/state/TesterState.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {

class NoFileDialog : public DataFileDialog
{
public:
    bool choose(int, QString &) override { return false; }
};

class NoSettings : public SettingsStore
{
public:
    QString read(const QString &, const QString &) const override { return {}; }
    void write(const QString &, const QString &, const QString &) override {}
    QStringList names(const QString &) const override { return {}; }
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

} // namespace

qint64 LogLineNanoseconds()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return -1;
    TesterState s;
    fillSample(s);
    QuietDialogs dialogs;
    NoFileDialog fileDialog;
    NoSettings settings;
    Registry registry(settings);
    DataLog log(s, dialogs, fileDialog, registry, nullptr);
    QString path = dir.filePath(QStringLiteral("bench.txt"));
    if (!log.OpenFile(path))
        return -1;

    constexpr int lines = 2000;
    std::vector<qint64> runs;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < lines; ++i) {
            ++s.CycleCount;
            s.IsDirtyData = true;
            log.SaveToFile();
        }
        runs.push_back(timer.nsecsElapsed() / lines);
    }
    log.FileClose();
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// Writes the fuzz targets' seeds from the program's own output: the simulated
// tester and the engine talk for a while in each of several set-ups, and
// what the tester sent becomes a conversation seed, the samples logged a data
// log seed, and the configuration the tester held a .cfg seed as Configure >
// Save writes it (and as a master file).
//
//     lifecycle-fuzz-seeds CORPUS_FOLDER

#include "TesterSteps.h"

#include "engine/config/ConfigFile.h"
#include "engine/config/ConfigRecord.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/DataDecoder.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "simulator/SimulatedTester.h"
#include "support/FakeSerialPort.h"
#include "support/FakeView.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr int TickMs = 50;
constexpr int SamplesPerLog = 12;

struct Setup
{
    const char *name;
    int seconds;
    std::function<void(SimulatorConfig &)> configure;
    std::map<int, uint8_t> actions;   // tick -> operator action
};

class LineCollector : public SampleLog
{
public:
    explicit LineCollector(const TesterState &state) : s(state) {}
    void SaveToFile() override
    {
        if (lines.size() < SamplesPerLog)
            lines << SampleLine(s).toLatin1();
    }
    QList<QByteArray> lines;

private:
    const TesterState &s;
};

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    if (!ok)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return ok;
}

QByteArray ConfigText(const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toLatin1() + "\r\n";
    return text;
}

bool Run(const Setup &setup, const QDir &corpus)
{
    SimulatorConfig config;
    setup.configure(config);
    SimulatedTester tester(config);
    TesterState s;
    FakeSerialPort port;
    FakeView view;
    LineCollector log(s);
    TesterEngine engine(s, port, view);
    engine.setSampleLog(&log);
    engine.decoder().setClock([] { return QDateTime(QDate(2026, 1, 5), QTime(8, 0)); });
    port.onWrite = [&](const QByteArray &bytes) { tester.receive(bytes); };

    // Tick by tick as the fuzz target replays it: the tester's bytes, the
    // operator's action, the tick. A quiet tick lengthens the step before.
    QList<TesterStep> steps;
    for (int tick = 0; tick < setup.seconds * 1000 / TickMs; ++tick) {
        tester.advance(TickMs);
        const QByteArray bytes = tester.takeOutput();
        const auto action = setup.actions.find(tick);
        const uint8_t act = action == setup.actions.end() ? NoAction : action->second;
        if (bytes.isEmpty() && act == NoAction && !steps.isEmpty() && steps.last().ticks < 31) {
            ++steps.last().ticks;
        } else {
            steps.append({act, 0, bytes});
        }
        port.queueInput(bytes);
        TakeAction(engine, act);
        engine.Tick();
    }

    const QString name = QLatin1String(setup.name);
    bool ok = Write(corpus.filePath(QStringLiteral("tester_bytes/") + name), WriteSteps(steps));
    if (!log.lines.isEmpty())
        ok = Write(corpus.filePath(QStringLiteral("trend_log/") + name + QStringLiteral(".txt")),
                   QByteArray(DataLogHeader) + "\r\n" + log.lines.join("\r\n") + "\r\n") && ok;
    if (s.DownLoadedOnce) {
        CopyCurrentConfigToEdit(s);
        QStringList lines = ConfigFileLines(s);
        ok = Write(corpus.filePath(QStringLiteral("config_file/") + name + QStringLiteral(".cfg")),
                   ConfigText(lines)) && ok;
        lines[0] = QStringLiteral("Model 418C Master");
        lines.insert(1, s.vSerialNumber);
        ok = Write(corpus.filePath(QStringLiteral("config_file/") + name + QStringLiteral("-master.cfg")),
                   ConfigText(lines)) && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    for (const char *target : {"tester_bytes", "trend_log", "config_file"})
        corpus.mkpath(QLatin1String(target));

    const auto running = [](SimulatorConfig &c) { c.startRunning = true; c.periodMs = 500; };
    const std::vector<Setup> setups = {
        {"running", 8, running, {}},
        {"operator", 25, [](SimulatorConfig &c) { c.periodMs = 200; },
         {{20, SampleData}, {40, RunToLimits}, {80, StopRun}, {100, ReadVersion}, {120, ReadCycleLimit},
          {140, SetCycleLimit}, {160, ResetCounters}, {220, DownloadConfig}, {320, DownloadMaster},
          {420, RunOnce}, {440, RunNoLimit}, {460, StopRun}}},
        {"failing-current", 8, [&](SimulatorConfig &c) { running(c); c.mode = 1; c.range = 500; c.failureRate = 0.3; }, {}},
        {"voltage-old-software", 8, [&](SimulatorConfig &c) { running(c); c.mode = 2; c.range = 5000; c.softwareVersion = 11; }, {}},
        {"garbage", 20, [&](SimulatorConfig &c) { running(c); c.garbageRate = 0.3; }, {}},
        {"no-star", 6, [&](SimulatorConfig &c) { running(c); c.noStar = true; }, {}},
        {"split", 6, [&](SimulatorConfig &c) { running(c); c.splitReplies = 5; }, {}},
        {"silent", 20, [](SimulatorConfig &c) { c.silent = true; }, {}},
    };
    bool ok = true;
    for (const Setup &setup : setups)
        ok = Run(setup, corpus) && ok;
    return ok ? 0 : 1;
}

#include "simulator/SimulatedRunLog.h"

#include "engine/datalog/DataLog.h"
#include "engine/link/SerialPort.h"
#include "engine/state/DataDecoder.h"
#include "engine/state/SilentView.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "simulator/SimulatedTester.h"

#include <QFile>

namespace {

// Ticks without a sample after which the run is given up.
constexpr int64_t StallTicks = 100000;

// The engine's serial port wired straight to the simulated tester.
class DirectPort : public SerialPort
{
public:
    explicit DirectPort(SimulatedTester &tester) : tester(tester) {}

    void selectPort(int) override {}
    bool open() override { return opened = true; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    int bytesWaiting() override
    {
        pending += tester.takeOutput();
        return int(pending.size());
    }
    QByteArray readAll() override
    {
        QByteArray out = pending + tester.takeOutput();
        pending.clear();
        return out;
    }
    void write(const QByteArray &bytes) override { tester.receive(bytes); }
    void discardInput() override { readAll(); }
    void discardOutput() override {}

private:
    SimulatedTester &tester;
    QByteArray pending;
    bool opened = false;
};

// Each sample the engine hands over, as a data log line.
class LineWriter : public SampleListener
{
public:
    LineWriter(QFile &file, const TesterState &s) : file(file), s(s) {}
    void sampleTaken(const DecodedSample &sample) override
    {
        if (!sample.forDataLog)
            return;
        file.write(sampleLogLine(s).toLatin1() + "\r\n");
        ++lines;
    }

    int64_t lines = 0;

private:
    QFile &file;
    const TesterState &s;
};

}   // namespace

QString writeSimulatedRunLog(const QString &path, const SimulatorConfig &config, const SimulatedRunPlan &plan)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    SimulatorConfig running = config;
    running.startRunning = true;
    SimulatedTester tester(running);
    tester.settings().cycleLimit = tester.settings().failLimit = tester.settings().seqLimit = 0;

    TesterState s;
    DirectPort port(tester);
    SilentView view;
    TesterEngine engine(s, port, view);
    LineWriter log(file, s);
    engine.setSampleListener(&log);
    engine.decoder().setClock([&] { return plan.start.addMSecs(tester.now()); });
    file.write(QByteArray(DataLogHeader) + "\r\n");

    for (int64_t lastLines = 0, quietTicks = 0; log.lines < plan.samples;) {
        engine.pollTick();
        tester.advance(TickPeriodMs);
        if (log.lines == lastLines) {
            if (++quietTicks > StallTicks)
                return QStringLiteral("the simulated tester stopped sending samples after %1").arg(log.lines);
            continue;
        }
        lastLines = log.lines;
        quietTicks = 0;
        // The program closed for the night; the tester runs on.
        if (plan.samplesPerSession > 0 && log.lines % plan.samplesPerSession == 0 && log.lines < plan.samples) {
            for (int second = 0; second < plan.nightMinutes * 60; ++second)
                tester.advance(1000);
        }
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return QString();
}

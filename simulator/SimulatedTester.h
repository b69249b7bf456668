#pragma once

#include "engine/state/Protocol.h"
#include "simulator/CycleMeasurement.h"
#include "simulator/SimulatorConfig.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <optional>
#include <random>

// The instrument's side of the wire: a Model 418C that answers the wake-up
// byte with a star line and every command of its set with "*", its data and
// CR; keeps its configuration, counters and extremes; runs cycles when
// started; and says "+" when new data is ready and "-" when a run ends.
//
// It does no I/O and reads no clock: bytes go in through receive(), come out
// through takeOutput(), and time moves only by advance(). A pump joins it to
// a line (SimulatorPump), a test drives it directly.
class SimulatedTester
{
public:
    enum class RunMode { Stopped, ToLimits, Once, NoLimit, Break };

    // The configuration the value commands write. It starts as one a real
    // tester could hold, every item within the range a configuration file
    // and the editor allow (stroke times at least 25 ms), so that the
    // program can save it and open it again.
    struct Settings
    {
        int contact = 1 | 16 | 32 | 64 | 128;   // normally open, both strokes and bounces tested
        int32_t failLimit = 10;
        int32_t seqLimit = 3;
        int32_t cycleLimit = 100000;
        int32_t maxDownTime = 100, minDownTime = 30;
        int32_t maxUpTime = 100, minUpTime = 30;
        int upperBounce = 200, lowerBounce = 50;
        int32_t maxUpResistTol = 1023, minUpResistTol = 1000;
        int32_t maxDownResistTol = 20, minDownResistTol = 0;
        int32_t maxDownBounceTol = 3000, maxUpBounceTol = 3000;
    };

    struct Stats
    {
        int64_t plusSent = 0;
        int64_t minusSent = 0;
        int64_t plusAnswered = 0;   // "+" followed by a data request
        int64_t recordsSent = 0;    // replies to SampleData
        int64_t lostSignals = 0;    // "+" sent again because no data request followed
        int64_t commands = 0;
    };

    explicit SimulatedTester(const SimulatorConfig &config = SimulatorConfig());

    void receive(const QByteArray &bytes);
    QByteArray takeOutput();   // everything due by now
    void advance(int ms);
    int64_t now() const { return clock; }
    // How long until the tester does something on its own: a reply piece
    // falls due, a cycle ends, a signal may go out or is repeated. -1 when
    // only bytes from the host can move it.
    int64_t msUntilDue() const;

    // Puts bytes on the line now, as noise would.
    void injectOnLine(const QByteArray &bytes);

    SimulatorConfig &config() { return cfg; }
    Settings &settings() { return set; }

    // The reply data of SampleData: 35 fields, 37 from software 1.2 on.
    QByteArray dataRecord() const;
    int status() const;

    RunMode runMode() const { return mode; }
    bool pausedAtBreak() const { return atBreak; }
    bool pistonDown() const;
    int32_t cycleCount() const { return cycles; }
    int32_t failCount() const { return fails; }
    int32_t seqCount() const { return seqFails; }
    int errorCode() const { return errorBits; }
    QString serialNumber() const { return cfg.serialNumber; }
    const Stats &stats() const { return counters; }
    bool signalPending() const { return plusPending || minusPending; }
    bool signalUnanswered() const { return plusOutstanding; }

private:
    struct Chunk
    {
        int64_t due;
        QByteArray bytes;
    };

    void commandLine(const QByteArray &line);
    QByteArray replyData(Command command, const QByteArray &value);
    QByteArray sampleReply();
    std::optional<int64_t> readValue(Command command) const;
    void carryOut(Command command, const QByteArray &value);
    void setValue(Command command, const QByteArray &value);
    void reply(const QByteArray &line, bool command);
    void start(RunMode runMode);
    void stop(bool signalEnd);
    bool limitsReached() const;
    void completeCycle();
    void clearExtremes();
    void sendSignals();
    bool lineIdle() const;
    int32_t currentReading() const;

    SimulatorConfig cfg;
    Settings set;
    std::mt19937 random;

    int64_t clock = 0;
    int64_t lastTraffic = -1000000;   // last byte received or sent
    int64_t lastReceived = -1000000;
    bool awake = false;
    QByteArray input;
    QList<Chunk> output;

    RunMode mode = RunMode::Stopped;
    int cycleTimeMs = 0;   // time into the current cycle
    int32_t breakCount = 0;
    int32_t cyclesSinceBreak = 0;
    bool atBreak = false;
    bool manualPistonDown = false;

    int32_t cycles = 0, fails = 0, seqFails = 0;
    int errorBits = 0;
    CycleMeasurement last;
    int32_t maxUpReading = 0, minUpReading = 1023, maxDownReading = 0, minDownReading = 1023;
    int32_t maxUpBounce = 0, maxDownBounce = 0;

    bool newData = false;       // a cycle ended since the last record was sent
    bool plusPending = false;   // "+" waits for an idle line
    bool minusPending = false;
    bool plusOutstanding = false;   // "+" sent, no data request yet
    int64_t plusSentAt = 0;

    Stats counters;
};

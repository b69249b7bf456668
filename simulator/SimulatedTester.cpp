#include "simulator/SimulatedTester.h"

#include <algorithm>
#include <limits>

namespace {

constexpr char Wake = 27;
constexpr char CR = 13;
constexpr int QuietBeforeSleepMs = 300;
constexpr int MaxCommandLength = 80;
constexpr int MaxCyclesPerAdvance = 200000;

// The leading decimal number of a value text; no digits reads as 0.
int32_t leadingNumber(const QByteArray &text)
{
    int i = 0;
    while (i < text.size() && text.at(i) == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == '-' || text.at(i) == '+'))
        negative = text.at(i++) == '-';
    int64_t value = 0;
    while (i < text.size() && text.at(i) >= '0' && text.at(i) <= '9') {
        value = std::min<int64_t>(value * 10 + (text.at(i) - '0'), int64_t(1) << 40);
        ++i;
    }
    if (negative)
        value = -value;
    return int32_t(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray num(int64_t value)
{
    return QByteArray::number(qlonglong(value));
}

}   // namespace

SimulatedTester::SimulatedTester(const SimulatorConfig &config) : cfg(config), random(config.seed)
{
    last.downReading = contactReading(false, cfg.mode, random);
    last.upReading = last.downReading;
    cycles = std::max<int32_t>(0, cfg.startCycles);
    if (cfg.startRunning)
        start(RunMode::ToLimits);
}

bool SimulatedTester::pistonDown() const
{
    if (mode == RunMode::Stopped || atBreak)
        return manualPistonDown;
    return cycleTimeMs < std::max(1, cfg.periodMs) / 2;
}

int SimulatedTester::status() const
{
    int bits = 0;
    // Paused at a break the test is still on: the host re-arms it.
    if (mode != RunMode::Stopped)
        bits |= 1;
    if (errorBits != 0)
        bits |= 2;
    if (pistonDown())
        bits |= 8;
    // Running without limits the error lamp blinks as a warning.
    if (mode == RunMode::NoLimit)
        bits |= 16;
    return bits;
}

QByteArray SimulatedTester::dataRecord() const
{
    QList<QByteArray> f;
    f.reserve(37);
    f << num(cfg.softwareVersion) << num(set.maxDownBounceTol) << num(set.maxUpBounceTol) << num(last.downStrokeMs)
      << num(last.upStrokeMs) << num(last.downReading) << num(last.upReading) << num(status())
      << cfg.serialNumber.toLatin1() << num(set.failLimit) << num(set.seqLimit) << num(set.cycleLimit) << num(fails)
      << num(seqFails) << num(cycles) << num(set.maxDownTime) << num(set.minDownTime) << num(set.maxUpTime)
      << num(set.minUpTime) << num(maxUpReading) << num(minUpReading) << num(maxDownReading) << num(minDownReading)
      << num(maxUpBounce) << num(maxDownBounce) << num(set.upperBounce & 255) << num(set.lowerBounce & 255)
      << num(set.contact & 255) << num(set.maxUpResistTol) << num(set.minUpResistTol) << num(set.maxDownResistTol)
      << num(set.minDownResistTol) << num(cfg.range) << num(cfg.mode) << num(errorBits);
    if (cfg.softwareVersion >= 12)
        f << num(last.downBounce) << num(last.upBounce);
    return f.join(';');
}

void SimulatedTester::receive(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (cfg.silent) {
        lastTraffic = clock;
        return;
    }
    for (const char c : bytes) {
        // A quiet line sends the tester to sleep; the wake-up byte rouses it.
        if (clock - lastReceived > QuietBeforeSleepMs)
            awake = false;
        lastReceived = clock;
        lastTraffic = clock;
        if (c == Wake) {
            input.clear();
            awake = true;
            reply(QByteArray(), false);
        } else if (c == CR) {
            const QByteArray line = input;
            input.clear();
            if (!cfg.requireWake || awake)
                commandLine(line);
            awake = true;
        } else if (c == '\n') {
            continue;
        } else if (input.size() < MaxCommandLength) {
            input += c;
        }
    }
}

QByteArray SimulatedTester::takeOutput()
{
    QByteArray bytes;
    while (!output.isEmpty() && output.first().due <= clock)
        bytes += output.takeFirst().bytes;
    if (!bytes.isEmpty())
        lastTraffic = clock;
    return bytes;
}

void SimulatedTester::injectOnLine(const QByteArray &bytes)
{
    output.append({clock, bytes});
}

void SimulatedTester::advance(int ms)
{
    if (ms <= 0) {
        sendSignals();
        return;
    }
    const int period = std::max(1, cfg.periodMs);
    int left = ms;
    int cyclesDone = 0;
    while (left > 0) {
        if (mode == RunMode::Stopped || atBreak) {
            clock += left;
            break;
        }
        const int step = std::min(left, period - cycleTimeMs);
        clock += step;
        left -= step;
        cycleTimeMs += step;
        if (cycleTimeMs >= period) {
            cycleTimeMs = 0;
            completeCycle();
            if (++cyclesDone >= MaxCyclesPerAdvance) {
                clock += left;
                break;
            }
        }
    }
    sendSignals();
}

int64_t SimulatedTester::msUntilDue() const
{
    int64_t next = -1;
    const auto dueAt = [&](int64_t at) {
        const int64_t wait = std::max<int64_t>(0, at - clock);
        if (next < 0 || wait < next)
            next = wait;
    };
    if (!output.isEmpty())
        dueAt(output.first().due);
    if (mode != RunMode::Stopped && !atBreak)
        dueAt(clock + std::max(1, cfg.periodMs) - cycleTimeMs);
    if ((plusPending || minusPending) && input.isEmpty() && output.isEmpty())
        dueAt(lastTraffic + cfg.signalQuietMs);
    if (plusOutstanding && newData)
        dueAt(plusSentAt + cfg.signalRetryMs);
    return next;
}

void SimulatedTester::commandLine(const QByteArray &line)
{
    ++counters.commands;
    const int high = line.size() >= 2 ? hexDigit(line.at(0)) : -1;
    const int low = line.size() >= 2 ? hexDigit(line.at(1)) : -1;
    const int code = (high < 0 || low < 0) ? -1 : high * 16 + low;
    if (code < wireCode(Command::Hello) || code > wireCode(Command::ArmBreakUpdate)) {
        // Not a command of this tester: a line the host will not take as an
        // acknowledgement.
        output.append({clock, QByteArray("?\r")});
        return;
    }
    const QByteArray value = line.mid(2);
    const QByteArray data = replyData(Command(code), value);
    reply(data, true);
}

// Carries out a command and returns its reply data.
QByteArray SimulatedTester::replyData(Command command, const QByteArray &value)
{
    switch (command) {
    case Command::Stop: stop(false); return QByteArray();
    case Command::RunToLimits: start(RunMode::ToLimits); return QByteArray();
    case Command::PistonDown: manualPistonDown = true; return QByteArray();
    case Command::PistonUp: manualPistonDown = false; return QByteArray();
    case Command::RunOnce: start(RunMode::Once); return QByteArray();
    case Command::RunNoLimit: start(RunMode::NoLimit); return QByteArray();
    case Command::SampleData:
        ++counters.recordsSent;
        if (plusOutstanding)
            ++counters.plusAnswered;
        newData = false;
        plusPending = false;
        plusOutstanding = false;
        return dataRecord();
    case Command::ReadSoftwareVersion: return num(cfg.softwareVersion);
    case Command::ReadMaxDownBounceTol: return num(set.maxDownBounceTol);
    case Command::ReadMaxUpBounceTol: return num(set.maxUpBounceTol);
    case Command::ReadLastDownStrokeTime: return num(last.downStrokeMs);
    case Command::ReadLastUpStrokeTime: return num(last.upStrokeMs);
    case Command::ReadResistance: return num(currentReading());
    case Command::ReadLastDownResist: return num(last.downReading);
    case Command::ReadLastUpResist: return num(last.upReading);
    case Command::ReadLastDownBounceTime: return num(last.downBounce);
    case Command::ReadLastUpBounceTime: return num(last.upBounce);
    case Command::ReadStatus: return num(status());
    case Command::ReadFailCount: return num(fails);
    case Command::ClearMinMax: clearExtremes(); return QByteArray();
    case Command::ReadFailLimit: return num(set.failLimit);
    case Command::ReadSeqLimit: return num(set.seqLimit);
    case Command::ReadCycleLimit: return num(set.cycleLimit);
    case Command::ReadSerialNumber: return cfg.serialNumber.toLatin1();
    case Command::ReadSeqCount: return num(seqFails);
    case Command::ReadCycleCount: return num(cycles);
    case Command::ClearFailCount:
        fails = 0;
        errorBits = 0;
        return QByteArray();
    case Command::ClearSeqCount: seqFails = 0; return QByteArray();
    case Command::ClearCycleCount: cycles = 0; return QByteArray();
    case Command::ReadMaxDownTime: return num(set.maxDownTime);
    case Command::ReadMinDownTime: return num(set.minDownTime);
    case Command::ReadMaxUpTime: return num(set.maxUpTime);
    case Command::ReadMinUpTime: return num(set.minUpTime);
    case Command::ReadMaxUpResistance: return num(maxUpReading);
    case Command::ReadMinUpResistance: return num(minUpReading);
    case Command::ReadMaxDownResistance: return num(maxDownReading);
    case Command::ReadMinDownResistance: return num(minDownReading);
    case Command::ReadMaxUpBounce: return num(maxUpBounce);
    case Command::ReadMaxDownBounce: return num(maxDownBounce);
    case Command::ReadUpperBounce: return num(set.upperBounce & 255);
    case Command::ReadLowerBounce: return num(set.lowerBounce & 255);
    case Command::ReadContact: return num(set.contact & 255);
    case Command::ReadMaxUpResistTol: return num(set.maxUpResistTol);
    case Command::ReadMinUpResistTol: return num(set.minUpResistTol);
    case Command::ReadMaxDownResistTol: return num(set.maxDownResistTol);
    case Command::ReadMinDownResistTol: return num(set.minDownResistTol);
    case Command::ReadRange: return num(cfg.range);
    case Command::ReadMode: return num(cfg.mode);
    case Command::ReadErrorCode: return num(errorBits);
    case Command::ArmBreakUpdate:
        breakCount = std::max<int32_t>(1, leadingNumber(value));
        start(RunMode::Break);
        return QByteArray();
    default:
        if (command >= Command::WriteSerialNumber) {
            setValue(command, value);
            return QByteArray();
        }
        // Hello, the unused output codes and the holes in the command set:
        // nothing to do.
        return QByteArray();
    }
}

void SimulatedTester::setValue(Command command, const QByteArray &value)
{
    const int32_t n = leadingNumber(value);
    switch (command) {
    case Command::WriteSerialNumber: cfg.serialNumber = QString::fromLatin1(value); break;
    case Command::WriteContact: set.contact = n & 255; break;
    case Command::WriteFailLimit: set.failLimit = n; break;
    case Command::WriteSeqLimit: set.seqLimit = n; break;
    case Command::WriteCycleLimit: set.cycleLimit = n; break;
    case Command::WriteMaxDownTime: set.maxDownTime = n; break;
    case Command::WriteMinDownTime: set.minDownTime = n; break;
    case Command::WriteMaxUpTime: set.maxUpTime = n; break;
    case Command::WriteMinUpTime: set.minUpTime = n; break;
    case Command::WriteUpperBounce: set.upperBounce = n & 255; break;
    case Command::WriteLowerBounce: set.lowerBounce = n & 255; break;
    case Command::WriteMaxUpResistTol: set.maxUpResistTol = n; break;
    case Command::WriteMinUpResistTol: set.minUpResistTol = n; break;
    case Command::WriteMaxDownResistTol: set.maxDownResistTol = n; break;
    case Command::WriteMinDownResistTol: set.minDownResistTol = n; break;
    case Command::WriteRange: cfg.range = n; break;
    case Command::WriteMode: cfg.mode = std::clamp<int32_t>(n, 0, 2); break;
    case Command::WriteMaxDownBounceTol: set.maxDownBounceTol = n; break;
    case Command::WriteMaxUpBounceTol: set.maxUpBounceTol = n; break;
    default: break;
    }
}

void SimulatedTester::reply(const QByteArray &data, bool command)
{
    if (cfg.silent)
        return;
    QByteArray line;
    if (cfg.garbageRate > 0 && std::uniform_real_distribution<double>(0, 1)(random) < cfg.garbageRate) {
        // Stray bytes that are neither a line end nor a signal.
        const int count = std::uniform_int_distribution<int>(1, 6)(random);
        for (int i = 0; i < count; ++i)
            line += char(std::uniform_int_distribution<int>(0x80, 0xFE)(random));
    }
    if (!(command && cfg.noStar))
        line += '*';
    line += data;
    line += CR;
    const int pieces = std::clamp(cfg.splitReplies, 1, int(line.size()));
    const int size = (int(line.size()) + pieces - 1) / pieces;
    for (int i = 0; i < pieces && i * size < line.size(); ++i)
        output.append({clock + int64_t(i) * std::max(1, cfg.splitGapMs), line.mid(i * size, size)});
}

void SimulatedTester::start(RunMode runMode)
{
    mode = runMode;
    atBreak = false;
    cyclesSinceBreak = 0;
    cycleTimeMs = 0;
    plusPending = false;
    plusOutstanding = false;
    minusPending = false;
    // A run that is started with its limits already reached ends at once.
    if (limitsReached())
        stop(true);
}

void SimulatedTester::stop(bool signalEnd)
{
    mode = RunMode::Stopped;
    atBreak = false;
    cycleTimeMs = 0;
    plusPending = false;
    plusOutstanding = false;
    if (signalEnd)
        minusPending = true;
}

bool SimulatedTester::limitsReached() const
{
    if (mode != RunMode::ToLimits && mode != RunMode::Break)
        return false;
    return (set.cycleLimit > 0 && cycles >= set.cycleLimit) || (set.failLimit > 0 && fails >= set.failLimit)
           || (set.seqLimit > 0 && seqFails >= set.seqLimit);
}

void SimulatedTester::completeCycle()
{
    const bool failing = cfg.failureRate > 0 && std::uniform_real_distribution<double>(0, 1)(random) < cfg.failureRate;
    CycleLimits limits;
    limits.contact = set.contact;
    limits.mode = cfg.mode;
    limits.minDownTol = set.minDownResistTol;
    limits.maxDownTol = set.maxDownResistTol;
    limits.minUpTol = set.minUpResistTol;
    limits.maxUpTol = set.maxUpResistTol;
    limits.maxDownBounceTol = set.maxDownBounceTol;
    limits.maxUpBounceTol = set.maxUpBounceTol;
    last = measureCycle(limits, failing, int64_t(cycles) + 1, random);

    if (cycles < std::numeric_limits<int32_t>::max())
        ++cycles;
    // A cycle fails by what it measured, also when it was not meant to.
    if (last.errorBits != 0) {
        ++fails;
        ++seqFails;
        errorBits = last.errorBits;
    } else {
        seqFails = 0;
    }
    maxUpReading = std::max(maxUpReading, last.upReading);
    minUpReading = std::min(minUpReading, last.upReading);
    maxDownReading = std::max(maxDownReading, last.downReading);
    minDownReading = std::min(minDownReading, last.downReading);
    maxUpBounce = std::max(maxUpBounce, last.upBounce);
    maxDownBounce = std::max(maxDownBounce, last.downBounce);
    newData = true;

    if (mode == RunMode::Once || limitsReached()) {
        stop(true);
        return;
    }
    if (mode == RunMode::Break) {
        if (++cyclesSinceBreak >= breakCount) {
            atBreak = true;   // waits here for the host to fetch the data and re-arm
            plusPending = true;
        }
        return;
    }
    if (!plusOutstanding)
        plusPending = true;
}

void SimulatedTester::clearExtremes()
{
    maxUpReading = 0;
    minUpReading = 1023;
    maxDownReading = 0;
    minDownReading = 1023;
    maxUpBounce = 0;
    maxDownBounce = 0;
}

bool SimulatedTester::lineIdle() const
{
    return input.isEmpty() && output.isEmpty() && clock - lastTraffic >= cfg.signalQuietMs;
}

// The tester speaks on its own only on an idle line: never between a
// command and its reply, and only once the host has had time to take the
// last reply.
void SimulatedTester::sendSignals()
{
    if (cfg.silent)
        return;
    if (plusOutstanding && newData && clock - plusSentAt >= cfg.signalRetryMs) {
        // Nobody asked for the data the last "+" announced: say it again.
        ++counters.lostSignals;
        plusOutstanding = false;
        plusPending = true;
    }
    if (!(plusPending || minusPending) || !lineIdle())
        return;
    if (minusPending) {
        // The end of the run carries the last data with it.
        output.append({clock, QByteArray("-")});
        ++counters.minusSent;
        minusPending = false;
        plusPending = false;
        return;
    }
    output.append({clock, QByteArray("+")});
    ++counters.plusSent;
    plusPending = false;
    plusOutstanding = true;
    plusSentAt = clock;
}

int32_t SimulatedTester::currentReading() const
{
    const int type = set.contact & 15;
    bool closed = false;
    const bool down = pistonDown();
    switch (type) {
    case 1: closed = down; break;
    case 2: closed = !down; break;
    case 3: closed = (cycles % 2) == 1; break;
    default: break;
    }
    std::mt19937 noise(uint32_t(clock) ^ cfg.seed);
    return contactReading(closed, cfg.mode, noise);
}

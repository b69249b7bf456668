#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

class QDate;
class QDateTime;
class QTime;
struct TesterState;

// Index of a stroke direction in the two-element arrays below.
enum TrendStroke : int { TrendDown = 0, TrendUp = 1 };

// What the Trend window draws along: the cycle count, or the time.
enum class TrendAxis : int { Cycles = 0, Time = 1 };

// Times are milliseconds of the wall clock as the data log writes it (local
// time, counted as if it were UTC), so that a sample of the live run and the
// same sample read back from its data log sit at the same time.
constexpr int64_t TrendUnknownTime = std::numeric_limits<int64_t>::min();
int64_t trendWallClockMs(int year, int month, int day, int hour, int minute, int second, int ms = 0);
int64_t trendWallClockMs(const QDate &date, const QTime &time);   // TrendUnknownTime when not valid
QDateTime trendWallClock(int64_t ms);                             // its date() and time() are the wall clock

// What a stroke's readings are judged against. It changes only when the
// tester is configured anew, so the history keeps one per change, not per
// sample. Contact limits are in the unit of the measurement mode (+inf: no
// upper limit, an open contact passes); times in seconds; NaN: not known or
// the stroke (or its bounce) is not tested.
struct TrendLimits
{
    TrendLimits();

    int32_t mode = -1;         // 0 resistance (ohms), 1 current (mA), 2 voltage (volts)
    int32_t contactCode = 0;   // 16/32 down/up stroke tested, 64/128 their bounce tested
    float minContact[2], maxContact[2];
    float maxBounce[2];
    float minTime[2], maxTime[2];

    bool sameAs(const TrendLimits &other) const;
};

// One decoded sample, as it comes from the tester or from a data log line.
struct TrendReading
{
    TrendReading();

    int64_t timeMs = TrendUnknownTime;
    int32_t cycleCount = 0;
    int32_t failCount = 0;
    float contact[2];      // last reading in the unit of the mode; +inf open; NaN unknown
    float bounce[2];       // last bounce time in seconds; NaN when the tester does not report it
    float strokeTime[2];   // last stroke time in seconds
    TrendLimits limits;
};

// One sample as kept for drawing: numbers only, 48 bytes.
struct TrendSample
{
    enum Flag : uint8_t {
        NewFailure = 1,       // the failure count rose with this sample
        CounterRestart = 2,   // the tester's cycle count went back (its counters were reset)
        SessionStart = 4,     // a new recording began here (a data log header between samples)
    };

    int64_t cycle;    // cycles since the history began, continued across counter resets
    int64_t timeMs;   // wall clock, or TrendUnknownTime
    int32_t failCount;
    float contact[2];   // NaN also when the stroke is not tested
    float bounce[2];
    float strokeTime[2];
    uint8_t flags;

    bool newFailure() const { return flags & NewFailure; }
    // Where the sample lies along an axis; NaN when its time is unknown.
    double position(TrendAxis axis) const
    {
        if (axis == TrendAxis::Cycles)
            return double(cycle);
        return timeMs == TrendUnknownTime ? std::numeric_limits<double>::quiet_NaN() : double(timeMs);
    }
};

// How the line runs from one sample to the next.
enum class TrendJoin {
    Joined,
    CounterRestart,   // the line breaks
    Gap,              // a pause far longer than the usual interval: a new session begins
    NewSession,       // a recording appended to another: a new session begins
};

// How the line runs from one sample to the next, a pause longer than gapMs
// being a gap.
inline TrendJoin trendJoinBetween(const TrendSample &before, const TrendSample &after, int64_t gapMs)
{
    if (after.flags & TrendSample::SessionStart)
        return TrendJoin::NewSession;
    if (after.timeMs != TrendUnknownTime && before.timeMs != TrendUnknownTime) {
        // A clock put back by a long way breaks the line as well.
        const int64_t step = after.timeMs - before.timeMs;
        if (step > gapMs || step < -gapMs)
            return TrendJoin::Gap;
    }
    if (after.flags & TrendSample::CounterRestart)
        return TrendJoin::CounterRestart;
    return TrendJoin::Joined;
}

// The whole run, sample by sample, kept compact so that a week-long test of a
// million samples stays in memory: samples in fixed blocks (no copying as it
// grows), limits once per change, and the extent of every stretch of samples
// so that a search or a zoomed redraw reads only the stretches it needs.
class TrendHistory
{
public:
    struct Segment
    {
        size_t first;   // index of the first sample judged by these limits
        TrendLimits limits;
    };

    // Where the samples of one stretch lie on each axis, by TrendAxis; the
    // stretch reaches to the first sample of the next one, so that the line
    // between two stretches lies in the first. low > high: nothing on that axis.
    struct Span
    {
        double low[2], high[2];
    };
    static constexpr size_t SpanSize = 1024;
    static constexpr size_t NoSample = size_t(-1);

    TrendHistory();
    ~TrendHistory();
    TrendHistory(TrendHistory &&) noexcept;
    TrendHistory &operator=(TrendHistory &&) noexcept;

    void append(const TrendReading &reading);
    // The next sample begins a new recording.
    void startSession() { sessionPending = true; }
    void clear();

    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const TrendSample &at(size_t i) const { return blocks[i >> BlockBits].get()[i & BlockMask]; }
    const std::vector<Segment> &segments() const { return limitSegments; }
    const Segment &segmentOf(size_t i) const;
    const std::vector<Span> &spans() const { return spanList; }

    // The sample nearest to x along the axis; NoSample when none lies on it.
    size_t nearest(TrendAxis axis, double x) const;
    // The samples that brought a new failure, in order.
    const std::vector<size_t> &failures() const { return failureList; }
    // The first new failure after sample i (NoSample: from the start), and the
    // last one before it (NoSample: from the end); NoSample when there is none.
    size_t nextFailure(size_t i) const;
    size_t previousFailure(size_t i) const;
    // The first and last position along the axis; false when none lies on it.
    bool extent(TrendAxis axis, double &low, double &high) const;

    // A pause longer than this between two samples is a gap: about ten times
    // the usual interval of this run, and never under ten seconds.
    int64_t gapMs() const;
    TrendJoin joinBefore(size_t i, int64_t gapMs) const;

    // Memory held for the samples, limits and stretches.
    size_t bytesUsed() const;

private:
    struct BlockFree
    {
        void operator()(TrendSample *block) const;
    };
    static TrendSample *newBlock();
    void widenSpans(const TrendSample &sample);
    void countInterval(int64_t timeMs);

    // 2^18 samples of 48 bytes: 12 MiB, a whole number of 2 MiB huge pages.
    static constexpr int BlockBits = 18;
    static constexpr size_t BlockSize = size_t(1) << BlockBits;
    static constexpr size_t BlockMask = BlockSize - 1;

    std::vector<std::unique_ptr<TrendSample, BlockFree>> blocks;
    size_t count = 0;
    std::vector<Segment> limitSegments;
    std::vector<Span> spanList;
    std::vector<size_t> failureList;
    // Intervals between samples by their bit length in milliseconds: the
    // usual interval without keeping every one.
    std::array<int64_t, 65> intervalCounts{};
    int64_t lastTimeMs = TrendUnknownTime;
    int32_t lastCycleCount = 0;
    int32_t lastFailCount = 0;
    int64_t cycleOffset = 0;
    bool sessionPending = false;
};

// The sample just decoded into the state record.
TrendReading trendReadingFromState(const TesterState &s);

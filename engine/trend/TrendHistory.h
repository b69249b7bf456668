#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct TesterState;

// Index of a stroke direction in the two-element arrays below.
enum TrendStroke : int { TrendDown = 0, TrendUp = 1 };

// What a stroke's readings are judged against. It changes only when the
// tester is configured anew, so the history keeps one per change, not per
// sample. Contact limits are in the unit of the measurement mode (+inf: no
// upper limit, an open contact passes); times in seconds; NaN: not known or
// the stroke (or its bounce) is not tested.
struct TrendLimits
{
    TrendLimits();

    int32_t mode = -1;          // 0 resistance (ohms), 1 current (mA), 2 voltage (volts)
    int32_t contactCode = 0;    // 16/32 down/up stroke tested, 64/128 their bounce tested
    float minContact[2], maxContact[2];
    float maxBounce[2];
    float minTime[2], maxTime[2];

    bool sameAs(const TrendLimits &other) const;
};

// One decoded sample, as it comes from the tester or from a data log line.
struct TrendReading
{
    TrendReading();

    int32_t cycleCount = 0;
    int32_t failCount = 0;
    float contact[2];           // last reading in the unit of the mode; +inf open; NaN unknown
    float bounce[2];            // last bounce time in seconds; NaN when the tester does not report it
    float strokeTime[2];        // last stroke time in seconds
    TrendLimits limits;
};

// One sample as kept for drawing: numbers only, 40 bytes.
struct TrendSample
{
    int64_t cycle;              // cycles since the history began, continued across counter resets
    int32_t failCount;
    float contact[2];           // NaN also when the stroke is not tested
    float bounce[2];
    float strokeTime[2];
    bool newFailure;            // the failure count rose with this sample
};

// The whole run, sample by sample, kept compact so that a week-long test of a
// million samples stays in memory: samples in fixed blocks (no copying as it
// grows), limits once per change.
class TrendHistory
{
public:
    struct Segment
    {
        size_t first;           // index of the first sample judged by these limits
        TrendLimits limits;
    };

    TrendHistory();
    ~TrendHistory();
    TrendHistory(TrendHistory &&) noexcept;
    TrendHistory &operator=(TrendHistory &&) noexcept;

    void append(const TrendReading &reading);
    void clear();

    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const TrendSample &at(size_t i) const { return blocks[i >> BlockBits].get()[i & BlockMask]; }
    const std::vector<Segment> &segments() const { return limitSegments; }

    // Memory held for the samples and limits.
    size_t bytesUsed() const;

private:
    struct BlockFree
    {
        void operator()(TrendSample *block) const;
    };
    static TrendSample *newBlock();

    // 2^18 samples of 40 bytes: 10 MiB, a whole number of 2 MiB huge pages.
    static constexpr int BlockBits = 18;
    static constexpr size_t BlockSize = size_t(1) << BlockBits;
    static constexpr size_t BlockMask = BlockSize - 1;

    std::vector<std::unique_ptr<TrendSample, BlockFree>> blocks;
    size_t count = 0;
    std::vector<Segment> limitSegments;
    int32_t lastCycleCount = 0;
    int32_t lastFailCount = 0;
    int64_t cycleOffset = 0;
};

// The sample just decoded into the state record.
TrendReading TrendReadingFromState(const TesterState &s);

#include "engine/trend/TrendHistory.h"

#include "engine/state/DataFormat.h"
#include "engine/state/StateTexts.h"
#include "engine/state/TesterState.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#ifdef _WIN32
#include <malloc.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

constexpr float Unknown = std::numeric_limits<float>::quiet_NaN();
constexpr float Open = std::numeric_limits<float>::infinity();
constexpr int StrokeBit[2] = {16, 32};
constexpr int BounceBit[2] = {64, 128};

void fillUnknown(float (&values)[2])
{
    values[0] = values[1] = Unknown;
}

// A contact reading count in the unit of the tester's mode.
float contactValue(const TesterState &s, int32_t count)
{
    if (s.vRPullUp < 1 || s.vRMode < 0 || s.vRMode > 2)
        return Unknown;
    if (s.vRMode == 0 && count >= 1023)
        return Open;
    return float(ResistanceFromCount(s, count));
}

float bounceSeconds(int32_t ticks)
{
    return float(ticks * SecondsPerBounceTick);
}

float strokeSeconds(int32_t ms)
{
    return float(ms / 1000.0);
}

} // namespace

TrendLimits::TrendLimits()
{
    fillUnknown(minContact);
    fillUnknown(maxContact);
    fillUnknown(maxBounce);
    fillUnknown(minTime);
    fillUnknown(maxTime);
}

bool TrendLimits::sameAs(const TrendLimits &other) const
{
    // Bitwise, so that two unknown (NaN) limits count as the same.
    static_assert(sizeof(TrendLimits) == 12 * 4, "TrendLimits must have no padding");
    return std::memcmp(this, &other, sizeof(TrendLimits)) == 0;
}

TrendReading::TrendReading()
{
    fillUnknown(contact);
    fillUnknown(bounce);
    fillUnknown(strokeTime);
}

void TrendHistory::BlockFree::operator()(TrendSample *block) const
{
#ifdef _WIN32
    _aligned_free(block);
#else
    std::free(block);
#endif
}

// A block on huge-page boundaries: a history growing by a million samples
// takes twenty memory faults instead of ten thousand.
TrendSample *TrendHistory::newBlock()
{
    constexpr size_t HugePage = size_t(2) << 20;
    constexpr size_t Bytes = BlockSize * sizeof(TrendSample);
    static_assert(Bytes % HugePage == 0, "a block is a whole number of huge pages");
    static_assert(std::is_trivially_copyable_v<TrendSample>, "samples are stored in raw memory");
#ifdef _WIN32
    void *memory = _aligned_malloc(Bytes, HugePage);
#else
    void *memory = std::aligned_alloc(HugePage, Bytes);
#endif
    if (!memory)
        throw std::bad_alloc();
#ifdef __linux__
    madvise(memory, Bytes, MADV_HUGEPAGE);
#endif
    return static_cast<TrendSample *>(memory);
}

TrendHistory::TrendHistory() = default;
TrendHistory::~TrendHistory() = default;
TrendHistory::TrendHistory(TrendHistory &&) noexcept = default;
TrendHistory &TrendHistory::operator=(TrendHistory &&) noexcept = default;

void TrendHistory::append(const TrendReading &reading)
{
    // A stroke whose contact test is off is not drawn, nor its limits.
    TrendLimits limits = reading.limits;
    TrendSample sample;
    for (int stroke = 0; stroke < 2; ++stroke) {
        const bool tested = limits.contactCode & StrokeBit[stroke];
        const bool bounceTested = tested && (limits.contactCode & BounceBit[stroke]);
        sample.contact[stroke] = tested ? reading.contact[stroke] : Unknown;
        sample.strokeTime[stroke] = tested ? reading.strokeTime[stroke] : Unknown;
        sample.bounce[stroke] = bounceTested ? reading.bounce[stroke] : Unknown;
        if (!tested) {
            limits.minContact[stroke] = limits.maxContact[stroke] = Unknown;
            limits.minTime[stroke] = limits.maxTime[stroke] = Unknown;
        }
        if (!bounceTested)
            limits.maxBounce[stroke] = Unknown;
    }

    // A counter reset starts the tester's count again; the chart goes on.
    if (count > 0 && reading.cycleCount < lastCycleCount)
        cycleOffset += lastCycleCount;
    sample.cycle = cycleOffset + reading.cycleCount;
    sample.failCount = reading.failCount;
    sample.newFailure = count > 0 && reading.failCount > lastFailCount;
    lastCycleCount = reading.cycleCount;
    lastFailCount = reading.failCount;

    if (limitSegments.empty() || !limitSegments.back().limits.sameAs(limits))
        limitSegments.push_back({count, limits});

    if ((count >> BlockBits) == blocks.size())
        blocks.emplace_back(newBlock());
    blocks[count >> BlockBits].get()[count & BlockMask] = sample;
    ++count;
}

void TrendHistory::clear()
{
    blocks.clear();
    limitSegments.clear();
    count = 0;
    lastCycleCount = lastFailCount = 0;
    cycleOffset = 0;
}

size_t TrendHistory::bytesUsed() const
{
    return blocks.capacity() * sizeof(blocks[0]) + blocks.size() * BlockSize * sizeof(TrendSample)
        + limitSegments.capacity() * sizeof(Segment);
}

TrendReading TrendReadingFromState(const TesterState &s)
{
    TrendReading r;
    r.cycleCount = s.CycleCount;
    r.failCount = s.FailCount;
    r.contact[TrendDown] = contactValue(s, s.vLastMeasuredDownResist);
    r.contact[TrendUp] = contactValue(s, s.vLastMeasuredUpResist);
    if (HasLastBounce(s)) {
        r.bounce[TrendDown] = bounceSeconds(s.vLastDownBounceTime);
        r.bounce[TrendUp] = bounceSeconds(s.vLastUpBounceTime);
    }
    r.strokeTime[TrendDown] = strokeSeconds(s.vLastDownStrokeTime);
    r.strokeTime[TrendUp] = strokeSeconds(s.vLastUpStrokeTime);

    TrendLimits &l = r.limits;
    l.mode = s.vRMode;
    l.contactCode = s.vContact;
    l.minContact[TrendDown] = contactValue(s, s.vMinDownResistTol);
    l.maxContact[TrendDown] = contactValue(s, s.vMaxDownResistTol);
    l.minContact[TrendUp] = contactValue(s, s.vMinUpResistTol);
    l.maxContact[TrendUp] = contactValue(s, s.vMaxUpResistTol);
    l.maxBounce[TrendDown] = bounceSeconds(s.vMaxDownBounceTol);
    l.maxBounce[TrendUp] = bounceSeconds(s.vMaxUpBounceTol);
    l.minTime[TrendDown] = strokeSeconds(s.vMinDownTime);
    l.maxTime[TrendDown] = strokeSeconds(s.vMaxDownTime);
    l.minTime[TrendUp] = strokeSeconds(s.vMinUpTime);
    l.maxTime[TrendUp] = strokeSeconds(s.vMaxUpTime);
    return r;
}

#include "engine/trend/TrendHistory.h"

#include "engine/state/DataFormat.h"
#include "engine/state/StateTexts.h"
#include "engine/state/TesterState.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
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
    if (s.reported.rangePullUp < 1 || s.reported.rangeMode < 0 || s.reported.rangeMode > 2)
        return Unknown;
    if (s.reported.rangeMode == 0 && count >= 1023)
        return Open;
    return float(resistanceFromCount(s, count));
}

float bounceSeconds(int32_t ticks)
{
    return float(ticks * SecondsPerBounceTick);
}

float strokeSeconds(int32_t ms)
{
    return float(ms / 1000.0);
}

constexpr int64_t MsPerDay = 86400000;
// Far beyond any date a tester or a data log holds; keeps the arithmetic in range.
constexpr int FarthestYear = 100000;

bool leapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month)
{
    static const int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : Days[month - 1];
}

// Days from 01/01/1970 to a date of the Gregorian calendar, by whole eras of
// 400 years: a few integer steps, no calendar object per log line.
int64_t daysSinceEpoch(int year, int month, int day)
{
    const int64_t y = year - (month <= 2);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// A pause is a gap when it is this many times the usual interval, and at
// least this long: time stamps of a data log have whole seconds.
constexpr int64_t GapFactor = 10;
constexpr int64_t ShortestGapMs = 10000;

int bitLength(int64_t value)
{
    int bits = 0;
    for (; value > 0; value >>= 1)
        ++bits;
    return bits;
}

TrendHistory::Span emptySpan()
{
    constexpr double None = std::numeric_limits<double>::infinity();
    return {{None, None}, {-None, -None}};
}

void widen(TrendHistory::Span &span, const TrendSample &sample)
{
    for (const TrendAxis axis : {TrendAxis::Cycles, TrendAxis::Time}) {
        const double x = sample.position(axis);
        const int a = int(axis);
        if (std::isnan(x))
            continue;
        span.low[a] = std::min(span.low[a], x);
        span.high[a] = std::max(span.high[a], x);
    }
}

// How far x lies from a stretch of samples: no sample in it lies nearer.
double distanceTo(const TrendHistory::Span &span, TrendAxis axis, double x)
{
    const int a = int(axis);
    if (!(span.low[a] <= span.high[a]))
        return std::numeric_limits<double>::infinity();
    return x < span.low[a] ? span.low[a] - x : x > span.high[a] ? x - span.high[a] : 0.0;
}

}   // namespace

int64_t trendWallClockMs(int year, int month, int day, int hour, int minute, int second, int ms)
{
    if (year < -FarthestYear || year > FarthestYear || month < 1 || month > 12 || day < 1
        || day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0
        || second > 59 || ms < 0 || ms > 999)
        return TrendUnknownTime;
    return daysSinceEpoch(year, month, day) * MsPerDay + ((hour * 60 + minute) * 60 + second) * int64_t(1000) + ms;
}

int64_t trendWallClockMs(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid())
        return TrendUnknownTime;
    return trendWallClockMs(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(),
                            time.msec());
}

QDateTime trendWallClock(int64_t ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

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
    static_assert(sizeof(TrendSample) == 48, "a sample stays small: a million of them are kept");
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
    sample.flags = 0;
    if (count > 0 && reading.cycleCount < lastCycleCount) {
        cycleOffset += lastCycleCount;
        sample.flags |= TrendSample::CounterRestart;
    }
    if (count > 0 && reading.failCount > lastFailCount)
        sample.flags |= TrendSample::NewFailure;
    if (count > 0 && sessionPending)
        sample.flags |= TrendSample::SessionStart;
    else
        countInterval(reading.timeMs);
    sessionPending = false;
    sample.cycle = cycleOffset + reading.cycleCount;
    sample.timeMs = reading.timeMs;
    sample.failCount = reading.failCount;
    lastCycleCount = reading.cycleCount;
    lastFailCount = reading.failCount;
    lastTimeMs = reading.timeMs;

    if (limitSegments.empty() || !limitSegments.back().limits.sameAs(limits))
        limitSegments.push_back({count, limits});

    if ((count >> BlockBits) == blocks.size())
        blocks.emplace_back(newBlock());
    blocks[count >> BlockBits].get()[count & BlockMask] = sample;
    widenSpans(sample);
    if (sample.newFailure())
        failureList.push_back(count);
    ++count;
}

void TrendHistory::widenSpans(const TrendSample &sample)
{
    const size_t k = count / SpanSize;
    if (k == spanList.size())
        spanList.push_back(emptySpan());
    widen(spanList[k], sample);
    if (k > 0 && count % SpanSize == 0)
        widen(spanList[k - 1], sample);
}

void TrendHistory::countInterval(int64_t timeMs)
{
    if (timeMs == TrendUnknownTime || lastTimeMs == TrendUnknownTime || timeMs < lastTimeMs)
        return;
    ++intervalCounts[size_t(bitLength(timeMs - lastTimeMs))];
}

int64_t TrendHistory::gapMs() const
{
    int64_t total = 0;
    for (const int64_t n : intervalCounts)
        total += n;
    // The median interval, to within a factor of two: the top of its bit length.
    int64_t usual = 0, seen = 0;
    for (size_t bits = 0; total > 0 && bits < intervalCounts.size(); ++bits) {
        seen += intervalCounts[bits];
        if (2 * seen >= total) {
            usual = bits >= 63 ? std::numeric_limits<int64_t>::max() : (int64_t(1) << bits) - 1;
            break;
        }
    }
    if (usual > std::numeric_limits<int64_t>::max() / GapFactor)
        return std::numeric_limits<int64_t>::max();
    return std::max(ShortestGapMs, usual * GapFactor);
}

TrendJoin TrendHistory::joinBefore(size_t i, int64_t gap) const
{
    if (i == 0 || i >= count)
        return TrendJoin::Joined;
    return trendJoinBetween(at(i - 1), at(i), gap);
}

const TrendHistory::Segment &TrendHistory::segmentOf(size_t i) const
{
    const auto after = std::upper_bound(limitSegments.begin(), limitSegments.end(), i,
                                        [](size_t index, const Segment &s) { return index < s.first; });
    return *(after - 1);
}

bool TrendHistory::extent(TrendAxis axis, double &low, double &high) const
{
    const int a = int(axis);
    low = std::numeric_limits<double>::infinity();
    high = -low;
    for (const Span &span : spanList) {
        low = std::min(low, span.low[a]);
        high = std::max(high, span.high[a]);
    }
    return low <= high;
}

size_t TrendHistory::nearest(TrendAxis axis, double x) const
{
    if (std::isnan(x))
        return NoSample;
    // The stretch that may lie nearest first, then only the stretches that
    // may still hold a nearer sample: a few thousand samples read, not all.
    size_t first = NoSample;
    double bound = std::numeric_limits<double>::infinity();
    for (size_t k = 0; k < spanList.size(); ++k) {
        const double d = distanceTo(spanList[k], axis, x);
        if (d < bound) {
            bound = d;
            first = k;
        }
    }
    size_t found = NoSample;
    double best = std::numeric_limits<double>::infinity();
    const auto search = [&](size_t k) {
        const size_t end = std::min(count, (k + 1) * SpanSize);
        for (size_t i = k * SpanSize; i < end; ++i) {
            const double d = std::abs(at(i).position(axis) - x);
            if (d < best) {
                best = d;
                found = i;
            }
        }
    };
    if (first == NoSample)
        return NoSample;
    search(first);
    for (size_t k = 0; k < spanList.size(); ++k) {
        if (k != first && distanceTo(spanList[k], axis, x) < best)
            search(k);
    }
    return found;
}

size_t TrendHistory::nextFailure(size_t i) const
{
    const auto after =
        i == NoSample ? failureList.begin() : std::upper_bound(failureList.begin(), failureList.end(), i);
    return after == failureList.end() ? NoSample : *after;
}

size_t TrendHistory::previousFailure(size_t i) const
{
    const auto before = i == NoSample ? failureList.end() : std::lower_bound(failureList.begin(), failureList.end(), i);
    return before == failureList.begin() ? NoSample : *(before - 1);
}

void TrendHistory::clear()
{
    blocks.clear();
    failureList.clear();
    limitSegments.clear();
    spanList.clear();
    intervalCounts.fill(0);
    count = 0;
    lastCycleCount = lastFailCount = 0;
    lastTimeMs = TrendUnknownTime;
    cycleOffset = 0;
}

size_t TrendHistory::bytesUsed() const
{
    return blocks.capacity() * sizeof(blocks[0]) + blocks.size() * BlockSize * sizeof(TrendSample)
           + limitSegments.capacity() * sizeof(Segment) + spanList.capacity() * sizeof(Span)
           + failureList.capacity() * sizeof(size_t);
}

TrendReading trendReadingFromState(const TesterState &s)
{
    TrendReading r;
    if (s.counters.updateTime.isValid())
        r.timeMs = trendWallClockMs(s.counters.updateTime.date(), s.counters.updateTime.time());
    r.cycleCount = s.counters.cycleCount;
    r.failCount = s.counters.failCount;
    r.contact[TrendDown] = contactValue(s, s.counters.lastDownResistance);
    r.contact[TrendUp] = contactValue(s, s.counters.lastUpResistance);
    if (hasLastBounce(s)) {
        r.bounce[TrendDown] = bounceSeconds(s.counters.lastDownBounceTime);
        r.bounce[TrendUp] = bounceSeconds(s.counters.lastUpBounceTime);
    }
    r.strokeTime[TrendDown] = strokeSeconds(s.counters.lastDownStrokeTime);
    r.strokeTime[TrendUp] = strokeSeconds(s.counters.lastUpStrokeTime);

    TrendLimits &l = r.limits;
    l.mode = s.reported.rangeMode;
    l.contactCode = s.reported.contact;
    l.minContact[TrendDown] = contactValue(s, s.reported.minDownResistTol);
    l.maxContact[TrendDown] = contactValue(s, s.reported.maxDownResistTol);
    l.minContact[TrendUp] = contactValue(s, s.reported.minUpResistTol);
    l.maxContact[TrendUp] = contactValue(s, s.reported.maxUpResistTol);
    l.maxBounce[TrendDown] = bounceSeconds(s.reported.maxDownBounceTol);
    l.maxBounce[TrendUp] = bounceSeconds(s.reported.maxUpBounceTol);
    l.minTime[TrendDown] = strokeSeconds(s.reported.minDownTime);
    l.maxTime[TrendDown] = strokeSeconds(s.reported.maxDownTime);
    l.minTime[TrendUp] = strokeSeconds(s.reported.minUpTime);
    l.maxTime[TrendUp] = strokeSeconds(s.reported.maxUpTime);
    return r;
}

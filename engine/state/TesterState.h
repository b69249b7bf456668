#pragma once

#include "engine/state/LinkState.h"

#include <QDateTime>
#include <QString>
#include <cstddef>
#include <cstdint>

// One tester's configuration as the tester holds it. Widths follow the
// tester: the int16_t fields are its 16-bit integers, the int32_t fields its
// 32-bit longs.
struct TesterConfig
{
    int32_t maxDownTime = 0;   // ms
    int32_t minDownTime = 0;   // ms, used only if the contact is measured
    int32_t maxUpTime = 0;     // ms
    int32_t minUpTime = 0;     // ms
    int32_t cycleLimit = 0;    // cycles
    int32_t seqLimit = 0;      // sequential failed cycles
    int32_t failLimit = 0;     // failed cycles
    int16_t contact = 0;       // contact type in bits 0-3; 16/32 test down/up, 64/128 bounce down/up
    int16_t upperBounce = 0;   // bounce detection thresholds, 0..255
    int16_t lowerBounce = 0;
    int32_t rangePullUp = 0;      // range value (the pull-up, ohm); -1 = not yet reported
    int16_t rangeMode = 0;        // 0 resistance, 1 current, 2 voltage; -1 = not yet reported
    int32_t maxUpResistTol = 0;   // counts
    int32_t minUpResistTol = 0;
    int32_t maxDownResistTol = 0;
    int32_t minDownResistTol = 0;
    int32_t maxDownBounceTol = 0;   // bounce ticks of 1.6 us
    int32_t maxUpBounceTol = 0;
    QString serialNumber;   // what a master download writes; the tester's own is TesterIdentity's

    // What the tester has reported before its first answer: the range and
    // its mode are unknown (-1), which the readings' texts show as such.
    static TesterConfig notYetReported()
    {
        TesterConfig c;
        c.rangePullUp = -1;
        c.rangeMode = -1;
        return c;
    }
};

// The counts and readings of the last sample the tester sent.
struct TesterCounters
{
    int32_t cycleCount = 0;
    int32_t failCount = 0;
    int32_t seqCount = 0;               // current run of sequential failed cycles
    bool running = false;               // a test is running (status bit 1, or a run command answered)
    int16_t status = 0;                 // status byte: 1 running, 2 LED on, 8 piston down, 16 LED blinking
    int16_t errorCode = 0;              // failure bits shown by the eight failure boxes
    int16_t ledState = 1;               // error LED from the status byte: 0 lit, 1 dark, 2 blinking
    int32_t lastDownStrokeTime = 0;     // ms
    int32_t lastUpStrokeTime = 0;       // ms
    int32_t lastManualResistance = 0;   // manual control reading, count
    int32_t lastDownResistance = 0;     // count
    int32_t lastUpResistance = 0;       // count
    int32_t lastDownBounceTime = 0;     // ticks of 1.6 us; reported from software 1.2 on
    int32_t lastUpBounceTime = 0;
    int32_t maxUpResistance = 1022;   // counts
    int32_t minUpResistance = 0;
    int32_t maxDownResistance = 1022;
    int32_t minDownResistance = 0;
    int32_t maxUpBounce = 0;   // ticks of 1.6 us
    int32_t maxDownBounce = 0;
    QDateTime updateTime;   // when the last full record was decoded
};

// Who the tester is, as it reports itself.
struct TesterIdentity
{
    QString serialNumber;
    int32_t softwareVersion = 0;   // tenths: 12 is version 1.2
};

// The program's own bookkeeping of one tester's session: files, unsaved
// changes and the modes and steps under way.
struct SessionFlags
{
    bool dirtyData = false;        // a sample was taken that is not yet in a data file
    bool dirtyConfig = false;      // the configuration differs from its file
    bool goAgainFlag = false;      // the tester sent "+" since the last arming or run command
    bool goAgainMode = false;      // break-update mode is armed in the tester
    bool saveToDatabase = false;   // in break-update mode, log each break's sample
    bool dataFileOpen = false;
    int16_t repeatCount = 0;       // cycles between breaks in break-update mode
    bool masterUpdate = false;     // the download carries the master fields and ends with a counter reset
    bool learnConfigure = false;   // a learn is in progress; its download ends with a reset and a run start
    bool terminated = false;       // the tester sent "-": the test has ended
    bool downloadedOnce = false;   // a full record was decoded since the port opened
    bool clearCycleCount = true;   // the counters a counter reset still has to clear
    bool clearFailCount = true;
    bool clearSeqCount = true;
    bool clearMinMax = true;
    QString dataFileName;
    QString configFileName;
};

// Everything the program knows about one attached tester. Each
// TesterSession owns one TesterState; the engine, the dialogs and the file
// code read and write it directly.
struct TesterState
{
    using Integer = int16_t;   // the tester's 16-bit integers
    using Long = int32_t;      // the tester's 32-bit longs

    TesterConfig reported = TesterConfig::notYetReported();   // what the tester last reported
    TesterConfig pending;                                     // the operator's setting, which a download writes
    TesterCounters counters;                                  // the last sample
    TesterIdentity identity;
    SessionFlags session;
    LinkState link;
};

// One field of one of TesterState's parts, for tables of fields: C++ has no
// pointer to a member of a member, so the part and the field are chosen at
// compile time and reached through a function.
template <typename T>
struct StateField
{
    T &(*pick)(TesterState &) = nullptr;
    const T &(*read)(const TesterState &) = nullptr;

    constexpr StateField() = default;
    constexpr StateField(std::nullptr_t) {}
    constexpr StateField(T &(*pickField)(TesterState &), const T &(*readField)(const TesterState &))
        : pick(pickField), read(readField)
    {
    }

    T &operator()(TesterState &s) const { return pick(s); }
    const T &operator()(const TesterState &s) const { return read(s); }
    explicit constexpr operator bool() const { return pick != nullptr; }
};

template <typename Member>
struct MemberOf;
template <typename Part, typename T>
struct MemberOf<T Part::*>
{
    using Type = T;
};

template <auto part, auto field>
struct StatePath
{
    using Type = typename MemberOf<decltype(field)>::Type;
    static Type &pick(TesterState &s) { return (s.*part).*field; }
    static const Type &read(const TesterState &s) { return (s.*part).*field; }
};

// stateField<&TesterState::reported, &TesterConfig::cycleLimit>
template <auto part, auto field>
inline constexpr StateField<typename StatePath<part, field>::Type> stateField{&StatePath<part, field>::pick,
                                                                              &StatePath<part, field>::read};

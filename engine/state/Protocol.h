#pragma once

#include <cstdint>

// The tester's command set and the link's timing, each written once.

// A command code as it goes on the wire (two hex digits). Bare commands run
// from Hello to ReadErrorCode, value commands from WriteSerialNumber to
// ArmBreakUpdate. A value of this type may also hold a code the tester does
// not know: the sending procedures refuse those.
enum class Command : int16_t {
    None = 0,      // no command in flight
    Hello = 160,   // a tester was just found on the port
    Stop = 161,
    RunToLimits = 162,
    PistonDown = 163,
    PistonUp = 164,
    Output165 = 165,   // never sent; answered like the piston commands
    Output166 = 166,
    Output167 = 167,
    RunOnce = 170,
    Reserved171 = 171,   // never sent; its answer only frees the link
    RunNoLimit = 172,
    SampleData = 174,   // the full data record
    ReadSoftwareVersion = 175,
    ReadMaxDownBounceTol = 176,
    ReadMaxUpBounceTol = 177,
    ReadLastDownStrokeTime = 178,
    ReadLastUpStrokeTime = 179,
    ReadResistance = 180,   // the manual control's reading
    ReadLastDownResist = 181,
    ReadLastUpResist = 182,
    ReadLastDownBounceTime = 183,
    ReadLastUpBounceTime = 184,
    ReadStatus = 192,
    ReadFailCount = 193,
    ClearMinMax = 194,
    ReadFailLimit = 195,
    ReadSeqLimit = 196,
    ReadCycleLimit = 197,
    ReadSerialNumber = 198,
    ReadSeqCount = 199,
    ReadCycleCount = 200,
    ClearFailCount = 201,
    ClearSeqCount = 202,
    ClearCycleCount = 203,
    ReadMaxDownTime = 204,
    ReadMinDownTime = 205,
    ReadMaxUpTime = 206,
    ReadMinUpTime = 207,
    ReadMaxUpResistance = 208,
    ReadMinUpResistance = 209,
    ReadMaxDownResistance = 210,
    ReadMinDownResistance = 211,
    ReadMaxUpBounce = 212,
    ReadMaxDownBounce = 213,
    ReadUpperBounce = 214,
    ReadLowerBounce = 215,
    ReadContact = 216,
    ReadMaxUpResistTol = 217,
    ReadMinUpResistTol = 218,
    ReadMaxDownResistTol = 219,
    ReadMinDownResistTol = 220,
    ReadRange = 221,
    ReadMode = 222,
    ReadErrorCode = 223,
    WriteSerialNumber = 224,
    WriteContact = 225,
    WriteFailLimit = 226,
    WriteSeqLimit = 227,
    WriteCycleLimit = 228,
    WriteMaxDownTime = 229,
    WriteMinDownTime = 230,
    WriteMaxUpTime = 231,
    WriteMinUpTime = 232,
    WriteUpperBounce = 233,
    WriteLowerBounce = 234,
    WriteMaxUpResistTol = 235,
    WriteMinUpResistTol = 236,
    WriteMaxDownResistTol = 237,
    WriteMinDownResistTol = 238,
    WriteRange = 239,
    WriteMode = 240,
    WriteMaxDownBounceTol = 241,
    WriteMaxUpBounceTol = 242,
    ArmBreakUpdate = 243,   // the value is the break count
};

// The wire code of a command, for arithmetic on code ranges.
constexpr int wireCode(Command command)
{
    return static_cast<int>(command);
}

// The step the link is at. Any other value held here is no step: the next
// poll tick sets the link idle.
enum class LinkStep : int16_t {
    Idle = 0,                 // watching for the tester's own "+" and "-"
    AwaitingWakeUp = 5,       // wake-up byte sent, the command is parked
    AwaitingReply = 10,       // command written, waiting for its reply line
    ReplyReady = 20,          // acknowledged reply read, applied on the next tick
    ProbeStart = 30,          // a port just opened: the first wake-up goes out
    ProbeFirstAnswer = 32,    // waiting for any line after the first wake-up
    ProbeSecondAnswer = 34,   // waiting for a star line after the second
};

// The tester's ports are numbered 1 to PortCount.
inline constexpr int PortCount = 16;

// One poll tick of the conversation, in milliseconds.
inline constexpr int TickPeriodMs = 50;

// Ticks an answer may take before the link is given up (13 s).
inline constexpr int ReplyTimeoutTicks = 260;

// The wake-up byte: the tester drops a command sent after a quiet line.
inline const char EscapeString[] = "\x1b";

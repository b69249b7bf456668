#pragma once

#include "engine/state/Protocol.h"

#include <QString>
#include <cstdint>

// Where the conversation with the tester stands: the port, the step of the
// link, the command in flight and the tick counts the poll cycle keeps.
// Widths follow the tester's 16-bit integers.
struct LinkState
{
    int16_t port = 0;   // port in use or last tried, 1..PortCount
    bool portOpen = false;
    LinkStep step = LinkStep::Idle;
    int16_t quietTicks = 0;             // since the last send or received character, 0..ReplyTimeoutTicks
    int16_t replyTicks = 0;             // since the byte now awaiting its answer went out, 0..ReplyTimeoutTicks
    int16_t refusedReplies = 0;         // replies in a row that came without "*", up to 100
    Command inFlight = Command::None;   // the command whose answer is awaited or parked behind a wake-up
    QString inFlightValue;              // the value text of a value command in flight
    bool busy = true;                   // not ready for operator commands
    int16_t messagePeriods = 0;         // slow periods until a link message leaves the status bar
    int16_t slowTaskTicks = 0;          // tick divider 0..8 for the slow tasks
};

#pragma once

#include <QByteArray>
#include <deque>
#include <optional>

// The webhook's rules, free of the network: events go out one at a time in
// the order they came; one the server did not take (no 2xx answer) is sent
// again after 10 s, then at doubling waits of at most 5 minutes, until an
// hour after its first try, when it is given up and the next one goes.
// Times are milliseconds of one clock, handed in.
class WebhookQueue
{
public:
    static constexpr qint64 FirstRetryMs = 10 * 1000;
    static constexpr qint64 LongestRetryMs = 5 * 60 * 1000;
    static constexpr qint64 GiveUpAfterMs = 60 * 60 * 1000;
    // Events kept while the server is away; the oldest go beyond it.
    static constexpr size_t MostWaiting = 1000;

    void add(const QByteArray &body);
    // The body to send now, if any: the first waiting event once its wait is
    // over and none is in flight. It is in flight until done() is called.
    std::optional<QByteArray> next(qint64 nowMs);
    void done(bool taken, qint64 nowMs);
    // When next() will have something to send; nothing when the queue is
    // empty or an event is in flight.
    std::optional<qint64> wakeAt() const;

    size_t waiting() const { return events.size(); }
    size_t givenUp() const { return dropped; }

private:
    struct Waiting
    {
        QByteArray body;
        qint64 firstTryMs = -1;
        qint64 notBeforeMs = 0;
        qint64 retryMs = FirstRetryMs;
    };
    std::deque<Waiting> events;
    bool inFlight = false;
    size_t dropped = 0;
};

#include "engine/notify/WebhookQueue.h"

#include <algorithm>

void WebhookQueue::add(const QByteArray &body)
{
    // The one in flight stays: its answer is still to come.
    const size_t keptFront = inFlight ? 1 : 0;
    while (events.size() >= MostWaiting && events.size() > keptFront) {
        events.erase(events.begin() + std::ptrdiff_t(keptFront));
        ++dropped;
    }
    events.push_back({body, -1, 0, FirstRetryMs});
}

std::optional<QByteArray> WebhookQueue::next(qint64 nowMs)
{
    if (inFlight || events.empty() || nowMs < events.front().notBeforeMs)
        return std::nullopt;
    Waiting &first = events.front();
    if (first.firstTryMs < 0)
        first.firstTryMs = nowMs;
    inFlight = true;
    return first.body;
}

void WebhookQueue::done(bool taken, qint64 nowMs)
{
    if (!inFlight || events.empty())
        return;
    inFlight = false;
    Waiting &first = events.front();
    if (taken || nowMs - first.firstTryMs >= GiveUpAfterMs) {
        if (!taken)
            ++dropped;
        events.pop_front();
        return;
    }
    first.notBeforeMs = nowMs + first.retryMs;
    first.retryMs = std::min(first.retryMs * 2, LongestRetryMs);
}

std::optional<qint64> WebhookQueue::wakeAt() const
{
    if (inFlight || events.empty())
        return std::nullopt;
    return events.front().notBeforeMs;
}

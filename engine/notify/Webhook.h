#pragma once

#include "engine/notify/StationEvent.h"
#include "engine/notify/WebhookQueue.h"

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <functional>

class WebhookSender;

// Sends every event to the webhook's URL through the queue's rules. Nothing
// here waits: a post is answered later, a retry is a single-shot timer, and
// with nothing to send no timer runs.
class Webhook : public QObject
{
    Q_OBJECT

public:
    // The clock gives milliseconds; empty: a monotonic clock of its own.
    Webhook(WebhookSender &sender, const QUrl &url, std::function<qint64()> clock = nullptr);

    void send(const StationEvent &event);
    // Sends what is due by now; the timer calls it, tests call it after
    // moving their clock.
    void pump();
    const WebhookQueue &queue() const { return events; }

Q_SIGNALS:
    // The server did not take an event (each failed try, with why).
    void failed(const QString &detail);

private:
    void schedule();
    qint64 now() const;

    WebhookSender &sender;
    QUrl url;
    std::function<qint64()> clock;
    WebhookQueue events;
    QTimer retryTimer;
};

// Checks a webhook URL given by the operator: empty when it can be used,
// else the message (only http and https, with a host).
QString webhookUrlProblem(const QString &text);

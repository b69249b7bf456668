#include "engine/notify/Webhook.h"

#include "engine/notify/WebhookSender.h"

#include <QElapsedTimer>
#include <QPointer>
#include <algorithm>

Webhook::Webhook(WebhookSender &sender, const QUrl &url, std::function<qint64()> clock)
    : sender(sender), url(url), clock(std::move(clock))
{
    if (!this->clock) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        this->clock = [started] { return started->elapsed(); };
    }
    retryTimer.setSingleShot(true);
    connect(&retryTimer, &QTimer::timeout, this, &Webhook::pump);
}

qint64 Webhook::now() const
{
    return clock();
}

void Webhook::send(const StationEvent &event)
{
    events.add(stationEventJson(event));
    pump();
}

void Webhook::pump()
{
    const std::optional<QByteArray> body = events.next(now());
    if (!body) {
        schedule();
        return;
    }
    QPointer<Webhook> alive(this);
    sender.post(url, *body, [this, alive](bool taken, const QString &detail) {
        if (!alive)
            return;
        events.done(taken, now());
        if (!taken)
            Q_EMIT failed(detail);
        pump();
    });
}

void Webhook::schedule()
{
    const std::optional<qint64> at = events.wakeAt();
    if (!at) {
        retryTimer.stop();
        return;
    }
    retryTimer.start(int(std::clamp<qint64>(*at - now(), 0, WebhookQueue::LongestRetryMs)));
}

QString webhookUrlProblem(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return QStringLiteral("The webhook URL '%1' is not an http:// or https:// address with a host.").arg(text);
    return QString();
}

#pragma once

#include "engine/notify/WebhookSender.h"

#include <QNetworkAccessManager>

// Posts the webhook's JSON through Qt Network. A server that does not answer
// within the transfer timeout counts as one that did not take the event.
class QtWebhookSender : public WebhookSender
{
public:
    static constexpr int TransferTimeoutMs = 20000;

    void post(const QUrl &url, const QByteArray &json,
              std::function<void(bool taken, const QString &detail)> done) override;

private:
    QNetworkAccessManager network;
};

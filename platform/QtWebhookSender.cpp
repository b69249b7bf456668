#include "platform/QtWebhookSender.h"

#include <QNetworkReply>
#include <QNetworkRequest>

void QtWebhookSender::post(const QUrl &url, const QByteArray &json,
                           std::function<void(bool taken, const QString &detail)> done)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setTransferTimeout(TransferTimeoutMs);
    QNetworkReply *reply = network.post(request, json);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 200 && status < 300) {
            done(true, QStringLiteral("the server answered %1").arg(status));
            return;
        }
        const QString detail = status > 0 ? QStringLiteral("the server answered %1").arg(status) : reply->errorString();
        done(false, QStringLiteral("The webhook %1 did not take an event: %2.")
                        .arg(reply->url().toDisplayString(QUrl::RemoveUserInfo), detail));
    });
}

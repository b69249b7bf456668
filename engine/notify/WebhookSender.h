#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

// Posts one JSON body to a URL and later tells whether the server took it
// (a 2xx answer), never waiting: the network in the program, a list in tests.
class WebhookSender
{
public:
    virtual ~WebhookSender() = default;
    // done is called once, after post() returned.
    virtual void post(const QUrl &url, const QByteArray &json,
                      std::function<void(bool taken, const QString &detail)> done) = 0;
};

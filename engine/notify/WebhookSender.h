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
    // done is called once, after post() returned; detail says what the
    // server answered ("the server answered 200"), or why it did not take it.
    virtual void post(const QUrl &url, const QByteArray &json,
                      std::function<void(bool taken, const QString &detail)> done) = 0;
};

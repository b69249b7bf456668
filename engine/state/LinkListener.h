#pragma once

#include <QDateTime>
#include <QString>

// The link, as it happens: the search tries a port (with why it did not
// open, empty when there is nothing to tell; port 0: no port is left to
// try, as other testers hold every port there is); a tester answered on a port
// (its device when the platform names one); the link to a tester that had
// answered went down. Times are local.
class LinkListener
{
public:
    virtual ~LinkListener() = default;
    virtual void portTried(int /*port*/, const QString & /*problem*/) {}
    virtual void linkFound(int /*port*/, const QString & /*device*/, const QDateTime & /*at*/) {}
    virtual void linkLost(const QDateTime & /*at*/) {}
};

#pragma once

#include "engine/notify/StationEvent.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>

class TesterSession;

// Tells the events of a station's runs from its sessions' own signals and
// states, with no window: a run that ended at its limit or stopped, a new
// failure, the sequential limit, a link lost for 30 s (and found again only
// after it was told lost), a data file error, a tester whose records are
// refused; and the archive's errors, which the program passes on.
class RunEvents : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 LinkLostAfterMs = 30000;

    // The clock gives milliseconds; empty: the system's. Tests move their own.
    explicit RunEvents(std::function<qint64()> clock = nullptr);
    ~RunEvents() override;

    // Watches a tester from now on (a tester that joined the station, the
    // program's only tester). A session is watched once.
    void watch(TesterSession &session);
    void archiveProblem(const QString &text);
    // Tells the links that stayed lost long enough; the program's timer
    // calls it while a link is down, tests call it after moving their clock.
    void checkLinks();

Q_SIGNALS:
    void happened(const StationEvent &event);

private:
    struct Watch;
    void sampleTaken(TesterSession &session, Watch &w);
    void linkLost(Watch &w);
    void linkFound(TesterSession &session, Watch &w);
    void linkWarningChanged(TesterSession &session, Watch &w);
    void tell(const TesterSession &session, EventKind kind, const QString &message, const QString &cause = QString());
    qint64 now() const;

    std::function<qint64()> clock;
    std::map<TesterSession *, Watch> watched;
    QTimer linkTimer;   // runs only while a link is down
};

#include "engine/notify/RunEvents.h"

#include "engine/archive/RunRecorder.h"
#include "engine/session/TesterSession.h"

#include <QDateTime>

struct RunEvents::Watch
{
    bool sampled = false;
    bool running = false;
    int64_t failures = 0;
    bool atSequentialLimit = false;
    bool endSignalled = false;   // "-" came; the final record tells how the run ended
    bool endTold = false;        // the run's end was told; a new run clears it
    qint64 lostSinceMs = -1;     // the link is down since; -1 while it is up
    bool lostTold = false;
    bool refusedTold = false;   // told until the tester acknowledges again
};

RunEvents::RunEvents(std::function<qint64()> clock) : clock(std::move(clock))
{
    linkTimer.setInterval(1000);
    connect(&linkTimer, &QTimer::timeout, this, &RunEvents::checkLinks);
}

RunEvents::~RunEvents() = default;

qint64 RunEvents::now() const
{
    return clock ? clock() : QDateTime::currentMSecsSinceEpoch();
}

void RunEvents::watch(TesterSession &session)
{
    if (watched.count(&session))
        return;
    Watch &w = watched[&session];
    TesterSession *watchedSession = &session;
    connect(&session, &QObject::destroyed, this, [this, watchedSession] { watched.erase(watchedSession); });
    connect(&session, &TesterSession::sampleDecoded, this, [this, &session, &w] { sampleTaken(session, w); });
    connect(&session, &TesterSession::testEnded, this, [&w] { w.endSignalled = true; });
    connect(&session, &TesterSession::runStarted, this, [&w] { w.endTold = false; });
    connect(&session, &TesterSession::linkLost, this, [this, &w] { linkLost(w); });
    connect(&session, &TesterSession::linkFound, this, [this, &session, &w] { linkFound(session, w); });
    connect(&session, &TesterSession::linkWarningChanged, this,
            [this, &session, &w] { linkWarningChanged(session, w); });
    connect(&session, &TesterSession::fileError, this,
            [this, &session](const QString &text) { tell(session, EventKind::FileError, text); });
}

void RunEvents::sampleTaken(TesterSession &session, Watch &w)
{
    const TesterState &s = session.state();
    const bool running = session.glance().runMode(s) != RunMode::Stopped;
    const bool atSequentialLimit = s.reported.seqLimit > 0 && s.counters.seqCount >= s.reported.seqLimit;
    if (w.sampled && s.counters.failCount > w.failures)
        tell(session, EventKind::Failure,
             QStringLiteral("The fail count went up from %1 to %2.").arg(w.failures).arg(s.counters.failCount));
    if (atSequentialLimit && !w.atSequentialLimit) {
        tell(session, EventKind::SequentialLimit,
             QStringLiteral("%1 sequential failures: the limit is reached.").arg(s.counters.seqCount));
        // A tester that stops there ends its run at that limit.
        if (w.endSignalled)
            w.endTold = true;
    }
    if (w.endSignalled) {
        w.endSignalled = false;
        if (!w.endTold)
            tell(session, EventKind::RunEnded, QStringLiteral("The run ended at its limit."));
        w.endTold = true;
    } else if (w.sampled && w.running && !running && !w.endTold) {
        tell(session, EventKind::RunStopped, QStringLiteral("The run stopped."),
             stopCauseWords(session.glance().stopCause()));
        w.endTold = true;
    }
    // A stopped tester that runs again began a new run; a reset counter begins a new watch.
    if (running && !w.running)
        w.endTold = false;
    w.sampled = true;
    w.running = running;
    w.failures = s.counters.failCount;
    w.atSequentialLimit = atSequentialLimit;
}

void RunEvents::linkLost(Watch &w)
{
    if (w.lostSinceMs < 0)
        w.lostSinceMs = now();
    if (!linkTimer.isActive())
        linkTimer.start();
}

void RunEvents::linkFound(TesterSession &session, Watch &w)
{
    if (w.lostTold)
        tell(session, EventKind::LinkFound, QStringLiteral("The tester answers again."));
    w.lostSinceMs = -1;
    w.lostTold = false;
}

void RunEvents::linkWarningChanged(TesterSession &session, Watch &w)
{
    const bool refused =
        session.glance().link().state() == LinkHistory::State::Connected && recordsRefused(session.state());
    if (refused && !w.refusedTold)
        tell(session, EventKind::recordsRefused, QLatin1String(RecordsRefusedText) + QLatin1Char('.'));
    w.refusedTold = refused;
}

void RunEvents::checkLinks()
{
    bool waiting = false;
    for (auto &[session, w] : watched) {
        if (w.lostSinceMs < 0 || w.lostTold)
            continue;
        if (now() - w.lostSinceMs >= LinkLostAfterMs) {
            w.lostTold = true;
            tell(*session, EventKind::LinkLost,
                 QStringLiteral("The tester has not answered for %1 s.").arg((now() - w.lostSinceMs) / 1000));
        } else {
            waiting = true;
        }
    }
    if (!waiting)
        linkTimer.stop();
}

void RunEvents::archiveProblem(const QString &text)
{
    StationEvent event;
    event.kind = EventKind::ArchiveError;
    event.time = QDateTime::currentDateTime();
    event.message = text;
    Q_EMIT happened(event);
}

void RunEvents::tell(const TesterSession &session, EventKind kind, const QString &message, const QString &cause)
{
    const TesterState &s = session.state();
    StationEvent event;
    event.kind = kind;
    event.serial = s.identity.serialNumber.trimmed();
    event.port = session.glance().port();
    event.time = QDateTime::currentDateTime();
    event.cycles = s.counters.cycleCount;
    event.failures = s.counters.failCount;
    event.message = message;
    event.runKey = session.runRecorder().runKey();
    event.cause = cause;
    Q_EMIT happened(event);
}

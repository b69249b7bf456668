#include "engine/station/Station.h"

#include "engine/session/TesterSession.h"
#include "engine/supervision/TesterEngine.h"

#include <algorithm>

Station::Station(const StationOutside &outside, int pollPeriodMs) : outside(outside), pollPeriodMs(pollPeriodMs)
{
    pollTimer.setObjectName("pollTimer");
    connect(&pollTimer, &QTimer::timeout, this, [this] { tick(); });
}

Station::~Station()
{
    // The sessions go before the claims their links hold.
    searcher.reset();
    testers.clear();
}

void Station::start()
{
    addSearcher(std::nullopt);
    if (pollPeriodMs > 0)
        pollTimer.start(pollPeriodMs);
}

void Station::tick()
{
    // A tick may bring a tester into the station and a new searcher: the
    // sessions ticked are the ones there before.
    std::vector<TesterSession *> sessions;
    for (auto &tester : testers)
        sessions.push_back(&tester->session());
    if (searcher)
        sessions.push_back(&searcher->session());
    for (TesterSession *session : sessions)
        session->tick();
}

void Station::shutDown()
{
    pollTimer.stop();
    for (auto &tester : testers)
        tester->session().shutDown();
    if (searcher)
        searcher->session().shutDown();
}

int Station::indexOf(const TesterSession &session) const
{
    for (size_t i = 0; i < testers.size(); ++i)
        if (&testers[i]->session() == &session)
            return int(i);
    return -1;
}

const RunGlance &Station::search() const
{
    static const RunGlance notStarted;
    return searcher ? searcher->session().glance() : notStarted;
}

void Station::preferencesChanged()
{
    for (auto &tester : testers)
        tester->session().preferencesChanged();
    if (searcher)
        searcher->session().preferencesChanged();
}

void Station::failuresSeen(int index)
{
    if (index < 0 || index >= count() || !tester(index).newFailure())
        return;
    tester(index).failuresSeen();
    Q_EMIT testerChanged(index);
}

void Station::setClock(const std::function<QDateTime()> &newClock)
{
    clock = newClock;
    for (auto &tester : testers)
        tester->session().setClock(clock);
    if (searcher)
        searcher->session().setClock(clock);
}

void Station::addSearcher(std::optional<int> searchAfterPort)
{
    searcher = std::make_unique<StationTester>(outside, claims);
    StationTester *tester = searcher.get();
    TesterSession &session = tester->session();
    if (clock)
        session.setClock(clock);
    connect(&session, &TesterSession::portTried, this, [this, tester](int) {
        if (tester == searcher.get())
            Q_EMIT searchChanged();
    });
    connect(&session, &TesterSession::linkFound, this, [this, tester](int port) {
        if (tester == searcher.get())
            join(port);
        else
            changed(tester);
    });
    connect(&session, &TesterSession::sampleDecoded, this, [this, tester] {
        tester->sampleTaken();
        changed(tester);
    });
    connect(&session, &TesterSession::linkLost, this, [this, tester] { changed(tester); });
    connect(&session, &TesterSession::otherTesterFound, this,
            [this, tester](int port, const QString &serial) { otherTesterFound(tester, port, serial); });
    connect(&session, &TesterSession::linkWarningChanged, this, [this, tester] { changed(tester); });
    connect(&session, &TesterSession::runStarted, this, [this, tester] { changed(tester); });
    connect(&session, &TesterSession::logChanged, this, [this, tester] { changed(tester); });
    session.start(searchAfterPort);
}

// The searcher found a tester on `port`: it joins the station in the order
// of the ports, and a new searcher goes on from the next port.
void Station::join(int port)
{
    const auto place = std::find_if(testers.begin(), testers.end(),
                                    [port](const auto &tester) { return tester->session().glance().port() > port; });
    const int index = int(place - testers.begin());
    Q_EMIT testerAboutToJoin(index);
    testers.insert(place, std::move(searcher));
    addSearcher(port);
    Q_EMIT testerJoined(index);
    Q_EMIT searchChanged();
}

// A lost tester's session gave its port up to another tester: a tester of
// the station that lost its link and has that serial number takes the port
// over; otherwise the search finds the newcomer there, and it gets a row of
// its own.
void Station::otherTesterFound(const StationTester *finder, int port, const QString &serialNumber)
{
    for (auto &tester : testers) {
        TesterSession &session = tester->session();
        if (tester.get() != finder && session.glance().linkLost()
            && session.state().identity.serialNumber.trimmed() == serialNumber) {
            session.engine().link().takePort(port);
            return;
        }
    }
}

void Station::changed(const StationTester *tester)
{
    const auto found =
        std::find_if(testers.begin(), testers.end(), [tester](const auto &own) { return own.get() == tester; });
    if (found != testers.end())
        Q_EMIT testerChanged(int(found - testers.begin()));
}

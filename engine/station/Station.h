#pragma once

#include "engine/link/PortClaims.h"
#include "engine/station/StationTester.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class RunGlance;
class TesterSession;

// A test station: every tester found on the program's ports, each with a
// session of its own (engine, link, data log, trend history, settings).
//
// One session searches the ports no tester holds. When it finds a tester,
// that tester joins the station with it, and a new session takes up the
// search from the next port. A tester whose link went down looks for its
// tester again on its own port only, and keeps its place in the station.
// The testers are kept in the order of their ports.
class Station : public QObject
{
    Q_OBJECT

public:
    // pollPeriodMs 0: no timer, the owner calls tick().
    Station(const StationOutside &outside, int pollPeriodMs);
    ~Station() override;

    void start();
    // Shut-down, once the operator agreed: every session closes its data
    // file and stops polling; the testers go on with their tests.
    void shutDown();
    // One poll tick of every session, the searching one last. One timer
    // ticks them all: sixteen testers wake the program as often as one.
    void tick();

    int count() const { return int(testers.size()); }
    StationTester &tester(int index) { return *testers[size_t(index)]; }
    const StationTester &tester(int index) const { return *testers[size_t(index)]; }
    int indexOf(const TesterSession &session) const;   // -1 when it is not one of the testers
    // The link of the session that searches for more testers.
    const RunGlance &search() const;
    // The program's preferences changed: every session follows them.
    void preferencesChanged();
    // The operator brought the tester's window up: its failures are seen.
    void failuresSeen(int index);
    // The time of every session's samples and link events, the searching
    // ones' too; empty: local time. Tests move their own.
    void setClock(const std::function<QDateTime()> &clock);

Q_SIGNALS:
    // A tester was found and joins at index. Whatever else a tester gets
    // for its run (a run in the archive, for one) is given to it here.
    void testerAboutToJoin(int index);
    void testerJoined(int index);
    void testerChanged(int index);   // a sample, the link, the run or the data log
    void searchChanged();

private:
    void addSearcher(std::optional<int> searchAfterPort);
    void join(int port);
    void otherTesterFound(const StationTester *finder, int port, const QString &serialNumber);
    void changed(const StationTester *tester);

    StationOutside outside;
    int pollPeriodMs;
    QTimer pollTimer;
    PortClaims claims;
    std::vector<std::unique_ptr<StationTester>> testers;
    std::unique_ptr<StationTester> searcher;
    std::function<QDateTime()> clock;
};

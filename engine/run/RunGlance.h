#pragma once

#include "engine/run/RunRules.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

struct TesterState;

// The run at a glance for one tester, kept by its session whether or not a
// window shows it: the history of the link, the progress of the run and the
// run command the tester last acknowledged. The main window's overview strip
// and the station's rows read it.
class RunGlance
{
public:
    // What the poll cycle reports, as it happens.
    // False when the link text and its problems stay as they were.
    bool portTried(int port, const QString &problem = QString());
    void linkFound(int port, const QString &device, const QDateTime &at);
    void linkLost(const QDateTime &at);
    void runStarted(const TesterState &s, int code);
    void stopAcknowledged();                   // the stop sent from here was acknowledged
    void sampleTaken(const TesterState &s);    // a full sample was decoded
    void stateChanged(const TesterState &s);   // the run or link state may have changed

    const LinkHistory &link() const { return history; }
    const RunProgress &progress() const { return run; }
    RunMode runMode(const TesterState &s) const { return currentRunMode(s, lastRunCode); }

    int port() const { return foundPort; }   // where the tester was last found, 0 before
    const QString &device() const { return foundDevice; }
    // "Connected since 14:03:07", "Lost at 14:05:00" or "Searching...".
    QString linkStateText() const;
    // The run state, or why and when the last watched run ended while it
    // stays stopped ("Stopped at cycle limit (1000) at 14:02"); "Unknown"
    // until a sample or an acknowledged run command told it. While the link
    // is lost nobody knows how the run goes on: "Link lost at 14:05:00;
    // last seen running to limits".
    QString runText(const TesterState &s) const;
    bool linkLost() const { return history.state() == LinkHistory::State::Lost; }
    // Since when the data is old: the link is connected and a running tester
    // (or one not heard of yet) has sent no sample for three sample
    // intervals, or 10 s if that is longer; invalid while it is fresh.
    QDateTime staleSince(const TesterState &s, const QDateTime &now) const;
    // What the link field says instead of "connected" when nothing gets
    // through: the records refused, or since when no sample came; empty
    // when all is well.
    QString linkWarning(const TesterState &s, const QDateTime &now) const;

    // The time the link's warning is told at: the session's clock, which
    // also stamps its samples.
    std::function<QDateTime()> clock = &QDateTime::currentDateTime;
    // The run stopped at one of its limits: it went as far as it may.
    bool endedAtLimit(const TesterState &s) const;
    // The measured rate and the time to the cycle limit; not known ("----",
    // -1) while the link is lost, as the tester may have stopped meanwhile.
    QString rateText() const;
    int64_t secondsToLimit(const TesterState &s) const;
    // Why the last watched run ended; None while one runs.
    StopCause stopCause() const { return runEndText.isEmpty() ? StopCause::None : lastStop; }
    QString timeToLimitText(const TesterState &s) const;

private:
    LinkHistory history;
    RunProgress run;
    int lastRunCode = 0;
    RunMode modeAtLastSample = RunMode::Stopped;
    bool stopCommanded = false;   // since the last sample
    QString runEndText;           // why the last watched run ended; empty while one runs
    QDateTime runEndAt;           // and when
    bool limitEnd = false;
    StopCause lastStop = StopCause::None;
    int foundPort = 0;
    QString foundDevice;
    QDateTime linkChangedAt;
    QDateTime lastSampleAt;    // the newest sample's time
    int64_t sampleGapMs = 0;   // between the last two samples of this link; 0 before two
    bool sampledSinceFound = false;
    bool stateKnown = false;   // a sample or a run command told the run state
};

// "Comm 3 (/dev/ttyUSB0)", or "Comm 3" when the platform names no device.
QString portNameText(int port, const QString &device);
// The cycle count against the cycle limit, "1234 of 100000 cycles" or
// "1234 cycles, no limit" (a limit of 0).
QString cycleCountText(int64_t count, int64_t limit);
// How much of the cycle limit is done, 0 to 1; -1 without a limit.
double cycleShare(int64_t count, int64_t limit);
// "3 (1 sequential)": the fail count and the sequential fail count.
QString failuresText(const TesterState &s);

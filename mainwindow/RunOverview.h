#pragma once

#include "engine/run/RunRules.h"

#include <QFrame>
#include <QString>
#include <functional>
#include <memory>

class DataLog;
class QLineEdit;
class QProgressBar;
class QPushButton;
class ReadingColours;
struct TesterState;

// The run at a glance, always visible at the top of the main window: the
// link with its device and since when, the run state, the data log, and the
// progress towards the cycle limit with the measured rate and the time
// left. It also greys the readings of the last sample once the link is lost
// and marks readings beyond their tolerance.
//
// It only reads the state record and the data log; the main window passes
// on what the engine reports. A text or colour is set only when it changes,
// so a waiting program repaints nothing.
class RunOverview : public QFrame
{
public:
    // readings: the panel whose value boxes are greyed and marked.
    RunOverview(const TesterState &state, const DataLog &log, QWidget *readings, QWidget *parent = nullptr);
    ~RunOverview() override;

    void portTried(int port, const QString &problem);
    void linkFound(int port, const QString &device, const QDateTime &at);
    void linkLost(const QDateTime &at);
    void runStarted(int code);
    void stopAcknowledged();
    void sampleTaken();      // a full sample was decoded into the state record
    void refresh();          // the link, run and file state may have changed

    // Offered beside "Not logging" while it is set: the run so far from the archive.
    std::function<void()> exportRunSoFar;
    QPushButton *ExportRunButton;

private:
    void showLink();
    void showRun();
    void showLogging();
    void showProgress();

    const TesterState &s;
    const DataLog &log;
    LinkHistory link;
    RunProgress progress;
    int lastRunCode = 0;
    RunMode modeAtLastSample = RunMode::Stopped;
    bool stopCommanded = false;   // since the last sample
    QString runEndText;           // why and when the last watched run ended; empty while one runs
    bool limitEnd = false;
    qint64 linesShown = -1;   // the data log's line count when its text was last made
    std::unique_ptr<ReadingColours> readingColours;

    QLineEdit *LinkStateLbl, *RunStateLbl, *LoggingLbl;
    QProgressBar *CycleProgress;
    QLineEdit *CyclesLbl;
    QLineEdit *RateLbl, *RunTimeLbl, *TimeToLimitLbl;
};

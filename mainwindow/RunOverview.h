#pragma once

#include <QDateTime>
#include <QFrame>
#include <QString>
#include <memory>

class QGridLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class ReadingColours;
class RunGlance;
class TesterSession;
struct TesterState;

// The run at a glance, always visible at the top of the main window: the
// link with its device and since when, the run state, the data log, and the
// progress towards the cycle limit with the measured rate and the time
// left. It also greys the readings of the last sample once the link is lost
// and marks readings beyond their tolerance.
//
// It only reads the state record, the data files and the run's summary,
// which the tester's session keeps; the main window passes on when the engine
// reports. A text or colour is set only when it changes, so a waiting
// program repaints nothing.
class RunOverview : public QFrame
{
public:
    // readings: the panel whose value boxes are greyed and marked.
    RunOverview(const TesterSession &session, QWidget *readings, QWidget *parent = nullptr);
    ~RunOverview() override;

    void linkChanged();   // a port was tried, a tester found or lost
    void runStarted();
    void sampleTaken();   // a full sample was decoded into the state record
    void refresh();       // the link, run and file state may have changed

    // Offered beside "Not logging" once offered: the run so far from the
    // archive; its button's click is the request.
    void offerRunExport();
    bool runExportOffer() const { return runExportOffered; }
    QPushButton *exportRunButton;

private:
    QLineEdit *addValue(QGridLayout *grid, int row, int &column, const char *name, const QString &caption,
                        const QString &toolTip, int span, const QString &widestText);
    void buildStateRow(QGridLayout *grid);
    void buildProgressRow(QGridLayout *grid);
    void showLink();
    void showRun();
    void showLogging();
    void showProgress();

    const TesterSession &session;
    const TesterState &s;
    const RunGlance &summary;
    bool runExportOffered = false;
    qint64 linesShown = -1;   // the data log's line count when its text was last made
    std::unique_ptr<ReadingColours> readingColours;

    QLineEdit *linkStateText, *runStateText, *loggingText;
    QProgressBar *cycleProgress;
    QLineEdit *cyclesText;
    QLineEdit *rateText, *runTimeText, *timeToLimitText;
};

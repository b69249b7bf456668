#pragma once

#include "engine/state/TesterView.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <optional>

class RunGlance;
class TrendHistory;
class TrendLineStore;
struct TesterState;

// A tester's session as its engine sees it: every call goes on to the
// window that shows the tester, when one is open. The title is remembered,
// so that a window that opens later shows it; each sample
// joins the run's history, and the link, the run and each sample its
// summary, before the window hears of them; they are also told through
// signals.
class SessionView : public QObject, public TesterView
{
    Q_OBJECT

public:
    SessionView(const TesterState &state, TrendHistory &history, TrendLineStore &lines, RunGlance &summary)
        : s(state), history(history), lines(lines), summary(summary)
    {
    }

    void setWindow(TesterView *shownIn) { window = shownIn; }
    // In a station each session follows one tester: once it has had a
    // sample, a tester found again after a loss counts as found only when
    // its first record carries the same serial number.
    void followOneTester() { oneTester = true; }
    TesterView *shownIn() const { return window; }
    const QString &title() const { return lastTitle; }

    void showBarMessage(const QString &text) override;
    void showBarPanels() override;
    void showVersion(const QString &text) override;
    void updateControls() override;
    void showReadings() override;
    void showMode() override;
    void showPullUp() override;
    void showSerialNumber() override;
    void showSampleDate(const QString &text) override;
    void drawLed(int drawing) override;
    void setTitle(const QString &text) override;
    void sampleTaken(const DecodedSample &sample) override;
    bool takesTester(const QString &serialNumber) override;
    void portTried(int port, const QString &problem) override;
    void linkFound(int port, const QString &device, const QDateTime &at) override;
    void linkLost(const QDateTime &at) override;
    void runStarted(int code) override;
    void stopAcknowledged() override;
    void testEnded() override;
    void testerChanged(TesterChange change) override;

Q_SIGNALS:
    void sampleArrived();
    void searchTried(int port, const QString &problem);
    void testerFound(int port, const QString &device, const QDateTime &at);
    void testerLost(const QDateTime &at);
    void runCommanded(int code);
    void stopCommanded();
    void limitReached();
    void changeSent(TesterChange change);
    // Another tester than this session's answered on its port, which the
    // session gave up; its tester stays lost.
    void otherTesterFound(int port, const QString &serialNumber);

private:
    template <typename Call>
    void toWindow(const Call &call)
    {
        if (window)
            call(*window);
    }

    const TesterState &s;
    TrendHistory &history;
    TrendLineStore &lines;
    RunGlance &summary;
    struct Find
    {
        int port = 0;
        QString device;
        QDateTime at;
    };
    void tellFound(const Find &find);

    TesterView *window = nullptr;
    QString lastTitle;
    bool oneTester = false;
    QString ownSerial;              // of the last sample taken
    std::optional<Find> heldFind;   // a find after a loss, until its record tells who answered
};

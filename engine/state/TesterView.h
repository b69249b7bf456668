#pragma once

#include <QDateTime>
#include <QString>

// Commands that change what the tester holds, kept with its runs.
enum class TesterChange { ConfigDownload, CounterReset, Learn, MasterDownload };

// What the conversation engine asks of the main window. The engine never
// sees a widget: its tester's session passes the calls on to the window
// (MainForm) when one is open; tests use a fake that records the calls.
class TesterView
{
public:
    virtual ~TesterView() = default;

    // Status bar: one text across the whole bar, or the four panels.
    virtual void showBarMessage(const QString &text) = 0;
    virtual void showBarPanels() = 0;
    virtual void setVersionPanel(const QString &text) = 0;   // panel 4

    virtual void SetControls() = 0;
    virtual void DisplayData() = 0;
    virtual void DisplayMode() = 0;
    virtual void DisplayRValue() = 0;
    virtual void DisplaySerialNum() = 0;
    virtual void showSampleDate(const QString &text) = 0;

    // The error LED: 0 drawn filled (lit), 1 hollow (dark).
    virtual void drawLed(int drawing) = 0;

    virtual void beep() = 0;                                  // the tester ended a test
    virtual void setPistonBox(bool /*ticked*/) {}              // manual control's "Piston" box
    virtual void showManualReading(const QString & /*text*/) {}// manual control's CurntReadingBox
    // The window title: the program's name, and the data file's while one is open.
    virtual void setTitle(const QString & /*text*/) {}

    // A full data record was decoded into the state record (after DisplayData),
    // and the data log and the archive have it.
    virtual void sampleDecoded() {}

    // The link, as it happens: the search tries a port (with why it did not
    // open, empty when there is nothing to tell); a tester answered on a port
    // (its device when the platform names one); the link to a tester that had
    // answered went down. Times are local.
    virtual void portTried(int /*port*/, const QString & /*problem*/) {}
    virtual void linkFound(int /*port*/, const QString & /*device*/, const QDateTime & /*at*/) {}
    virtual void linkLost(const QDateTime & /*at*/) {}
    // The tester acknowledged a run command: 162 to limits, 170 once, 172 without limit.
    virtual void runStarted(int /*code*/) {}
    // The tester signalled the end of its test (after beep).
    virtual void testEnded() {}
    // A download or counter reset was started.
    virtual void testerChanged(TesterChange /*change*/) {}
    // The tester acknowledged the stop command (161) sent from here.
    virtual void stopAcknowledged() {}
};

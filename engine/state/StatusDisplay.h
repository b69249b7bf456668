#pragma once

#include <QString>

// What the tester's window shows of the engine's state: the status bar, the
// readings of the last sample, the controls the link allows, the error LED
// and the title. The engine calls it when a value changed; the window
// reads the state record to draw it.
class StatusDisplay
{
public:
    virtual ~StatusDisplay() = default;

    // The status bar: one text across the whole bar, or the four panels.
    virtual void showBarMessage(const QString &text) = 0;
    virtual void showBarPanels() = 0;
    virtual void showVersion(const QString &text) = 0;   // the tester's software version, last panel

    virtual void updateControls() = 0;   // the link became busy or free, or the run changed
    virtual void showReadings() = 0;     // counters, limits and measurements of the last sample
    virtual void showMode() = 0;         // the resistance mode and its units
    virtual void showPullUp() = 0;       // the pull-up resistor
    virtual void showSerialNumber() = 0;
    virtual void showSampleDate(const QString &text) = 0;

    // The error LED: 0 drawn filled (lit), 1 hollow (dark).
    virtual void drawLed(int drawing) = 0;

    // The window title: the program's name, and the data file's while one is open.
    virtual void setTitle(const QString & /*text*/) {}
};

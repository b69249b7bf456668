#pragma once

#include "state/TesterView.h"

#include <QStringList>

// A main window for tests: every call is recorded in `calls` as a short
// string, and the widgets it stands for keep their last value.
//
//   "SetControls", "DisplayData", "DisplayMode", "DisplayRValue",
//   "DisplaySerialNum", "bar:<text>", "panels", "version:<text>",
//   "sampleDate:<text>", "led:<0|1>", "beep", "piston:<0|1>", "manual:<text>"
class FakeView : public TesterView
{
public:
    void showBarMessage(const QString &text) override;
    void showBarPanels() override;
    void setVersionPanel(const QString &text) override;
    void SetControls() override;
    void DisplayData() override;
    void DisplayMode() override;
    void DisplayRValue() override;
    void DisplaySerialNum() override;
    void showSampleDate(const QString &text) override;
    int ledDrawing() const override { return led; }
    void drawLed(int drawing) override;
    void beep() override;
    void setPistonBox(bool ticked) override;
    void showManualReading(const QString &text) override;

    QStringList calls;
    QString barText;        // the whole-bar message, empty while the panels show
    int led = 1;            // Shape1: 0 filled, 1 hollow
    bool pistonTicked = false;
    int beeps = 0;
};

// The data log for tests: counts the samples it was asked to save.
class FakeSampleLog : public SampleLog
{
public:
    void SaveToFile() override { ++saved; }
    int saved = 0;
};

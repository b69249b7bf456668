#pragma once

#include "engine/state/TesterView.h"

// A main window that draws nothing, for programs that run the engine without
// a screen (the soak run, the timing bench). It only remembers the LED so
// the engine's blink logic sees a consistent lamp.
class SilentView : public TesterView
{
public:
    void showBarMessage(const QString &) override {}
    void showBarPanels() override {}
    void setVersionPanel(const QString &) override {}
    void SetControls() override {}
    void DisplayData() override {}
    void DisplayMode() override {}
    void DisplayRValue() override {}
    void DisplaySerialNum() override {}
    void showSampleDate(const QString &) override {}
    int ledDrawing() const override { return led; }
    void drawLed(int drawing) override { led = drawing; }
    void beep() override {}
    void setPistonBox(bool) override {}
    void showManualReading(const QString &) override {}

private:
    int led = 1;
};

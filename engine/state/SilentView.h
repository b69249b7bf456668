#pragma once

#include "engine/state/TesterView.h"

// A main window that draws nothing, for programs that run the engine without
// a screen (the soak run, the timing bench).
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
    void drawLed(int) override {}
    void beep() override {}
    void setPistonBox(bool) override {}
    void showManualReading(const QString &) override {}
};

#pragma once

#include "engine/state/TesterView.h"

// A main window that draws nothing, for programs that run the engine without
// a screen (the soak run, the timing bench).
class SilentView : public TesterView
{
public:
    void showBarMessage(const QString &) override {}
    void showBarPanels() override {}
    void showVersion(const QString &) override {}
    void updateControls() override {}
    void showReadings() override {}
    void showMode() override {}
    void showPullUp() override {}
    void showSerialNumber() override {}
    void showSampleDate(const QString &) override {}
    void drawLed(int) override {}
};

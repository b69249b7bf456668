#pragma once

#include "engine/state/DecodedSample.h"
#include "engine/state/TesterView.h"

#include <QtCore>

// A tester's window for tests: it keeps what the engine showed and counts
// what tests look at.
class FakeView : public TesterView
{
public:
    void showBarMessage(const QString &text) override { barText = text; }
    void showBarPanels() override { barText.clear(); }
    void showVersion(const QString &) override {}
    void updateControls() override {}
    void showReadings() override { ++dataShown; }
    void showMode() override {}
    void showPullUp() override {}
    void showSerialNumber() override {}
    void showSampleDate(const QString &) override {}
    void drawLed(int drawing) override { led = drawing; }
    void testEnded() override { ++beeps; }

    QString barText;   // the whole-bar message, empty while the panels show
    int led = 1;       // the error LED as last drawn: 0 lit, 1 dark
    int beeps = 0;     // the ends of a test the window beeped for
    int dataShown = 0;
};

// Where the engine's samples go, for tests: counts every sample, and those
// the data log would take.
class FakeSampleListener : public SampleListener
{
public:
    void sampleTaken(const DecodedSample &sample) override
    {
        ++taken;
        if (sample.forDataLog)
            ++saved;
        atBreak = sample.atBreak;
    }
    int taken = 0;
    int saved = 0;
    bool atBreak = false;   // the last sample's
};

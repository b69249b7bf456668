#pragma once

#include "engine/state/DecodedSample.h"
#include "engine/state/LinkListener.h"
#include "engine/state/RunListener.h"
#include "engine/state/StatusDisplay.h"

// Every kind of news the engine tells of one tester: what to show, the
// link, the runs and each sample. The engine never sees a widget: it tells
// its session's SessionView, which passes the news on to the tester's
// window (a TesterWindow) when one is open; tests use FakeView, which
// records the calls.
class TesterView : public StatusDisplay, public LinkListener, public RunListener, public SampleListener
{
public:
    void sampleTaken(const DecodedSample &) override {}
};

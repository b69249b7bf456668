#pragma once

#include "engine/state/DecodedSample.h"
#include "engine/state/LinkListener.h"
#include "engine/state/RunListener.h"
#include "engine/state/StatusDisplay.h"

// A window over one tester hears every kind of news the engine tells: what
// to show, the link, the runs and each sample. The engine never sees a
// widget: its tester's session passes the news on to the window when one
// is open; tests use a fake that records the calls.
class TesterView : public StatusDisplay, public LinkListener, public RunListener, public SampleListener
{
public:
    void sampleTaken(const DecodedSample &) override {}
};

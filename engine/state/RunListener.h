#pragma once

// Commands that change what the tester holds, kept with its runs.
enum class TesterChange { ConfigDownload, CounterReset, Learn, MasterDownload };

// The tester's runs, as they happen.
class RunListener
{
public:
    virtual ~RunListener() = default;
    // The tester acknowledged a run command: 162 to limits, 170 once, 172 without limit.
    virtual void runStarted(int /*code*/) {}
    // The tester signalled the end of its test; a window beeps.
    virtual void testEnded() {}
    // A download or counter reset was started.
    virtual void testerChanged(TesterChange /*change*/) {}
    // The tester acknowledged the stop command (161) sent from here.
    virtual void stopAcknowledged() {}
};

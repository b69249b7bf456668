#include "engine/procedures/LearnProcedure.h"

#include "engine/config/ConfigRecord.h"
#include "engine/procedures/DefaultConfig.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"

bool learnRunDataIn(const TesterState &s)
{
    // The tester's end of run sets Terminated on an idle link and sends the
    // data request in the same poll tick, so the link is idle again only
    // once the record that followed the end has been taken. (A record of
    // the run taken earlier, or one that went straight into an open data
    // file, does not count.)
    return s.session.terminated && s.link.portOpen && s.link.step == LinkStep::Idle && s.link.inFlight == Command::None;
}

bool LearnProgress::tick(const TesterState &s)
{
    bool close = false;
    ++counter;
    if (counter > LastTick) {
        TimeOut = true;
        close = true;
    }
    if (learnRunDataIn(s)) {
        Canceled = false;
        close = true;
    }
    return close;
}

LearnProcedure::LearnProcedure(TesterState &state, TesterEngine &testerEngine, Prompts &learnPrompts)
    : s(state), engine(testerEngine), prompts(learnPrompts)
{
}

void LearnProcedure::configureLearnMenu()
{
    if (!prompts.checkConfigSaved())
        return;
    // The defaults are in place before the operator confirms: a cancelled
    // learn leaves them (nothing is sent).
    setDefaultConfig(s);
    const LearnChoice choice = prompts.askLearnOptions();
    s.pending.contact = choice.xContact;
    if (!choice.LearnGo)
        return;

    s.session.learnConfigure = true;
    s.session.dirtyData = false;
    s.session.terminated = false;
    engine.setClearAll();
    engine.startOrdinaryDownload();
    if (s.link.inFlight != Command::WriteContact) {
        // The link was not free and the download never started. A learn
        // flag left behind would turn the next ordinary download into a
        // counter reset and a test run.
        s.session.learnConfigure = false;
        return;
    }
    // Closed early or timed out: the download, clears and cycles run on in
    // the tester, and the end of the run only shows its data.
    if (!prompts.waitForLearnRun())
        return;
    copyCurrentConfigToEdit(s);
    setLearnedConfig(s);
    prompts.editConfiguration(true);
}

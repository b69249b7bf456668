#include "engine/link/WaitState.h"

#include "engine/state/TesterState.h"
#include "engine/state/TesterView.h"

void WaitStateSet(TesterState &s, TesterView &view)
{
    if (s.link.busy)
        return;
    s.link.busy = true;
    view.SetControls();
}

void WaitStateClear(TesterState &s, TesterView &view)
{
    if (!s.link.busy)
        return;
    s.link.busy = false;
    view.SetControls();
}

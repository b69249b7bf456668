#include "engine/link/WaitState.h"

#include "engine/state/TesterState.h"
#include "engine/state/TesterView.h"

void WaitStateSet(TesterState &s, TesterView &view)
{
    if (s.MustWait)
        return;
    s.MustWait = true;
    view.SetControls();
}

void WaitStateClear(TesterState &s, TesterView &view)
{
    if (!s.MustWait)
        return;
    s.MustWait = false;
    view.SetControls();
}

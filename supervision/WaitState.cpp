#include "supervision/WaitState.h"

#include "state/TesterState.h"
#include "state/TesterView.h"

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

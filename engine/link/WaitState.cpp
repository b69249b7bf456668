#include "engine/link/WaitState.h"

#include "engine/state/TesterState.h"
#include "engine/state/StatusDisplay.h"

void WaitStateSet(TesterState &s, StatusDisplay &view)
{
    if (s.MustWait)
        return;
    s.MustWait = true;
    view.updateControls();
}

void WaitStateClear(TesterState &s, StatusDisplay &view)
{
    if (!s.MustWait)
        return;
    s.MustWait = false;
    view.updateControls();
}

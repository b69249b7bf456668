#include "engine/link/WaitState.h"

#include "engine/state/StatusDisplay.h"
#include "engine/state/TesterState.h"

void WaitStateSet(TesterState &s, StatusDisplay &view)
{
    if (s.link.busy)
        return;
    s.link.busy = true;
    view.updateControls();
}

void WaitStateClear(TesterState &s, StatusDisplay &view)
{
    if (!s.link.busy)
        return;
    s.link.busy = false;
    view.updateControls();
}

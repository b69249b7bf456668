#include "engine/link/WaitState.h"

#include "engine/state/StatusDisplay.h"
#include "engine/state/TesterState.h"

void waitStateSet(TesterState &s, StatusDisplay &view)
{
    if (s.link.busy)
        return;
    s.link.busy = true;
    view.updateControls();
}

void waitStateClear(TesterState &s, StatusDisplay &view)
{
    if (!s.link.busy)
        return;
    s.link.busy = false;
    view.updateControls();
}

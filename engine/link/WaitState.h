#pragma once

class StatusDisplay;
struct TesterState;

// link.busy greys the operator commands while the link is busy; the controls
// are recomputed only when it really changes.
void WaitStateSet(TesterState &s, StatusDisplay &view);
void WaitStateClear(TesterState &s, StatusDisplay &view);

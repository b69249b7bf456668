#pragma once

class StatusDisplay;
struct TesterState;

// link.busy greys the operator commands while the link is busy; the controls
// are recomputed only when it really changes.
void waitStateSet(TesterState &s, StatusDisplay &view);
void waitStateClear(TesterState &s, StatusDisplay &view);

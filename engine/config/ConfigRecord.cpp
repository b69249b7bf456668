#include "engine/config/ConfigRecord.h"

#include "engine/state/TesterState.h"

void copyCurrentConfigToEdit(TesterState &s)
{
    s.pending.maxDownTime = s.reported.maxDownTime;
    s.pending.minDownTime = s.reported.minDownTime;
    s.pending.maxUpTime = s.reported.maxUpTime;
    s.pending.minUpTime = s.reported.minUpTime;
    s.pending.cycleLimit = s.reported.cycleLimit;
    s.pending.seqLimit = s.reported.seqLimit;
    s.pending.failLimit = s.reported.failLimit;
    s.pending.contact = s.reported.contact;
    s.pending.upperBounce = s.reported.upperBounce;
    s.pending.lowerBounce = s.reported.lowerBounce;
    s.pending.rangePullUp = s.reported.rangePullUp;
    s.pending.rangeMode = s.reported.rangeMode;
    s.pending.maxUpResistTol = s.reported.maxUpResistTol;
    s.pending.minUpResistTol = s.reported.minUpResistTol;
    s.pending.maxDownResistTol = s.reported.maxDownResistTol;
    s.pending.minDownResistTol = s.reported.minDownResistTol;
    s.pending.maxDownBounceTol = s.reported.maxDownBounceTol;
    s.pending.maxUpBounceTol = s.reported.maxUpBounceTol;
}

#include "engine/config/ConfigRecord.h"

#include "engine/state/TesterState.h"

void copyCurrentConfigToEdit(TesterState &s)
{
    s.sMaxDownTime = s.vMaxDownTime;
    s.sMinDownTime = s.vMinDownTime;
    s.sMaxUpTime = s.vMaxUpTime;
    s.sMinUpTime = s.vMinUpTime;
    s.sCycleLimit = s.vCycleLimit;
    s.sSeqLimit = s.vSeqLimit;
    s.sFailLimit = s.vFailLimit;
    s.sContact = s.vContact;
    s.sUpperBounce = s.vUpperBounce;
    s.sLowerBounce = s.vLowerBounce;
    s.sRPullUp = s.vRPullUp;
    s.sRMode = s.vRMode;
    s.sMaxUpResistTol = s.vMaxUpResistTol;
    s.sMinUpResistTol = s.vMinUpResistTol;
    s.sMaxDownResistTol = s.vMaxDownResistTol;
    s.sMinDownResistTol = s.vMinDownResistTol;
    s.sMaxDownBounceTol = s.vMaxDownBounceTol;
    s.sMaxUpBounceTol = s.vMaxUpBounceTol;
}

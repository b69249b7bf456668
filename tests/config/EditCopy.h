#pragma once

#include "state/TesterState.h"

// An edit copy in resistance mode over 1000 ohms whose every value survives
// the editor's trip to text and back. The tester reports the same range.
inline TesterState EditCopy(int contact = 1 | 16 | 32 | 64 | 128)
{
    TesterState s;
    s.vRPullUp = s.sRPullUp = 1000;
    s.vRMode = s.sRMode = 0;
    s.sMaxDownTime = 1000; s.sMinDownTime = 500; s.sMaxUpTime = 1200; s.sMinUpTime = 600;
    s.sCycleLimit = 1000; s.sSeqLimit = 3; s.sFailLimit = 10;
    s.sContact = int16_t(contact);
    s.sUpperBounce = 200; s.sLowerBounce = 50;
    s.sMaxUpResistTol = 1023; s.sMinUpResistTol = 1000; s.sMaxDownResistTol = 20; s.sMinDownResistTol = 0;
    s.sMaxDownBounceTol = 3000; s.sMaxUpBounceTol = 2500;
    return s;
}

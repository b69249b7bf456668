#pragma once

#include "engine/config/ConfigRecord.h"
#include "engine/state/TesterState.h"

#include <QStringList>

// The edit copy as "name=value" texts, so a test can compare whole
// configurations and name the one item that differs.
inline QStringList editCopy(const TesterState &s)
{
    const auto n = [](qint64 value) { return QString::number(value); };
    return {"contact=" + n(s.sContact),
            "failLimit=" + n(s.sFailLimit),
            "seqLimit=" + n(s.sSeqLimit),
            "cycleLimit=" + n(s.sCycleLimit),
            "maxDownTime=" + n(s.sMaxDownTime),
            "minDownTime=" + n(s.sMinDownTime),
            "maxUpTime=" + n(s.sMaxUpTime),
            "minUpTime=" + n(s.sMinUpTime),
            "upperBounce=" + n(s.sUpperBounce),
            "lowerBounce=" + n(s.sLowerBounce),
            "maxUpTol=" + n(s.sMaxUpResistTol),
            "minUpTol=" + n(s.sMinUpResistTol),
            "maxDownTol=" + n(s.sMaxDownResistTol),
            "minDownTol=" + n(s.sMinDownResistTol),
            "range=" + n(s.sRPullUp),
            "mode=" + n(s.sRMode),
            "maxDownBounce=" + n(s.sMaxDownBounceTol),
            "maxUpBounce=" + n(s.sMaxUpBounceTol),
            "serial=" + s.sSerialNumber};
}

// A tester with software 2.1 and a 1000-ohm pull-up holding the
// configuration of BaseFile, copied into the edit copy; contact code as given.
inline void baseConfig(TesterState &s, int contact = 49)
{
    s.vSoftwareVersion = 21, s.vRMode = 0, s.vRPullUp = 1000, s.vContact = int16_t(contact);
    s.vFailLimit = 10, s.vSeqLimit = 3, s.vCycleLimit = 100000;
    s.vMaxDownTime = 500, s.vMinDownTime = 50, s.vMaxUpTime = 500, s.vMinUpTime = 50;
    s.vUpperBounce = 129, s.vLowerBounce = 125, s.vMaxDownBounceTol = 3000, s.vMaxUpBounceTol = 62500;
    s.vMaxUpResistTol = 1023, s.vMinUpResistTol = 512, s.vMaxDownResistTol = 16, s.vMinDownResistTol = 0;
    copyCurrentConfigToEdit(s);
}

// The ordinary file of that configuration, one field per line.
inline const QStringList BaseFile =
    QStringLiteral("Model 418C|Software Ver 2.1|0|1000|49|10|3|100000|0.500|0.050|0.500|0.050|129|125|open|1002.0|"
                   "15.9|0.0|0.004800|0.100000")
        .split(QLatin1Char('|'));

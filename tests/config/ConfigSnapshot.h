#pragma once

#include "engine/config/ConfigRecord.h"
#include "engine/state/TesterState.h"

#include <QtCore>

// The edit copy as "name=value" texts, so a test can compare whole
// configurations and name the one item that differs.
inline QStringList editCopy(const TesterState &s)
{
    const auto n = [](qint64 value) { return QString::number(value); };
    return {"contact=" + n(s.pending.contact),
            "failLimit=" + n(s.pending.failLimit),
            "seqLimit=" + n(s.pending.seqLimit),
            "cycleLimit=" + n(s.pending.cycleLimit),
            "maxDownTime=" + n(s.pending.maxDownTime),
            "minDownTime=" + n(s.pending.minDownTime),
            "maxUpTime=" + n(s.pending.maxUpTime),
            "minUpTime=" + n(s.pending.minUpTime),
            "upperBounce=" + n(s.pending.upperBounce),
            "lowerBounce=" + n(s.pending.lowerBounce),
            "maxUpTol=" + n(s.pending.maxUpResistTol),
            "minUpTol=" + n(s.pending.minUpResistTol),
            "maxDownTol=" + n(s.pending.maxDownResistTol),
            "minDownTol=" + n(s.pending.minDownResistTol),
            "range=" + n(s.pending.rangePullUp),
            "mode=" + n(s.pending.rangeMode),
            "maxDownBounce=" + n(s.pending.maxDownBounceTol),
            "maxUpBounce=" + n(s.pending.maxUpBounceTol),
            "serial=" + s.pending.serialNumber};
}

// A tester with software 2.1 and a 1000-ohm pull-up holding the
// configuration of BaseFile, copied into the edit copy; contact code as given.
inline void baseConfig(TesterState &s, int contact = 49)
{
    s.identity.softwareVersion = 21, s.reported.rangeMode = 0, s.reported.rangePullUp = 1000,
    s.reported.contact = int16_t(contact);
    s.reported.failLimit = 10, s.reported.seqLimit = 3, s.reported.cycleLimit = 100000;
    s.reported.maxDownTime = 500, s.reported.minDownTime = 50, s.reported.maxUpTime = 500, s.reported.minUpTime = 50;
    s.reported.upperBounce = 129, s.reported.lowerBounce = 125, s.reported.maxDownBounceTol = 3000,
    s.reported.maxUpBounceTol = 62500;
    s.reported.maxUpResistTol = 1023, s.reported.minUpResistTol = 512, s.reported.maxDownResistTol = 16,
    s.reported.minDownResistTol = 0;
    copyCurrentConfigToEdit(s);
}

// The ordinary file of that configuration, one field per line.
inline const QStringList BaseFile =
    QStringLiteral("Model 418C|Software Ver 2.1|0|1000|49|10|3|100000|0.500|0.050|0.500|0.050|129|125|open|1002.0|"
                   "15.9|0.0|0.004800|0.100000")
        .split(QLatin1Char('|'));

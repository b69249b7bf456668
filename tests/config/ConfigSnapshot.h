#pragma once

#include "state/TesterState.h"

#include <QStringList>

// The edit copy as "name=value" texts, so whole configurations compare and
// a test can name the one item it looks at.
inline QStringList EditCopy(const TesterState &s)
{
    const qint64 values[] = {s.sContact, s.sFailLimit, s.sSeqLimit, s.sCycleLimit, s.sMaxDownTime, s.sMinDownTime,
                             s.sMaxUpTime, s.sMinUpTime, s.sUpperBounce, s.sLowerBounce, s.sMaxUpResistTol,
                             s.sMinUpResistTol, s.sMaxDownResistTol, s.sMinDownResistTol, s.sRPullUp, s.sRMode,
                             s.sMaxDownBounceTol, s.sMaxUpBounceTol};
    const QStringList names = QString("contact fail seq cycle maxDown minDown maxUp minUp upper lower maxUpTol "
                                      "minUpTol maxDownTol minDownTol range mode downBounce upBounce").split(' ');
    QStringList items{"serial=" + s.sSerialNumber};
    for (int i = 0; i < names.size(); ++i)
        items << names[i] + '=' + QString::number(values[i]);
    return items;
}

// A tester with software 2.1 measuring through a 1000-ohm pull-up, holding
// the configuration of BaseFile.
inline void ReportBaseConfig(TesterState &s)
{
    s.vSoftwareVersion = 21; s.vRMode = 0; s.vRPullUp = 1000; s.vContact = 49;
    s.vFailLimit = 10; s.vSeqLimit = 3; s.vCycleLimit = 100000;
    s.vMaxDownTime = 500; s.vMinDownTime = 50; s.vMaxUpTime = 500; s.vMinUpTime = 50;
    s.vUpperBounce = 129; s.vLowerBounce = 125;
    s.vMaxUpResistTol = 1023; s.vMinUpResistTol = 512; s.vMaxDownResistTol = 16; s.vMinDownResistTol = 0;
    s.vMaxDownBounceTol = 3000; s.vMaxUpBounceTol = 62500;
}

inline const QStringList BaseFile = {
    "Model 418C", "Software Ver 2.1", "0", "1000", "49", "10", "3", "100000", "0.500", "0.050", "0.500", "0.050",
    "129", "125", "open", "1002.0", "15.9", "0.0", "0.004800", "0.100000"};

// The same as a master file for a current-measuring tester (50.0 mA full
// scale): tolerances 25 mA (count 512), 0, 50 mA (1023), 0.
inline QStringList MasterFile()
{
    QStringList lines = BaseFile;
    lines[0] = "Model 418C Master";
    lines.insert(1, "  ABCD1234XYZ ");
    lines[3] = "1";
    lines[4] = "500";
    for (int i = 15; i <= 18; ++i)
        lines[i] = QStringList{"25", "0", "50", "0"}[i - 15];
    return lines;
}

inline QStringList With(QStringList lines, int number, const QString &text)
{
    lines[number - 1] = text;
    return lines;
}

inline QByteArray FileBytes(const QStringList &lines)
{
    return lines.join("\r\n").toLatin1() + "\r\n";
}

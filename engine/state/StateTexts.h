#pragma once

#include <QDateTime>
#include <QString>

struct TesterState;

// Texts that the display, the data log and the report share.
QString GetRValueString(const TesterState &s);   // range value: "1000", "50.0", "5.000", "-----", "----"
QString RValuePanelText(const TesterState &s);   // status panel 2: the range value and its unit
QString ModePanelText(const TesterState &s);     // status panel 3: "Pullup Mode" ...
QString SerialPanelText(const TesterState &s);   // status panel 1: "S/N " + serial
QString DisplayVersion(const TesterState &s);    // "Software Ver 1.2" or "Software Ver ???"
bool HasLastBounce(const TesterState &s);        // software 1.2 and later report last bounce times
QString ContactUnitText(int mode);               // unit labels: "ohms", "ma", "volts", "----"
QString FormatSampleTime(const QDateTime &t);    // "mm/dd/yyyy hh:mm:ss", 24-hour clock

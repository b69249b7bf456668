#pragma once

#include <QDateTime>
#include <QString>

struct TesterState;

// Texts that the display, the data log and the report share.
QString getRValueString(const TesterState &s);   // range value: "1000", "50.0", "5.000", "-----", "----"
QString rValuePanelText(const TesterState &s);   // status panel 2: the range value and its unit
QString modePanelText(const TesterState &s);     // status panel 3: "Pullup Mode" ...
QString serialPanelText(const TesterState &s);   // status panel 1: "S/N " + serial
QString displayVersion(const TesterState &s);    // "Software Ver 1.2" or "Software Ver ???"
bool hasLastBounce(const TesterState &s);        // software 1.2 and later report last bounce times
// The contact type of a configuration: "Normally Open", "Normally Closed"...
QString contactTypeText(int contact);
QString contactUnitText(int mode);              // unit labels: "ohms", "ma", "volts", "----"
QString formatSampleTime(const QDateTime &t);   // "mm/dd/yyyy hh:mm:ss", 24-hour clock

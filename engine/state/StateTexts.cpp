#include "engine/state/StateTexts.h"

#include "engine/state/DataFormat.h"
#include "engine/state/TesterState.h"

#include <QLocale>

QString getRValueString(const TesterState &s)
{
    if (s.reported.rangePullUp <= 0)
        return QStringLiteral("-----");
    switch (s.reported.rangeMode) {
    case 0: return QString::number(s.reported.rangePullUp);   // QString::number never uses the locale
    case 1: return formatDecimal(s.reported.rangePullUp / 10.0, 1, 1);
    case 2: return formatDecimal(s.reported.rangePullUp / 1000.0, 3, 3);
    default: return QStringLiteral("----");
    }
}

QString rValuePanelText(const TesterState &s)
{
    switch (s.reported.rangeMode) {
    case 0: return getRValueString(s) + QStringLiteral(" Ohms");
    case 1: return getRValueString(s) + QStringLiteral(" ma");
    case 2: return getRValueString(s) + QStringLiteral(" volts");
    default: return getRValueString(s);
    }
}

QString modePanelText(const TesterState &s)
{
    switch (s.reported.rangeMode) {
    case 0: return QStringLiteral("Pullup Mode");
    case 1: return QStringLiteral("Current Mode");
    case 2: return QStringLiteral("Voltage Mode");
    default: return QStringLiteral("??? Mode");
    }
}

QString serialPanelText(const TesterState &s)
{
    return QStringLiteral("S/N ") + s.identity.serialNumber;
}

QString displayVersion(const TesterState &s)
{
    const double version = s.identity.softwareVersion / 10.0;
    if (version >= 1)
        return QStringLiteral("Software Ver ") + formatDecimal(version, 1, 1);
    return QStringLiteral("Software Ver ???");
}

bool hasLastBounce(const TesterState &s)
{
    return s.identity.softwareVersion > 11;
}

QString contactTypeText(int contact)
{
    switch (contact & 15) {
    case 0: return QStringLiteral("None");
    case 1: return QStringLiteral("Normally Open");
    case 2: return QStringLiteral("Normally Closed");
    case 3: return QStringLiteral("Alternate Action");
    default: return QStringLiteral("Unknown");
    }
}

QString contactUnitText(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("ohms");
    case 1: return QStringLiteral("ma");
    case 2: return QStringLiteral("volts");
    default: return QStringLiteral("----");
    }
}

QString formatSampleTime(const QDateTime &t)
{
    // Built by hand: month first and the 24-hour clock whatever the user's
    // locale, and cheap enough for every sample.
    if (!t.isValid())
        return QString();
    const QDate date = t.date();
    const QTime time = t.time();
    char out[24];
    int len = 0;
    auto put2 = [&](int v) {
        out[len++] = char('0' + v / 10 % 10);
        out[len++] = char('0' + v % 10);
    };
    put2(date.month());
    out[len++] = '/';
    put2(date.day());
    out[len++] = '/';
    const int year = date.year();
    if (year < 0 || year > 9999)
        return QLocale::c().toString(t, QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    put2(year / 100);
    put2(year % 100);
    out[len++] = ' ';
    put2(time.hour());
    out[len++] = ':';
    put2(time.minute());
    out[len++] = ':';
    put2(time.second());
    return QString::fromLatin1(out, len);
}

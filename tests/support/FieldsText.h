#pragma once

#include <QtCore>

// fieldsText("cycles", 12, "running", true) is "cycles=12 running=1": what a
// test looks at as one text, so that one QCOMPARE checks every field and a
// failure shows them all.
inline QString fieldText(bool value)
{
    return QString::number(int(value));
}
inline QString fieldText(const QString &value)
{
    return value;
}
inline QString fieldText(const char *value)
{
    return QString::fromUtf8(value);
}
inline QString fieldText(const QStringList &value)
{
    return value.join(u',');
}
template <typename Number>
QString fieldText(Number value)
{
    return QString::number(value);
}

template <typename Value, typename... Rest>
QString fieldsText(const char *name, const Value &value, const Rest &...rest)
{
    const QString field = QLatin1String(name) + u'=' + fieldText(value);
    if constexpr (sizeof...(Rest) == 0)
        return field;
    else
        return field + u' ' + fieldsText(rest...);
}

#pragma once

#include <QtCore>

// oneLine(a, b, c) is "a b c": numbers, flags (1 or 0) and texts of a result as one text, so a test compares
// the whole result with one expected text and a failure shows every field.
struct OneLineField
{
    static QString text(const QString &text) { return text; }
    static QString text(const QByteArray &bytes) { return QString::fromLatin1(bytes); }
    static QString text(const QStringList &texts) { return texts.join(u','); }
    template <typename Number>
    static QString text(Number value)
    {
        return QString::number(value);
    }
};

template <typename... Fields>
QString oneLine(const Fields &...fields)
{
    return QStringList{OneLineField::text(fields)...}.join(u' ');
}

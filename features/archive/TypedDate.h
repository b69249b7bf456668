#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

// A date as typed into a filter field: ISO ("2026-12-07") or the locale's
// short date, its year in two digits or four ("07.12.26", "07.12.2026").
// A two-digit year is one of this century. Invalid when the text is no date.
QDate readTypedDate(const QString &text, const QLocale &locale);

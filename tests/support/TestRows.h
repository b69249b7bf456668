#pragma once

#include <QTest>

// One row of a data table in one call: addRow("name", a, b) is
// QTest::newRow("name") << a << b, kept on one line where it fits.
template <typename... Values>
void addRow(const char *name, const Values &...values)
{
    (QTest::newRow(name) << ... << values);
}

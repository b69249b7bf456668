#pragma once

// What every test program includes: QtTest with all of Qt Core, and the
// helpers that write a data table's columns and rows in one call each.
#include <QtTest>

// addColumns<int, QString>("count", "text") is QTest::addColumn<int>("count")
// then QTest::addColumn<QString>("text").
template <typename... Types, typename... Names>
void addColumns(const Names &...names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name for each column type");
    (QTest::addColumn<Types>(names), ...);
}

// addRow("name", a, b) is QTest::newRow("name") << a << b, kept on one line
// where it fits.
template <typename... Values>
void addRow(const char *name, const Values &...values)
{
    (QTest::newRow(name) << ... << values);
}

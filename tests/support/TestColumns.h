#pragma once

#include <QTest>

// The columns of a data table in one call: addColumns<int, QString>("count",
// "text") is QTest::addColumn<int>("count") then QTest::addColumn<QString>("text").
template <typename... Types, typename... Names>
void addColumns(const Names &...names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name for each column type");
    (QTest::addColumn<Types>(names), ...);
}

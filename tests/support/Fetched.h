#pragma once

#include <QtTest>

// The current data row's value of a column where it is used once:
// fetched<int>("count") is the value QFETCH(int, count) would declare.
template <typename T>
const T &fetched(const char *column)
{
    return *static_cast<const T *>(QTest::qData(column, qMetaTypeId<T>()));
}

#pragma once

#include <QTest>

#include <tuple>

// A table's columns on one line, and a row's fields read back on one: the
// types and names as QTest::addColumn and QFETCH take them.
template <typename... T, typename... Name> void addColumns(Name... names)
{
    static_assert(sizeof...(T) == sizeof...(Name));
    (QTest::addColumn<T>(names), ...);
}

template <typename... T, typename... Name> std::tuple<T...> fetchRow(Name... names)
{
    static_assert(sizeof...(T) == sizeof...(Name));
    return {*static_cast<T *>(QTest::qData(names, qMetaTypeId<T>()))...};
}

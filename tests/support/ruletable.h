#pragma once
// A table of rules: each row is what the code gives beside what it must give, both as text.

#include <QtTest>

namespace ruletable {

inline void columns()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
}

inline void row(const char* name, const QString& actual, const QString& expected)
{
    QTest::newRow(name) << actual << expected;
}

inline void compareRow()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

}  // namespace ruletable

#pragma once

#include <QtTest>

// QCOMPARE on doubles forgives a relative difference of about 1e-12 (0.1 + 0.2
// passes for 0.3); this one fails on any difference.
#define QCOMPARE_EXACT(actual, expected)                                                                         \
    do {                                                                                                         \
        const double actual_ = (actual);                                                                         \
        const double expected_ = (expected);                                                                     \
        QVERIFY2(actual_ == expected_, qPrintable(QStringLiteral("%1 is not exactly %2")                        \
                                                      .arg(actual_, 0, 'g', 17)                                  \
                                                      .arg(expected_, 0, 'g', 17)));                             \
    } while (false)

#include "platform/CoordinateText.h"

#include <QLocale>
#include <QtTest>

class TestCoordinateText : public QObject {
    Q_OBJECT
private slots:
    void screenFormat_data();
    void screenFormat();
    void sessionFormat_data();
    void sessionFormat();
    void roundsExactHalvesUp();
    void carryIntoNewDigit();
    void specialValues();
    void exponentDigitsAboveFourCountAsNone();
    void followsLocaleSeparator();
};

void TestCoordinateText::screenFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("12.5") << 12.5 << "12.5";
    QTest::newRow("-2") << -2.0 << "-2";
    QTest::newRow("0") << 0.0 << "0";
    QTest::newRow("123456.7") << 123456.7 << "123457";
    QTest::newRow("1234567") << 1234567.0 << "1.23457E006";
    QTest::newRow("1000000") << 1000000.0 << "1E006";
    QTest::newRow("100000") << 100000.0 << "100000";
    QTest::newRow("0.0001234") << 0.0001234 << "0.0001234";
    QTest::newRow("0.00001234") << 0.00001234 << "1.234E-005";
    QTest::newRow("0.0001") << 0.0001 << "0.0001";
    QTest::newRow("0.00001") << 0.00001 << "1E-005";
    QTest::newRow("negative scientific") << -0.00001234 << "-1.234E-005";
    QTest::newRow("fixed with padding") << 120000.0 << "120000";
    QTest::newRow("below one") << 0.5 << "0.5";
}

void TestCoordinateText::screenFormat()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(CoordinateText(value, 6, 3, QStringLiteral(".")), text);
}

void TestCoordinateText::sessionFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("100") << 100.0 << "100";
    QTest::newRow("0.5") << 0.5 << "0.5";
    QTest::newRow("1E20") << 1e20 << "1E20";
    QTest::newRow("0.00000015") << 0.00000015 << "1.5E-7";
    QTest::newRow("zoom 1/3 as float") << double(1.0f / 3.0f) << "0.333333343267441";
    QTest::newRow("0.1") << 0.1 << "0.1";
}

void TestCoordinateText::sessionFormat()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(CoordinateText(value, 15, 0, QStringLiteral(".")), text);
}

void TestCoordinateText::roundsExactHalvesUp()
{
    // printf rounds these ties to even; the rule rounds the decimal half up.
    QCOMPARE(CoordinateText(1234565.0, 6, 3, QStringLiteral(".")), QStringLiteral("1.23457E006"));
    QCOMPARE(CoordinateText(0.125, 2, 3, QStringLiteral(".")), QStringLiteral("0.13"));
    QCOMPARE(CoordinateText(-2.5, 1, 3, QStringLiteral(".")), QStringLiteral("-3"));
    // Below a half stays down even when the shortest text looks like a tie:
    // 2.675 is held as 2.67499999999999982...
    QCOMPARE(CoordinateText(2.675, 3, 3, QStringLiteral(".")), QStringLiteral("2.67"));
}

void TestCoordinateText::carryIntoNewDigit()
{
    QCOMPARE(CoordinateText(999999.5, 6, 3, QStringLiteral(".")), QStringLiteral("1E006"));
    QCOMPARE(CoordinateText(9.9999996, 6, 3, QStringLiteral(".")), QStringLiteral("10"));
    QCOMPARE(CoordinateText(0.00099999999, 6, 3, QStringLiteral(".")), QStringLiteral("0.001"));
}

void TestCoordinateText::specialValues()
{
    QCOMPARE(CoordinateText(std::numeric_limits<double>::infinity(), 6, 3, QStringLiteral(".")), QStringLiteral("INF"));
    QCOMPARE(CoordinateText(-std::numeric_limits<double>::infinity(), 6, 3, QStringLiteral(".")), QStringLiteral("-INF"));
    QCOMPARE(CoordinateText(std::numeric_limits<double>::quiet_NaN(), 6, 3, QStringLiteral(".")), QStringLiteral("NAN"));
    QCOMPARE(CoordinateText(-0.0, 6, 3, QStringLiteral(".")), QStringLiteral("0"));
}

void TestCoordinateText::exponentDigitsAboveFourCountAsNone()
{
    QCOMPARE(CoordinateText(1e7, 6, 4, QStringLiteral(".")), QStringLiteral("1E0007"));
    QCOMPARE(CoordinateText(1e7, 6, 5, QStringLiteral(".")), QStringLiteral("1E7"));
}

void TestCoordinateText::followsLocaleSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(CoordinateText(12.5, 6, 3), QStringLiteral("12,5"));
    QCOMPARE(CoordinateText(0.00001234, 6, 3), QStringLiteral("1,234E-005"));
    QLocale::setDefault(QLocale::c());
    QCOMPARE(CoordinateText(12.5, 6, 3), QStringLiteral("12.5"));
}

QTEST_GUILESS_MAIN(TestCoordinateText)
#include "test_coordinatetext.moc"

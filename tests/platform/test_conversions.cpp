#include "platform/Conversions.h"

#include <QtTest>

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void integers_data();
    void integers();
    void strToIntNamesTheText();
    void floats_data();
    void floats();
};

void TestConversions::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << true << 42;
    QTest::newRow("negative") << "-7" << true << -7;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("leading blanks") << "  12" << true << 12;
    QTest::newRow("dollar hex") << "$1F" << true << 31;
    QTest::newRow("0x hex") << "0x10" << true << 16;
    QTest::newRow("hex takes 32 bits") << "0xFFFFFFFF" << true << -1;
    QTest::newRow("max") << "2147483647" << true << 2147483647;
    QTest::newRow("min") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("overflow") << "2147483648" << false << 0;
    QTest::newRow("trailing blank") << "12 " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("decimal point") << "1.5" << false << 0;
    QTest::newRow("hex too long") << "0x100000000" << false << 0;
}

void TestConversions::integers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto result = TryStrToInt(text);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, value);
}

void TestConversions::strToIntNamesTheText()
{
    QCOMPARE(StrToInt(QStringLiteral("12")), 12);
    try {
        StrToInt(QStringLiteral("x1"));
        QFAIL("no error raised");
    } catch (const EConvertError& e) {
        QCOMPARE(e.Message, QStringLiteral("'x1' is not a valid integer value"));
    }
}

void TestConversions::floats_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("point") << "1.5" << "." << true << 1.5;
    QTest::newRow("comma") << "1,5" << "," << true << 1.5;
    QTest::newRow("point under comma") << "1.0" << "," << false << 0.0;
    QTest::newRow("exponent") << "1E-7" << "." << true << 1e-7;
    QTest::newRow("blanks") << " 2.5 " << "." << true << 2.5;
    QTest::newRow("plus") << "+3" << "." << true << 3.0;
    QTest::newRow("plus minus") << "+-3" << "." << false << 0.0;
    QTest::newRow("two separators") << "1.2.3" << "." << false << 0.0;
    QTest::newRow("inf is not a number here") << "inf" << "." << false << 0.0;
    QTest::newRow("empty") << "" << "." << false << 0.0;
    QTest::newRow("trailing text") << "1.5x" << "." << false << 0.0;
}

void TestConversions::floats()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const auto result = TryStrToFloat(text, separator);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, value);
}

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"

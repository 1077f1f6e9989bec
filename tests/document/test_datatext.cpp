#include "document/datatext.h"

#include "platform/Conversions.h"
#include "platform/CoordinateText.h"

#include <QLocale>
#include <QtTest>

#include <cmath>

namespace {

TViewMapping Mapping(TRect rect, double xLeft, double xRight, double yBottom, double yTop)
{
    TViewMapping m;
    m.MappingRect = rect;
    m.XLeftValue = xLeft;
    m.XRightValue = xRight;
    m.YBottomValue = yBottom;
    m.YTopValue = yTop;
    return m;
}

// How far, in image pixels along the X axis, the text lies from the value.
double PixelError(const TViewMapping& m, const QString& text, double value)
{
    const double shown = TryStrToFloat(text, QLocale().decimalPoint()).value();
    const double pixels = std::abs(m.MappingRect.Right - m.MappingRect.Left);
    if (m.AxisXMap == amLog10)
        return std::abs(std::log10(shown) - std::log10(value)) /
               std::abs(std::log10(m.XRightValue) - std::log10(m.XLeftValue)) * pixels;
    return std::abs(shown - value) / std::abs(m.XRightValue - m.XLeftValue) * pixels;
}

} // namespace

class TestDataText : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void sixDigitsWhereTheyDo();
    void moreDigitsWhereSixLoseThePixel();
    void fewestDigitsThatKeepAHundredth();
    void logAxis();
    void noMappingGivesSixDigits();
    void everyValueWithinAHundredth();
};

void TestDataText::sixDigitsWhereTheyDo()
{
    const TViewMapping m = Mapping({0, 0, 1000, 800}, 0, 1, 0, 2e6);
    for (double v : {0.5, 0.123456789, 0.00001, -0.0001, 0.0})
        QCOMPARE(DataText(m, axX, v, 6, 3), CoordinateText(v, 6, 3));
    QCOMPARE(DataText(m, axY, 456.7891234, 6, 3), QStringLiteral("456.789"));
    QCOMPARE(DataText(m, axY, 1234567, 6, 3), QStringLiteral("1.23457E006"));
}

void TestDataText::moreDigitsWhereSixLoseThePixel()
{
    // X from 1000.001 to 1000.002 over 1000 pixels: a pixel is 1E-6.
    const TViewMapping m = Mapping({0, 0, 1000, 500}, 1000.001, 1000.002, 0, 10);
    QCOMPARE(DataText(m, axX, 1000.00125, 6, 3), QStringLiteral("1000.00125"));
    QCOMPARE(DataText(m, axX, 1000.001, 6, 3), QStringLiteral("1000.001"));
    // Y has room enough: six digits as ever.
    QCOMPARE(DataText(m, axY, 1.23456789, 6, 3), QStringLiteral("1.23457"));
    // Scientific notation keeps its form, and the locale's separator.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const TViewMapping big = Mapping({0, 0, 100, 100}, 1.23e9, 1.23e9 + 100, 0, 1);
    QCOMPARE(DataText(big, axX, 1.23e9 + 12.5, 6, 3), QStringLiteral("1230000012,5"));
    const TViewMapping huge = Mapping({0, 0, 100, 100}, 1.5e20, 1.5e20 + 1e8, 0, 1);
    QCOMPARE(DataText(huge, axX, 1.5e20 + 3e7, 6, 3), QStringLiteral("1,5000000000003E020"));
}

void TestDataText::fewestDigitsThatKeepAHundredth()
{
    const TViewMapping m = Mapping({10, 5, 1610, 400}, 25.000001, 25.000101, 0, 1);
    for (int px = 0; px <= 1600; px += 37) {
        const double v = 25.000001 + px * (0.0001 / 1600) + 1e-12 * px;
        const QString text = DataText(m, axX, v, 6, 3);
        QVERIFY2(PixelError(m, text, v) <= 0.01, qPrintable(text));
        // One digit fewer would be off by more than a hundredth.
        const int digits = int(QString(text).remove(u'.').remove(u'-').size());
        QVERIFY2(PixelError(m, CoordinateText(v, digits - 1, 3), v) > 0.01, qPrintable(text));
    }
}

void TestDataText::logAxis()
{
    // Ten decades over 100 pixels: six digits are plenty.
    TViewMapping wide = Mapping({0, 0, 100, 100}, 1, 1e10, 0, 1);
    wide.AxisXMap = amLog10;
    QCOMPARE(DataText(wide, axX, 31622.7766016838, 6, 3), QStringLiteral("31622.8"));
    // 100.0 to 100.001 over 2000 pixels on a log scale.
    TViewMapping narrow = Mapping({0, 0, 2000, 100}, 100, 100.001, 0, 1);
    narrow.AxisXMap = amLog10;
    const double v = 100.0004567891;
    const QString text = DataText(narrow, axX, v, 6, 3);
    QVERIFY2(PixelError(narrow, text, v) <= 0.01, qPrintable(text));
    QVERIFY2(text.size() > 8, qPrintable(text));
}

void TestDataText::noMappingGivesSixDigits()
{
    const TViewMapping flat = Mapping({0, 0, 0, 100}, 1000.001, 1000.002, 0, 1);
    QCOMPARE(DataText(flat, axX, 1000.0015, 6, 3), QStringLiteral("1000"));
    const TViewMapping same = Mapping({0, 0, 100, 100}, 5, 5, 0, 1);
    QCOMPARE(DataText(same, axX, 5.0000001, 6, 3), QStringLiteral("5"));
    const TViewMapping m = Mapping({0, 0, 100, 100}, 0, 1, 0, 1);
    QCOMPARE(DataText(m, axX, std::nan(""), 6, 3), QStringLiteral("NAN"));
    QCOMPARE(DataText(m, axX, -INFINITY, 6, 3), QStringLiteral("-INF"));
}

// One decade over 60,000 pixels: six digits round by up to a few
// hundredths of a pixel, so the bound, not the reading back, would let a
// value through.
void TestDataText::everyValueWithinAHundredth()
{
    TViewMapping m = Mapping({0, 0, 60000, 100}, 1, 10, 0, 1);
    m.AxisXMap = amLog10;
    for (int i = 1; i < 1000; ++i) {
        const double v = std::pow(10.0, (i + 0.37) / 1000);
        const QString text = DataText(m, axX, v, 6, 3);
        QVERIFY2(PixelError(m, text, v) <= 0.01, qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(TestDataText)
#include "test_datatext.moc"

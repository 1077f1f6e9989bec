#include "CoordinateText.h"

#include "DecimalSeparator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

struct TDecimal {
    std::string Digits; // significant digits, no trailing zeros
    int Exponent = 0;   // value = 0.Digits x 10^Exponent
};

// Scientific digits of |value| with `significant` digits, rounded half-even by
// the library on the exact binary value.
std::string ScientificDigits(double magnitude, int significant, int& exponent10)
{
    std::string buffer(significant + 16, '\0');
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::scientific, significant - 1);
    buffer.resize(result.ptr - buffer.data());
    const auto e = buffer.find('e');
    exponent10 = std::stoi(buffer.substr(e + 1));
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (buffer[i] != '.')
            digits += buffer[i];
    return digits;
}

// Rounds the exact value of `magnitude` to `precision` digits, a half or more
// going up. Forty digits settle it unless the tail lies next to a half; then
// the exact expansion (at most 767 digits for a double) decides.
TDecimal RoundHalfUp(double magnitude, int precision)
{
    int exponent10 = 0;
    std::string digits = ScientificDigits(magnitude, 40, exponent10);
    const std::string tail = digits.substr(precision);
    const bool nearHalf = tail.starts_with("49999") || tail.starts_with("50000");
    if (nearHalf)
        digits = ScientificDigits(magnitude, 800, exponent10);

    const bool up = digits[precision] >= '5';
    digits.resize(precision);
    if (up) {
        int i = precision - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i] = '0';
            --i;
        }
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent10;
        } else {
            ++digits[i];
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    return {digits, exponent10 + 1};
}

} // namespace

QString CoordinateText(double value, int precision, int digits)
{
    return CoordinateText(value, precision, digits, DecimalSeparator());
}

QString CoordinateText(double value, int precision, int digits, const QString& separator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    precision = std::clamp(precision, 1, 18);
    if (digits > 4 || digits < 0)
        digits = 0;

    const TDecimal d = RoundHalfUp(std::fabs(value), precision);
    const QString all = QString::fromLatin1(d.Digits.data(), static_cast<qsizetype>(d.Digits.size()));
    const int count = static_cast<int>(all.size());
    const int e = d.Exponent;

    QString text = value < 0 ? QStringLiteral("-") : QString();
    if (e >= -3 && e <= precision) {
        if (e > 0) {
            text += all.left(e);
            if (count < e)
                text += QString(e - count, u'0');
            if (count > e)
                text += separator + all.mid(e);
        } else {
            text += u'0' + separator + QString(-e, u'0') + all;
        }
        return text;
    }
    text += all.left(1);
    if (count > 1)
        text += separator + all.mid(1);
    const int shown = e - 1;
    text += u'E';
    if (shown < 0)
        text += u'-';
    text += QString::number(std::abs(shown)).rightJustified(digits, u'0');
    return text;
}

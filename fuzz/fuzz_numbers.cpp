// Number conversions and coordinate text: the first bytes choose the
// separator and the text's precision, the rest is the text to read.
#include "platform/Conversions.h"
#include "platform/CoordinateText.h"
#include "platform/DateText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    static const QString separators[] = {QStringLiteral("."), QStringLiteral(","), QStringLiteral("\u066b"),
                                         QStringLiteral("::"), QString()};
    const QString& separator = separators[data[0] % 5];
    const int precision = data[1] % 20;
    const int digits = data[2] % 20;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));

    TryStrToInt(text);
    try {
        StrToInt(text);
    } catch (const EConvertError&) {
    }
    if (const auto value = TryStrToFloat(text, separator)) {
        if (!std::isfinite(*value))
            __builtin_trap();
        // What is written reads back.
        const QString written = CoordinateText(*value, 15, 0);
        if (!TryStrToFloatAnyLocale(written, separator))
            __builtin_trap();
    }
    TryStrToFloatAnyLocale(text, separator);
    // A date read is written back to the millisecond, and reads again.
    if (const auto seconds = ParseDateTime(text)) {
        const auto written = DateTimeText(*seconds, dfMillisecond, IsTimeOfDayText(text));
        const auto again = written ? ParseDateTime(*written) : std::nullopt;
        if (written && (!again || std::abs(*again - *seconds) > 0.0005 + 1e-15 * std::abs(*seconds)))
            __builtin_trap();
    }
    if (size >= 3 + sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data + 3, sizeof value);
        CoordinateText(value, precision, digits);
        DateTimeText(value, TDateForm(precision % 4), digits % 2);
    }
    return 0;
}

#include "AxisValueText.h"

#include "platform/Conversions.h"
#include "platform/CoordinateText.h"
#include "platform/DateText.h"
#include "platform/DecimalSeparator.h"

#include <cmath>

std::optional<double> ReadAxisValue(const QString& Text, TAxisUnit& Unit)
{
    if (const std::optional<double> number = TryStrToFloat(Text.trimmed(), DecimalSeparator());
        number && std::isfinite(*number)) {
        Unit = auNumber;
        return number;
    }
    const std::optional<double> seconds = ParseDateTime(Text);
    if (seconds)
        Unit = IsTimeOfDayText(Text) ? auTime : auDate;
    return seconds;
}

QString AxisValueText(double Value, TAxisUnit Unit)
{
    if (Unit != auNumber) {
        const auto whole = [Value](double unit) { return std::fmod(Value, unit) == 0; };
        const TDateForm form = whole(86400) ? dfDay : whole(60) ? dfMinute : whole(1) ? dfSecond : dfMillisecond;
        if (const std::optional<QString> text = DateTimeText(Value, form, Unit == auTime))
            return *text;
    }
    return CoordinateText(Value, 15, 0);
}

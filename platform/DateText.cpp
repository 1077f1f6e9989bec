#include "DateText.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace {

constexpr double Day = 86400;
// Julian day of 1970-01-01.
constexpr qint64 EpochDay = 2440588;

std::optional<double> TimeOfDay(const QRegularExpressionMatch& m, int first)
{
    if (!m.hasCaptured(first))
        return 0.0;
    const int h = m.captured(first).toInt();
    const int min = m.captured(first + 1).toInt();
    const double s = m.hasCaptured(first + 2) ? m.captured(first + 2).toDouble() : 0.0;
    // 24:00 ends a day, as ISO 8601 allows; nothing past it.
    if (h > 24 || min > 59 || s >= 60 || (h == 24 && (min != 0 || s != 0)))
        return std::nullopt;
    return h * 3600.0 + min * 60.0 + s;
}

const QRegularExpression& TimeOfDayPattern()
{
    static const QRegularExpression time(QStringLiteral("^\\s*(\\d{2}):(\\d{2})(?::(\\d{2}(?:\\.\\d{1,9})?))?Z?\\s*$"));
    return time;
}

} // namespace

bool IsTimeOfDayText(const QString& Text)
{
    return TimeOfDayPattern().match(Text).hasMatch();
}

std::optional<double> ParseDateTime(const QString& Text)
{
    static const QRegularExpression dateTime(QStringLiteral(
        "^\\s*(\\d{4})-(\\d{2})-(\\d{2})(?:[T ](\\d{2}):(\\d{2})(?::(\\d{2}(?:\\.\\d{1,9})?))?)?Z?\\s*$"));
    if (const QRegularExpressionMatch m = TimeOfDayPattern().match(Text); m.hasMatch())
        return TimeOfDay(m, 1);
    const QRegularExpressionMatch m = dateTime.match(Text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const std::optional<double> clock = TimeOfDay(m, 4);
    if (!date.isValid() || !clock)
        return std::nullopt;
    return double(date.toJulianDay() - EpochDay) * Day + *clock;
}

TDateForm DateFormFor(double Step)
{
    if (Step >= Day / 2)
        return dfDay;
    if (Step >= 30)
        return dfMinute;
    if (Step >= 0.5)
        return dfSecond;
    return dfMillisecond;
}

std::optional<QString> DateTimeText(double Seconds, TDateForm Form, bool TimeOfDay)
{
    static constexpr double Unit[] = {Day, 60, 1, 0.001};
    if (TimeOfDay && Form == dfDay)
        Form = dfMinute;
    const double unit = Unit[Form];
    // Rounding must be exact in the double: its spacing at the value must be
    // well under the form's last unit.
    if (!std::isfinite(Seconds) || std::abs(Seconds) > 1e15 || std::nextafter(std::abs(Seconds), INFINITY) -
                                                                          std::abs(Seconds) > unit / 10)
        return std::nullopt;
    const double rounded = std::nearbyint(Seconds / unit) * unit;
    const double days = std::floor(rounded / Day);
    // Milliseconds counted whole, so that 59.9995 s never shows as 60.
    const qint64 ms = qint64(std::llround((rounded - days * Day) * 1000));
    const QString clock = QStringLiteral("%1:%2").arg(ms / 3600000, 2, 10, QChar(u'0')).arg(ms / 60000 % 60, 2, 10, QChar(u'0'));
    QString text;
    if (TimeOfDay) {
        if (days != 0 && !(days == 1 && ms == 0))
            return std::nullopt;
        text = days == 1 ? QStringLiteral("24:00") : clock;
    } else {
        const QDate date = QDate::fromJulianDay(qint64(days) + EpochDay);
        if (!date.isValid() || date.year() < 1 || date.year() > 9999)
            return std::nullopt;
        text = date.toString(QStringLiteral("yyyy-MM-dd"));
        if (Form == dfDay)
            return text;
        text += u'T' + clock;
    }
    if (Form >= dfSecond)
        text += QStringLiteral(":%1").arg(ms / 1000 % 60, 2, 10, QChar(u'0'));
    if (Form == dfMillisecond)
        text += QStringLiteral(".%1").arg(ms % 1000, 3, 10, QChar(u'0'));
    return text;
}

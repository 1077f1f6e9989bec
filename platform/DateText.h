#pragma once

#include <QString>

#include <optional>

// How the values of a date axis are read and written: ISO 8601 in UTC, the
// arithmetic on seconds since 1970-01-01T00:00:00Z.
enum TDateForm : std::uint8_t {
    dfDay,          // 2026-12-08
    dfMinute,       // 2026-12-08T14:30
    dfSecond,       // 2026-12-08T14:30:05
    dfMillisecond,  // 2026-12-08T14:30:05.250
};

// A date and time, or a time of day ("14:30", "14:30:05.5", taken as that
// long after midnight of 1970-01-01), as seconds since the epoch; nothing for
// text that is neither or names no real day. A "Z" may end it; a space may
// stand for the "T".
std::optional<double> ParseDateTime(const QString& Text);
// Whether Text is a time of day rather than a date.
bool IsTimeOfDayText(const QString& Text);

// Seconds as a date and time in Form, rounded to it; a time of day
// ("14:30", "14:30:05", never coarser than minutes) when TimeOfDay. Nothing where the text cannot say
// the value to that form: a year outside 0001-9999, a time of day outside
// 00:00-24:00, or a value whose double holds less than the form shows.
std::optional<QString> DateTimeText(double Seconds, TDateForm Form, bool TimeOfDay = false);

// The coarsest form whose rounding moves a value by at most Step seconds.
TDateForm DateFormFor(double Step);

#pragma once

#include "viewmapping.h"

#include <QString>

#include <optional>

// A value typed for an axis: a number in the user's locale, a date and time
// in ISO 8601, or a time of day; Unit says which it was.
std::optional<double> ReadAxisValue(const QString& Text, TAxisUnit& Unit);
// A value of an axis of that unit as it is typed, losing nothing: a date
// only as finely as it needs.
QString AxisValueText(double Value, TAxisUnit Unit);

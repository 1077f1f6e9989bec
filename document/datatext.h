#pragma once

#include "viewmapping.h"

#include <QString>

#include <optional>

// Coordinate text of a data value on one axis: Precision significant digits,
// or the fewest more that keep the text within a hundredth of an image pixel
// of the value under Mapping, so that an axis whose values are large against
// their range per pixel keeps its resolution.
// A value of a date or time axis as the list and the exports write it: ISO
// 8601 as finely as a tenth of a pixel needs; nothing for a number axis, or
// a value no such text can say.
std::optional<QString> DateValueText(const TViewMapping& Mapping, TAxis Axis, double Value);

QString DataText(const TViewMapping& Mapping, TAxis Axis, double Value, int Precision, int Digits);

#pragma once

#include "viewmapping.h"

#include <QString>

// Coordinate text of a data value on one axis: Precision significant digits,
// or the fewest more that keep the text within a hundredth of an image pixel
// of the value under Mapping, so that an axis whose values are large against
// their range per pixel keeps its resolution.
QString DataText(const TViewMapping& Mapping, TAxis Axis, double Value, int Precision, int Digits);

#pragma once

#include "document/viewmapping.h"
#include "extract/ExtractArea.h"

#include <QString>

// The area extraction searches under Mapping: the plotting area's rectangle
// when there is one, else, with calibration points in force, the whole
// picture of Width x Height.
TExtractArea MappingArea(const TViewMapping& Mapping, int Width, int Height);

// Why Text cannot limit extraction along the X axis of Mapping, or "" when
// it can; Limit then holds where, in the area's frame.
QString XLimitProblem(const TViewMapping& Mapping, double Value, const QString& Text, double& Limit);

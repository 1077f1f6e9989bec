#pragma once

#include "ColourRule.h"
#include "ExtractArea.h"
#include "PixelSource.h"

#include <QString>

#include <vector>

// What an extraction found, in picture pixels and in the order the turned X
// axis runs, or why it could not start.
struct TExtraction {
    std::vector<TPointF> Points;
    QString Problem;
};

// Why extraction cannot run on Area at all, or "".
QString AreaProblem(const TPixelSource& Source, const TExtractArea& Area);

// Follows the curve of Colour across Area: one point every Step frame pixels
// along the turned X axis, at the colour-weighted centre of the curve's
// pixels across it. A column where the curve is missing or touches another
// colour is left for a neighbour within half a step; where the column holds
// several stretches of the colour, the one nearest the last point is taken.
TExtraction ExtractCurve(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance,
                         double Step);

#pragma once

#include "ColourRule.h"
#include "ExtractArea.h"
#include "PixelSource.h"

#include <QString>

#include <optional>

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
// colour is left for a neighbour within half a step. Where a column holds
// several stretches of the colour, the one nearest to where the last points
// lead is taken, so that a crossing of two curves of one colour is passed
// on the same curve. Seed, a picture position on the curve (where the user
// took its colour), picks the curve to start on; the walk goes right from
// there, then left.
TExtraction ExtractCurve(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance,
                         double Step, const std::optional<TPointF>& Seed = std::nullopt);

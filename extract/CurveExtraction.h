#pragma once

#include "ColourRule.h"
#include "ExtractArea.h"
#include "ExtractionReport.h"
#include "PixelSource.h"

#include <QString>

#include <optional>

#include <vector>

// Why extraction cannot run on Area at all, or "".
QString AreaProblem(const TPixelSource& Source, const TExtractArea& Area);

// Follows the curve of Colour across Area: one point every Step frame pixels
// along the turned X axis, at the colour-weighted centre of the curve's
// pixels across it. The walk starts where the user took the colour (Seed,
// a picture position), or else on the longest stretch of the colour, and
// goes right and left from there a column at a time along the pixels that
// touch; where the curve parts from another of its colour, or comes back
// after a gap (a dashed line, another colour across it), it goes on where
// its course leads, and a gap longer than the course can bridge ends it
// rather than jumping to another curve. A step whose column is missing or
// touches another colour is left for a neighbour within half a step. The
// report says how much of the area and of the colour the result holds.
TExtraction ExtractCurve(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance,
                         double Step, const std::optional<TPointF>& Seed = std::nullopt);
// The same with the area's palette already found.
TExtraction ExtractCurve(const TPixelSource& Source, const TExtractArea& Area, const TPalette& Palette,
                         const TRgb& Colour, int Tolerance, double Step,
                         const std::optional<TPointF>& Seed = std::nullopt);

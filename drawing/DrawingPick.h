#pragma once

#include "Drawing.h"

#include <QString>

#include <optional>
#include <vector>

// What a click on a drawing picked: a curve's vertices in its own order, or
// the centres of every marker like the one clicked, top to bottom.
struct TDrawingPick {
    enum TKind { pkNone, pkCurve, pkMarkers } Kind = pkNone;
    std::vector<QPointF> Points;
    int Paths = 0; // how many of the drawing's paths gave them
    int LegendLeftOut = 0; // markers like them that are a legend's samples
    QString Name; // the legend's name for them, where it has one
};

// The path nearest At within Reach pixels (beyond its half width) decides:
// a small closed shape that recurs picks every marker of its shape and look,
// anything else the curve it belongs to, continued through every path of its
// colour, width and dash that starts where it ends.
TDrawingPick PickFromDrawing(const TDrawing& Drawing, QPointF At, double Reach);

// The curve drawn in Colour: the one nearest At when given, else the longest.
TDrawingPick CurveOfColour(const TDrawing& Drawing, QRgb Colour, std::optional<QPointF> At);
// The markers drawn in Colour (filled or outlined): those like the one
// nearest At when given, else the most numerous shape.
TDrawingPick MarkersOfColour(const TDrawing& Drawing, QRgb Colour, std::optional<QPointF> At);

// Markers are shapes no larger than this, in pixels.
constexpr double MarkerSpan = 64;

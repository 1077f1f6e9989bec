#pragma once

#include "viewmapping.h"

#include <vector>

// Round values of an axis running from A to B (either way), at which a grid
// is drawn to check a calibration against the chart's own: steps of 1, 2 or
// 5 times a power of ten giving about Lines of them on a linear axis; on a
// log10 axis each power of ten, with 2 and 5 times each when the axis spans
// few decades, or every so many decades when it spans many. None for an
// axis that has no such values (a log axis not above 0, or no extent).
std::vector<double> GridValues(TAxisMapping Kind, double A, double B, int Lines = 6);

struct TAxisPlane;

// The lines of an axis's round values under a fitted map, cut to a picture
// of Width x Height (its pixels' outer edges): each from one edge to another,
// in image pixels.
struct TGridLine {
    TPointF From;
    TPointF To;
};
std::vector<TGridLine> PlaneGridLines(const TAxisPlane& Plane, TAxisMapping Kind, int Width, int Height);

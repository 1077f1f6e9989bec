#pragma once

#include "CurveExtraction.h"
#include "ExtractArea.h"
#include "PixelSource.h"

#include <optional>

constexpr int DefaultTolerance = 64;
constexpr double DefaultStep = 10;

// An extraction as the command line asks for it.
struct TExtractRequest {
    enum TKind { ekNone, ekCurve, ekMarkers };
    TKind Kind = ekNone;
    TRgb Colour;
    // Unset: the largest, DefaultTolerance at most, at which no other ink
    // of the area's palette matches.
    std::optional<int> Tolerance;
    double Step = DefaultStep;
    // Only between these data values of X, when set.
    std::optional<double> FromX;
    std::optional<double> ToX;
    // The points found take the place of the series' points.
    bool Replace = false;
    // A doubtful result is still a success.
    bool AcceptDoubtful = false;
};

// What extraction says when the colour is in the area nowhere.
QString NothingFoundText(const TRgb& Colour);

// Runs Request on Area; markers are taken in the default size range.
TExtraction RunExtraction(const TPixelSource& Source, const TExtractArea& Area, const TExtractRequest& Request);

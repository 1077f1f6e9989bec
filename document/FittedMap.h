#pragma once

#include "PointsFit.h"
#include "PolarFit.h"

#include <variant>

// The map that calibration points give, of whichever kind they are.
struct TFittedMap {
    std::variant<TPointsMap, TPolarMap> Map;

    TDataPoint DataAt(const TPointF& P) const;
    bool PixelOf(const TDataPoint& D, TPointF& P) const;
    TPointResidual ResidualOf(const TCalibrationPoint& Point) const;
    // An axis's kind and how fast its value (or its log10) changes per image
    // pixel; for a polar angle, at At, or without it at the farthest
    // calibration point's distance.
    void Step(TAxis Axis, TAxisMapping& Kind, double& PerPixel, const TPointF* At = nullptr) const;

    double FarthestPoint = 1;
};

// The map of Calibration's kind through its points; Problem says, as the step
// to take, why there is none. False for the rectangle's kind.
bool FitCalibration(const TCalibration& Calibration, TAxisMapping XKind, TAxisMapping YKind, TFittedMap& Map,
                    QString* Problem = nullptr);

#pragma once

#include "platform/WinTypes.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

// A point of the picture whose value the user knows along one axis or both;
// not-a-number where the axis is not given.
struct TCalibrationPoint {
    TPointF Pixel;
    double X = std::numeric_limits<double>::quiet_NaN();
    double Y = std::numeric_limits<double>::quiet_NaN();

    bool HasX() const { return !std::isnan(X); }
    bool HasY() const { return !std::isnan(Y); }
    friend bool operator==(const TCalibrationPoint& A, const TCalibrationPoint& B)
    {
        const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
        return A.Pixel == B.Pixel && same(A.X, B.X) && same(A.Y, B.Y);
    }
};

// Which map is in force: the plotting area's rectangle and edge values, an
// affine one fitted through calibration points, or a polar one through them
// (X is then the angle theta, Y the radius r).
enum TCalibrationKind : std::uint8_t { ckRectangle, ckPoints, ckPolar };

// The calibration points a job holds, kept whichever map is in force so
// that going back and forth loses none.
struct TCalibration {
    TCalibrationKind Kind = ckRectangle;
    std::vector<TCalibrationPoint> Points;
    // A polar chart's angles: in radians rather than degrees, growing
    // clockwise rather than anticlockwise.
    bool Radians = false;
    bool Clockwise = false;

    bool PointsInForce() const { return Kind != ckRectangle; }
    friend bool operator==(const TCalibration&, const TCalibration&) = default;
};

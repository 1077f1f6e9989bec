#pragma once

#include "CalibrationPoints.h"
#include "viewmapping.h"

#include <QString>

#include <vector>

// The t of an axis value: the value, or its log10 on a log axis; false for
// a value a log axis has not (not above 0).
bool AxisT(TAxisMapping Kind, double Value, double& T);

// One axis of a fitted map: t = A x + B y + C over image pixels, where t is
// the axis value, or its log10 on a log axis.
struct TAxisPlane {
    double A = 0;
    double B = 0;
    double C = 0;

    double At(const TPointF& P) const { return A * P.X + B * P.Y + C; }
    // How far t changes per image pixel along its steepest way.
    double Gradient() const { return std::hypot(A, B); }
};

// The affine map that calibration points give, and its inverse.
struct TPointsMap {
    TAxisPlane X;
    TAxisPlane Y;
    TAxisMapping XKind = amLinear;
    TAxisMapping YKind = amLinear;

    TDataPoint DataAt(const TPointF& P) const;
    // False where the axis has no such value (a log axis and a value not
    // above 0).
    bool PixelOf(const TDataPoint& D, TPointF& P) const;
};

// The map through Points: each axis fitted by least squares over the points
// that give its value, as a plane when they spread over the picture; when
// they lie on a line (an axis's ticks), its values are taken as constant
// along the other axis's line of points, so that two X and two Y points
// define skewed axes; at right angles to their own line when the other
// axis's points do not lie on one. Problem says, as the step to take, why
// there is no map.
bool FitPoints(const std::vector<TCalibrationPoint>& Points, TAxisMapping XKind, TAxisMapping YKind,
               TPointsMap& Map, QString* Problem = nullptr);

// How far a calibration point lies from its own values under the map: in
// data units along each axis it gives (not-a-number for one it does not),
// and in image pixels.
struct TPointResidual {
    double X = std::numeric_limits<double>::quiet_NaN();
    double Y = std::numeric_limits<double>::quiet_NaN();
    double Pixels = 0;
};
TPointResidual ResidualOf(const TCalibrationPoint& Point, const TPointsMap& Map);
// The root mean square of the residuals along one axis over the points that
// give it, in its t (log10 units on a log axis).
double RmsResidual(const std::vector<TCalibrationPoint>& Points, const TPointsMap& Map, TAxis Axis);

#pragma once

#include "CalibrationPoints.h"
#include "PointsFit.h"

// A polar chart's map: the angle theta about a centre, the radius r by the
// distance from it; X is theta and Y is r.
struct TPolarMap {
    TPointF Centre;
    // t = Slope * distance + Intercept, where t is r or its log10.
    double Slope = 1;
    double Intercept = 0;
    TAxisMapping RKind = amLinear;
    // Theta, in the chart's units, of the direction to the right of the
    // centre; Sign +1 where theta grows anticlockwise on the picture.
    double ThetaRight = 0;
    double Sign = 1;
    double Turn = 360; // a whole turn in the chart's units

    // Theta within 0..Turn.
    TDataPoint DataAt(const TPointF& P) const;
    bool PixelOf(const TDataPoint& D, TPointF& P) const;
};

// The polar map through Points: the first is the centre (its r, if given,
// is r there: 0 on a linear axis unless said otherwise); the others give r
// (Y) at their distance, fitted by least squares, and theta (X) in their
// direction, averaged. Problem says, as the step to take, what is missing.
bool FitPolar(const TCalibration& Calibration, TAxisMapping RKind, TPolarMap& Map, QString* Problem = nullptr);

TPointResidual ResidualOf(const TCalibrationPoint& Point, const TPolarMap& Map);

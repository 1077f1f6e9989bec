#pragma once

#include "WinTypes.h"

#include <cmath>
#include <numbers>

// P turned by Degrees about C by the rule the plotting area turns by, without
// rounding.
inline TPointF TurnedPoint(const TPointF& P, const TPointF& C, double Degrees)
{
    const double a = Degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double dx = P.X - C.X;
    const double dy = P.Y - C.Y;
    return {C.X + dx * c + dy * s, C.Y - dx * s + dy * c};
}

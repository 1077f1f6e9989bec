#include "FittedMap.h"

#include <algorithm>
#include <numbers>

TDataPoint TFittedMap::DataAt(const TPointF& P) const
{
    return std::visit([&P](const auto& m) { return m.DataAt(P); }, Map);
}

bool TFittedMap::PixelOf(const TDataPoint& D, TPointF& P) const
{
    return std::visit([&](const auto& m) { return m.PixelOf(D, P); }, Map);
}

TPointResidual TFittedMap::ResidualOf(const TCalibrationPoint& Point) const
{
    return std::visit([&Point](const auto& m) { return ::ResidualOf(Point, m); }, Map);
}

void TFittedMap::Step(TAxis Axis, TAxisMapping& Kind, double& PerPixel, const TPointF* At) const
{
    if (const auto* affine = std::get_if<TPointsMap>(&Map)) {
        Kind = Axis == axX ? affine->XKind : affine->YKind;
        PerPixel = (Axis == axX ? affine->X : affine->Y).Gradient();
        return;
    }
    const TPolarMap& polar = std::get<TPolarMap>(Map);
    Kind = Axis == axX ? amLinear : polar.RKind;
    // Within half a pixel of the centre the angle is anything.
    const double distance = At ? std::max(0.5, std::hypot(At->X - polar.Centre.X, At->Y - polar.Centre.Y)) : FarthestPoint;
    PerPixel = Axis == axX ? polar.Turn / (2 * std::numbers::pi * distance) : std::abs(polar.Slope);
}

bool FitCalibration(const TCalibration& Calibration, TAxisMapping XKind, TAxisMapping YKind, TFittedMap& Map,
                    QString* Problem)
{
    switch (Calibration.Kind) {
    case ckPoints: {
        TPointsMap affine;
        if (!FitPoints(Calibration.Points, XKind, YKind, affine, Problem))
            return false;
        Map.Map = affine;
        return true;
    }
    case ckPolar: {
        TPolarMap polar;
        if (!FitPolar(Calibration, YKind, polar, Problem))
            return false;
        Map.Map = polar;
        Map.FarthestPoint = 1;
        for (const TCalibrationPoint& p : Calibration.Points)
            Map.FarthestPoint = std::max(Map.FarthestPoint, std::hypot(p.Pixel.X - polar.Centre.X, p.Pixel.Y - polar.Centre.Y));
        return true;
    }
    case ckRectangle:
        break;
    }
    return false;
}

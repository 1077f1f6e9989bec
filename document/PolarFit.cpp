#include "PolarFit.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double Tau = 2 * std::numbers::pi;

// Direction of P from C, anticlockwise on the picture (whose Y runs down),
// in radians.
double Direction(const TPointF& C, const TPointF& P)
{
    return std::atan2(-(P.Y - C.Y), P.X - C.X);
}

// Within 0..turn; within a trillionth of a turn of 0 either way is 0, not
// the sum's last bits.
double Wrapped(double v, double turn)
{
    double w = std::fmod(v, turn);
    if (w < 0)
        w += turn;
    return std::abs(w) < 1e-12 * turn || turn - w < 1e-12 * turn ? 0 : w;
}

} // namespace

TDataPoint TPolarMap::DataAt(const TPointF& P) const
{
    const double d = std::hypot(P.X - Centre.X, P.Y - Centre.Y);
    const double t = Slope * d + Intercept;
    return {Wrapped(ThetaRight + Sign * Direction(Centre, P) * Turn / Tau, Turn),
            RKind == amLog10 ? std::pow(10.0, t) : t};
}

bool TPolarMap::PixelOf(const TDataPoint& D, TPointF& P) const
{
    double t = 0;
    if (!AxisT(RKind, D.Y, t))
        return false;
    const double d = (t - Intercept) / Slope;
    const double a = (D.X - ThetaRight) * Sign * Tau / Turn;
    P = {Centre.X + d * std::cos(a), Centre.Y - d * std::sin(a)};
    return std::isfinite(P.X) && std::isfinite(P.Y);
}

bool FitPolar(const TCalibration& Calibration, TAxisMapping RKind, TPolarMap& Map, QString* Problem)
{
    const std::vector<TCalibrationPoint>& points = Calibration.Points;
    const auto fail = [Problem](const char* why) {
        if (Problem)
            *Problem = QLatin1String(why);
        return false;
    };
    if (points.empty())
        return fail("Click the centre of the polar chart: the first calibration point");
    TPolarMap map;
    map.Centre = points[0].Pixel;
    map.RKind = RKind;
    map.Sign = Calibration.Clockwise ? -1 : 1;
    map.Turn = Calibration.Radians ? Tau : 360;
    // r against distance, by least squares; on a linear axis a centre given
    // no r is r = 0.
    std::vector<std::pair<double, double>> radii;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TCalibrationPoint& p = points[i];
        double t = 0;
        if (!p.HasY() && !(i == 0 && RKind == amLinear))
            continue;
        if (!AxisT(RKind, p.HasY() ? p.Y : 0, t))
            return fail("Give the log r axis calibration values above 0");
        radii.emplace_back(std::hypot(p.Pixel.X - map.Centre.X, p.Pixel.Y - map.Centre.Y), t);
    }
    double md = 0, mt = 0, sdd = 0, sdt = 0;
    for (const auto& [d, t] : radii) {
        md += d / double(radii.size());
        mt += t / double(radii.size());
    }
    for (const auto& [d, t] : radii) {
        sdd += (d - md) * (d - md);
        sdt += (d - md) * (t - mt);
    }
    if (radii.size() < 2 || sdd < 0.25)
        return fail("Click a point at a known radius, away from the centre");
    map.Slope = sdt / sdd;
    map.Intercept = mt - map.Slope * md;
    if (map.Slope == 0)
        return fail("Give the radius points different r values");
    // Theta: the mean of what each point says of the direction to the right.
    double sx = 0, sy = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const TCalibrationPoint& p = points[i];
        if (!p.HasX() || p.Pixel == map.Centre)
            continue;
        const double right = (p.X * Tau / map.Turn) - map.Sign * Direction(map.Centre, p.Pixel);
        sx += std::cos(right);
        sy += std::sin(right);
    }
    if (sx == 0 && sy == 0)
        return fail("Click a point at a known angle, away from the centre");
    map.ThetaRight = Wrapped(std::atan2(sy, sx), Tau) * map.Turn / Tau;
    Map = map;
    if (Problem)
        Problem->clear();
    return true;
}

TPointResidual ResidualOf(const TCalibrationPoint& Point, const TPolarMap& Map)
{
    TPointResidual r;
    const TDataPoint at = Map.DataAt(Point.Pixel);
    double pixels2 = 0;
    if (Point.HasX()) {
        // The shorter way round.
        r.X = std::remainder(Point.X - at.X, Map.Turn);
        const double d = std::hypot(Point.Pixel.X - Map.Centre.X, Point.Pixel.Y - Map.Centre.Y);
        const double arc = r.X * Tau / Map.Turn * d;
        pixels2 += arc * arc;
    }
    double t = 0;
    if (Point.HasY() && AxisT(Map.RKind, Point.Y, t)) {
        r.Y = Point.Y - at.Y;
        const double radial = (t - (Map.Slope * std::hypot(Point.Pixel.X - Map.Centre.X, Point.Pixel.Y - Map.Centre.Y) +
                                    Map.Intercept)) / Map.Slope;
        pixels2 += radial * radial;
    }
    r.Pixels = std::sqrt(pixels2);
    return r;
}

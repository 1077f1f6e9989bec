#include "PointsFit.h"

#include <cmath>

namespace {

// How a set of positions spreads: its mean, its sums of squares about the
// mean, and its main direction; Major and Minor are the root mean square
// distances along that direction and across it.
struct TSpread {
    TPointF Mean;
    double Sxx = 0, Sxy = 0, Syy = 0;
    TPointF Direction{1, 0};
    double Major = 0, Minor = 0;

    // Two positions at least half a pixel apart.
    bool Distinct() const { return Major >= 0.25; }
    // Spread across the picture rather than along one line: an axis's ticks
    // read off a scan stray from their line by a pixel or two.
    bool Plane() const { return Minor >= std::max(1.0, 0.05 * Major); }
};

TSpread SpreadOf(const std::vector<TPointF>& Ps)
{
    TSpread s;
    if (Ps.empty())
        return s;
    for (const TPointF& p : Ps) {
        s.Mean.X += p.X / double(Ps.size());
        s.Mean.Y += p.Y / double(Ps.size());
    }
    for (const TPointF& p : Ps) {
        const double dx = p.X - s.Mean.X, dy = p.Y - s.Mean.Y;
        s.Sxx += dx * dx;
        s.Sxy += dx * dy;
        s.Syy += dy * dy;
    }
    const double half = (s.Sxx + s.Syy) / 2;
    const double disc = std::hypot((s.Sxx - s.Syy) / 2, s.Sxy);
    const double theta = std::atan2(2 * s.Sxy, s.Sxx - s.Syy) / 2;
    s.Direction = {std::cos(theta), std::sin(theta)};
    s.Major = std::sqrt((half + disc) / double(Ps.size()));
    s.Minor = std::sqrt(std::max(0.0, half - disc) / double(Ps.size()));
    return s;
}

double AxisValue(TAxisMapping Kind, double T)
{
    return Kind == amLog10 ? std::pow(10.0, T) : T;
}

struct TAxisPoints {
    std::vector<TPointF> At;
    std::vector<double> T;
};

// The points giving one axis, in its t; false with the problem when a value
// has no t.
bool Collect(const std::vector<TCalibrationPoint>& Points, bool XAxis, TAxisMapping Kind, TAxisPoints& Out,
             QString& Problem)
{
    const QString axis = XAxis ? QStringLiteral("X") : QStringLiteral("Y");
    for (const TCalibrationPoint& p : Points) {
        if (!(XAxis ? p.HasX() : p.HasY()))
            continue;
        double t = 0;
        if (!AxisT(Kind, XAxis ? p.X : p.Y, t) || !std::isfinite(t)) {
            Problem = QStringLiteral("Give the log %1 axis calibration values above 0").arg(axis);
            return false;
        }
        Out.At.push_back(p.Pixel);
        Out.T.push_back(t);
    }
    if (!SpreadOf(Out.At).Distinct()) {
        Problem = QStringLiteral("Click calibration points: two apart with %1 values").arg(axis);
        return false;
    }
    return true;
}

bool FitAxis(const TAxisPoints& Own, const TSpread& Other, const QString& Axis, TAxisPlane& Plane, QString& Problem)
{
    const TSpread s = SpreadOf(Own.At);
    double meanT = 0, stt = 0, sxt = 0, syt = 0;
    for (const double t : Own.T)
        meanT += t / double(Own.T.size());
    for (std::size_t i = 0; i < Own.T.size(); ++i) {
        const double dt = Own.T[i] - meanT;
        stt += dt * dt;
        sxt += (Own.At[i].X - s.Mean.X) * dt;
        syt += (Own.At[i].Y - s.Mean.Y) * dt;
    }
    if (stt == 0) {
        Problem = QStringLiteral("Give the calibration points different %1 values").arg(Axis);
        return false;
    }
    if (s.Plane()) {
        const double det = s.Sxx * s.Syy - s.Sxy * s.Sxy;
        Plane.A = (sxt * s.Syy - syt * s.Sxy) / det;
        Plane.B = (syt * s.Sxx - sxt * s.Sxy) / det;
    } else {
        // The value is constant along the other axis's line of points, or
        // across this axis's own line when the other's points lie on none.
        const TPointF along = Other.Distinct() && !Other.Plane() ? Other.Direction
                                                                 : TPointF{-s.Direction.Y, s.Direction.X};
        const TPointF n{-along.Y, along.X};
        double sss = 0, sst = 0;
        for (std::size_t i = 0; i < Own.T.size(); ++i) {
            const double ds = n.X * (Own.At[i].X - s.Mean.X) + n.Y * (Own.At[i].Y - s.Mean.Y);
            sss += ds * ds;
            sst += ds * (Own.T[i] - meanT);
        }
        if (sss < 1e-4 * s.Major * s.Major * double(Own.T.size())) {
            Problem = QStringLiteral("Click the %1 calibration points along their axis, not along the other").arg(Axis);
            return false;
        }
        Plane.A = sst / sss * n.X;
        Plane.B = sst / sss * n.Y;
    }
    Plane.C = meanT - Plane.A * s.Mean.X - Plane.B * s.Mean.Y;
    return true;
}

} // namespace

bool AxisT(TAxisMapping Kind, double Value, double& T)
{
    if (Kind == amLog10) {
        if (!(Value > 0))
            return false;
        T = std::log10(Value);
        return true;
    }
    T = Value;
    return true;
}

TDataPoint TPointsMap::DataAt(const TPointF& P) const
{
    // Within a billionth of a pixel of zero is zero, not the sum's last bits.
    const auto value = [&P](const TAxisPlane& plane, TAxisMapping kind) {
        const double t = plane.At(P);
        return AxisValue(kind, kind == amLinear && std::abs(t) < 1e-9 * plane.Gradient() ? 0.0 : t);
    };
    return {value(X, XKind), value(Y, YKind)};
}

bool TPointsMap::PixelOf(const TDataPoint& D, TPointF& P) const
{
    double tx = 0, ty = 0;
    if (!AxisT(XKind, D.X, tx) || !AxisT(YKind, D.Y, ty))
        return false;
    const double det = X.A * Y.B - X.B * Y.A;
    tx -= X.C;
    ty -= Y.C;
    P = {(tx * Y.B - X.B * ty) / det, (X.A * ty - tx * Y.A) / det};
    return std::isfinite(P.X) && std::isfinite(P.Y);
}

bool FitPoints(const std::vector<TCalibrationPoint>& Points, TAxisMapping XKind, TAxisMapping YKind,
               TPointsMap& Map, QString* Problem)
{
    QString why;
    TAxisPoints xs, ys;
    TPointsMap map{{}, {}, XKind, YKind};
    const bool fitted = Collect(Points, true, XKind, xs, why) && Collect(Points, false, YKind, ys, why) &&
                        FitAxis(xs, SpreadOf(ys.At), QStringLiteral("X"), map.X, why) &&
                        FitAxis(ys, SpreadOf(xs.At), QStringLiteral("Y"), map.Y, why);
    // Axes that are nearly parallel make a map no click can be trusted on.
    if (fitted && std::abs(map.X.A * map.Y.B - map.X.B * map.Y.A) <= 0.02 * map.X.Gradient() * map.Y.Gradient())
        why = QStringLiteral("Click calibration points that give X and Y axes across each other");
    if (Problem)
        *Problem = why;
    if (!why.isEmpty())
        return false;
    Map = map;
    return true;
}

double RmsResidual(const std::vector<TCalibrationPoint>& Points, const TPointsMap& Map, TAxis Axis)
{
    double sum = 0;
    int n = 0;
    for (const TCalibrationPoint& p : Points) {
        double t = 0;
        const TAxisMapping kind = Axis == axX ? Map.XKind : Map.YKind;
        if ((Axis == axX ? p.HasX() : p.HasY()) && AxisT(kind, Axis == axX ? p.X : p.Y, t)) {
            const double r = t - (Axis == axX ? Map.X : Map.Y).At(p.Pixel);
            sum += r * r;
            ++n;
        }
    }
    return n ? std::sqrt(sum / n) : 0;
}

TPointResidual ResidualOf(const TCalibrationPoint& Point, const TPointsMap& Map)
{
    TPointResidual r;
    const TDataPoint at = Map.DataAt(Point.Pixel);
    if (Point.HasX())
        r.X = Point.X - at.X;
    if (Point.HasY())
        r.Y = Point.Y - at.Y;
    double t = 0;
    if (Point.HasX() && Point.HasY()) {
        TPointF where;
        r.Pixels = Map.PixelOf({Point.X, Point.Y}, where) ? std::hypot(where.X - Point.Pixel.X, where.Y - Point.Pixel.Y)
                                                          : std::numeric_limits<double>::quiet_NaN();
    } else if (Point.HasX() && AxisT(Map.XKind, Point.X, t)) {
        r.Pixels = std::abs(t - Map.X.At(Point.Pixel)) / Map.X.Gradient();
    } else if (Point.HasY() && AxisT(Map.YKind, Point.Y, t)) {
        r.Pixels = std::abs(t - Map.Y.At(Point.Pixel)) / Map.Y.Gradient();
    }
    return r;
}

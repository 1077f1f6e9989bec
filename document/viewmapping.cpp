#include "viewmapping.h"

#include "FittedMap.h"

#include "platform/TurnedPoint.h"
#include "platform/ZoomedSource.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <numbers>

TAxisMapping AxisMappingOf(int Ordinal, TAxisMapping Otherwise)
{
    return Ordinal == amLinear ? amLinear : Ordinal == amLog10 ? amLog10 : Otherwise;
}

int RoundEven(double value)
{
    // Saturating: a value beyond int, or no number at all, must not become
    // undefined behaviour in the cast.
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (rounded >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(rounded);
}

namespace {

void Clamp(TRect& R, int Width, int Height)
{
    if (R.Left <= 0)
        R.Left = 0;
    if (R.Top <= 0)
        R.Top = 0;
    if (R.Right >= Width - 1)
        R.Right = Width - 1;
    if (R.Bottom >= Height - 1)
        R.Bottom = Height - 1;
}

// Fraction f of the way from a to b, on the given kind of axis; false for a
// kind no writer produces, which leaves the coordinate untouched.
bool AxisValue(TAxisMapping kind, double a, double b, double f, double& out)
{
    switch (kind) {
    case amLinear:
        out = a + f * (b - a);
        return true;
    case amLog10:
        out = std::pow(10.0, std::log10(a) + f * (std::log10(b) - std::log10(a)));
        return true;
    }
    return false;
}

} // namespace

bool AxisFraction(TAxisMapping kind, double a, double b, double v, double& out)
{
    switch (kind) {
    case amLinear:
        out = (v - a) / (b - a);
        return true;
    case amLog10:
        out = (std::log10(v) - std::log10(a)) / (std::log10(b) - std::log10(a));
        return true;
    }
    return false;
}

bool TViewMapping::MappingValid() const
{
    return MappingRect.Right != MappingRect.Left && MappingRect.Top != MappingRect.Bottom;
}

bool operator==(const TMapping& A, const TMapping& B)
{
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return A.MappingRect == B.MappingRect && same(A.XLeftValue, B.XLeftValue) && same(A.XRightValue, B.XRightValue) &&
           same(A.YBottomValue, B.YBottomValue) && same(A.YTopValue, B.YTopValue) && A.AxisXMap == B.AxisXMap &&
           A.AxisYMap == B.AxisYMap && same(A.Angle, B.Angle) && A.XUnit == B.XUnit && A.YUnit == B.YUnit &&
           A.Calibration == B.Calibration;
}

bool TViewMapping::AxisValuesValid() const
{
    return XRightValue != XLeftValue && YTopValue != YBottomValue;
}

bool TViewMapping::FittedMap(TFittedMap& Map, QString* Problem) const
{
    return FitCalibration(Calibration, AxisXMap, AxisYMap, Map, Problem);
}

QString TViewMapping::MissingStep() const
{
    if (Calibration.PointsInForce()) {
        TFittedMap map;
        QString problem;
        return FittedMap(map, &problem) ? QString() : problem;
    }
    if (!MappingValid())
        return QStringLiteral("Drag a rectangle over the plotting area");
    if (!AxisValuesValid())
        return QStringLiteral("Set the axis values: Data > Dimensions");
    return {};
}

void TViewMapping::PixelToData(const TPoint& P, TDataPoint& D) const
{
    if (Calibration.PointsInForce()) {
        PixelToData(TPointF{double(P.X), double(P.Y)}, D, true);
        return;
    }
    if (!MappingValid())
        return;
    const TRect& r = MappingRect;
    const TPoint q = RotatePoint(P);
    const double fx = (double(q.X) - r.Left) / (double(r.Right) - r.Left);
    const double fy = (double(q.Y) - r.Bottom) / (double(r.Top) - r.Bottom);
    AxisValue(AxisXMap, XLeftValue, XRightValue, fx, D.X);
    AxisValue(AxisYMap, YBottomValue, YTopValue, fy, D.Y);
}

void TViewMapping::PixelToData(const TPointF& P, TDataPoint& D, bool Exact) const
{
    const bool whole = !Exact && P.X == std::nearbyint(P.X) && P.Y == std::nearbyint(P.Y) && std::abs(P.X) <= INT_MAX &&
                       std::abs(P.Y) <= INT_MAX;
    if (Calibration.PointsInForce()) {
        if (TFittedMap map; FittedMap(map))
            D = map.DataAt(P);
        return;
    }
    if (whole) {
        PixelToData(TPoint{int(P.X), int(P.Y)}, D);
        return;
    }
    if (!MappingValid())
        return;
    const TRect& r = MappingRect;
    const TPointF q = RotatePointF(P);
    AxisValue(AxisXMap, XLeftValue, XRightValue, (q.X - r.Left) / (double(r.Right) - r.Left), D.X);
    AxisValue(AxisYMap, YBottomValue, YTopValue, (q.Y - r.Bottom) / (double(r.Top) - r.Bottom), D.Y);
}

void TViewMapping::DataToPixel(const TDataPoint& D, TPoint& P) const
{
    if (Calibration.PointsInForce()) {
        TFittedMap map;
        if (TPointF at; FittedMap(map) && map.PixelOf(D, at))
            P = {RoundEven(at.X), RoundEven(at.Y)};
        return;
    }
    if (!AxisValuesValid())
        return;
    const TRect& r = MappingRect;
    double fx = 0;
    double fy = 0;
    if (AxisFraction(AxisXMap, XLeftValue, XRightValue, D.X, fx))
        P.X = RoundEven(r.Left + std::nearbyint((double(r.Right) - r.Left) * fx));
    if (AxisFraction(AxisYMap, YBottomValue, YTopValue, D.Y, fy))
        P.Y = RoundEven(r.Bottom + std::nearbyint((double(r.Top) - r.Bottom) * fy));
}

bool TViewMapping::FrameX(double X, double& Out) const
{
    // Points may give a skewed X axis: no X value is then a frame column.
    if (Calibration.PointsInForce())
        return false;
    double fraction = 0;
    if (!AxisFraction(AxisXMap, XLeftValue, XRightValue, X, fraction))
        return false;
    Out = MappingRect.Left + (double(MappingRect.Right) - MappingRect.Left) * fraction;
    return std::isfinite(Out);
}

bool TViewMapping::AxisStep(TAxis Axis, TAxisMapping& Kind, double& PerPixel, const TPointF* At) const
{
    if (Calibration.PointsInForce()) {
        TFittedMap map;
        if (!FittedMap(map))
            return false;
        map.Step(Axis, Kind, PerPixel, At);
        return true;
    }
    const TRect& r = MappingRect;
    const double pixels = Axis == axX ? std::abs(double(r.Right) - r.Left) : std::abs(double(r.Bottom) - r.Top);
    const double from = Axis == axX ? XLeftValue : YBottomValue;
    const double to = Axis == axX ? XRightValue : YTopValue;
    Kind = Axis == axX ? AxisXMap : AxisYMap;
    PerPixel = std::abs(Kind == amLog10 ? std::log10(to) - std::log10(from) : to - from) / pixels;
    return MappingValid() && (Kind == amLinear || Kind == amLog10) && std::isfinite(PerPixel) && PerPixel > 0;
}

double TViewMapping::PointsUnitsPerPixel(TAxis Axis) const
{
    // A linear measure: on a log axis no one figure holds.
    TAxisMapping kind = amLinear;
    double step = 0;
    return AxisStep(Axis, kind, step) && kind == amLinear ? step / double(Zoom) : 0;
}

double TViewMapping::XUnitsPerPixel() const
{
    if (Calibration.PointsInForce())
        return PointsUnitsPerPixel(axX);
    const double extent = std::abs(double(MappingRect.Right) - MappingRect.Left);
    const double pixels = std::trunc(extent * Zoom);
    if (XRightValue - XLeftValue > 0 && extent > 0 && pixels != 0)
        return (XRightValue - XLeftValue) / pixels;
    return 0;
}

double TViewMapping::YUnitsPerPixel() const
{
    if (Calibration.PointsInForce())
        return PointsUnitsPerPixel(axY);
    const double extent = std::abs(double(MappingRect.Bottom) - MappingRect.Top);
    const double pixels = std::trunc(extent * Zoom);
    if (YTopValue - YBottomValue > 0 && extent > 0 && pixels != 0)
        return (YTopValue - YBottomValue) / pixels;
    return 0;
}

TPoint TViewMapping::ClientToImage(const TPoint& P) const
{
    // The rule the picture is drawn by, so a click stores the pixel it shows.
    return {ZoomedSource(P.X, Zoom), ZoomedSource(P.Y, Zoom)};
}

TPoint TViewMapping::Turn(const TPoint& P, const TPoint& C, double degrees) const
{
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double dx = double(P.X) - C.X;
    const double dy = double(P.Y) - C.Y;
    return {RoundEven(C.X + std::nearbyint(dx * c + dy * s)), RoundEven(C.Y + std::nearbyint(-dx * s + dy * c))};
}

TPoint TViewMapping::RotatePoint(const TPoint& P) const
{
    return Turn(P, {MappingRect.Left, MappingRect.Bottom}, Angle);
}

TPoint TViewMapping::UnrotatePoint(const TPoint& P) const
{
    return Turn(P, {MappingRect.Left, MappingRect.Bottom}, -Angle);
}

TPointF TViewMapping::RotatePointF(const TPointF& P) const
{
    return TurnedPoint(P, {double(MappingRect.Left), double(MappingRect.Bottom)}, Angle);
}

TPointF TViewMapping::UnrotatePointF(const TPointF& P) const
{
    return TurnedPoint(P, {double(MappingRect.Left), double(MappingRect.Bottom)}, -Angle);
}

TPoint TViewMapping::RotateAbout(const TPoint& P, const TPoint& C) const
{
    return Turn(P, C, Angle);
}

TPoint TViewMapping::TurnScreen(const TPoint& P, double degrees) const
{
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double ox = MappingRect.Left * double(Zoom);
    const double oy = MappingRect.Bottom * double(Zoom);
    const double rx = P.X - ox;
    const double ry = P.Y - oy;
    return {RoundEven(std::nearbyint(rx * c + ry * s) + std::nearbyint(ox)),
            RoundEven(std::nearbyint(-rx * s + ry * c) + std::nearbyint(oy))};
}

TPoint TViewMapping::RotateScreenPoint(const TPoint& P) const
{
    return TurnScreen(P, Angle);
}

TPoint TViewMapping::UnrotateScreenPoint(const TPoint& P) const
{
    return TurnScreen(P, -Angle);
}

void TViewMapping::RubberBandToRect(const TPoint& D, const TPoint& M, int Width, int Height, TRect& R) const
{
    const double z = Zoom;
    R.Left = RoundEven(std::min(D.X, M.X) / z);
    R.Right = RoundEven(std::max(D.X, M.X) / z);
    R.Top = RoundEven(std::min(D.Y, M.Y) / z);
    R.Bottom = RoundEven(std::max(D.Y, M.Y) / z);
    Clamp(R, Width, Height);
}

void TViewMapping::CornersToRect(const TPoint& BL, const TPoint& BR, const TPoint&, const TPoint& TL,
                                 int Width, int Height, TRect& R) const
{
    R.Left = std::min(BL.X, BR.X);
    R.Right = std::max(BL.X, BR.X);
    R.Top = std::min(BL.Y, TL.Y);
    R.Bottom = std::max(BL.Y, TL.Y);
    Clamp(R, Width, Height);
}

void TViewMapping::ApplyRubberBand(const TPoint& D, const TPoint& M, int Width, int Height)
{
    if (D.X != M.X && D.Y != M.Y) {
        RubberBandToRect(D, M, Width, Height, MappingRect);
        Calibration.Kind = ckRectangle;
    }
}

void TViewMapping::ApplyCorners(const TPoint& BL, const TPoint& BR, const TPoint& TR, const TPoint& TL,
                                int Width, int Height)
{
    if (BL.X != BR.X && BL.Y != TL.Y) {
        CornersToRect(BL, BR, TR, TL, Width, Height, MappingRect);
        Calibration.Kind = ckRectangle;
    }
}

TMappingEdges TViewMapping::HitTestEdges(const TPoint& P) const
{
    // Five screen pixels at least: at zooms below 100% that is more than
    // five image pixels.
    const int band = Zoom < 1.0f ? int(std::ceil(5.0 / double(Zoom))) : 5;
    TMappingEdges edges;
    if (!MappingValid())
        return edges;
    const TRect& r = MappingRect;
    const TPoint q = RotatePoint(P);
    // In 64 bits, so that an edge near the ends of int does not overflow.
    auto near = [band](std::int64_t v, std::int64_t edge) { return edge - band < v && v < edge + band; };
    if (std::int64_t(r.Left) - band < q.X && q.X < std::int64_t(r.Right) + band) {
        if (near(q.Y, r.Top))
            edges.Include(meTop);
        if (near(q.Y, r.Bottom))
            edges.Include(meBottom);
    }
    if (std::int64_t(r.Top) - band < q.Y && q.Y < std::int64_t(r.Bottom) + band) {
        if (near(q.X, r.Left))
            edges.Include(meLeft);
        if (near(q.X, r.Right))
            edges.Include(meRight);
    }
    return edges;
}

TPoint TViewMapping::ConstrainDrag(int X, int Y, const TMappingEdges& Grabbed) const
{
    TPoint r = RotateScreenPoint({X, Y});
    const double z = Zoom;
    if (Grabbed.Contains(meTop))
        r.Y = std::min(r.Y, RoundEven(MappingRect.Bottom * z));
    if (Grabbed.Contains(meLeft))
        r.X = std::min(r.X, RoundEven(MappingRect.Right * z));
    if (Grabbed.Contains(meRight))
        r.X = std::max(r.X, RoundEven(MappingRect.Left * z));
    if (Grabbed.Contains(meBottom))
        r.Y = std::max(r.Y, RoundEven(MappingRect.Top * z));
    return r;
}

#include "datatext.h"

#include "platform/Conversions.h"
#include "platform/CoordinateText.h"
#include "platform/DecimalSeparator.h"

#include <cmath>
#include <numbers>
#include <optional>

namespace {

constexpr double PixelTolerance = 0.01;
// Enough for any double to come back exactly.
constexpr int MaxPrecision = 17;

struct TAxisScale {
    TAxisMapping Kind;
    double From;
    double To;
    int Pixels; // the plotting area's extent along the axis, image pixels
};

TAxisScale ScaleOf(const TViewMapping& m, TAxis axis)
{
    const TRect& r = m.MappingRect;
    if (axis == axX)
        return {m.AxisXMap, m.XLeftValue, m.XRightValue, std::abs(r.Right - r.Left)};
    return {m.AxisYMap, m.YBottomValue, m.YTopValue, std::abs(r.Bottom - r.Top)};
}

// Where v lies along the axis, in image pixels from its start.
std::optional<double> PixelOf(const TAxisScale& s, double v)
{
    double f = 0;
    if (!AxisFraction(s.Kind, s.From, s.To, v, f))
        return std::nullopt;
    const double pixel = f * s.Pixels;
    if (!std::isfinite(pixel))
        return std::nullopt;
    return pixel;
}

// A bound on how far, in pixels, rounding v to `precision` digits moves it:
// half a unit in its last digit, through the axis scale at v.
double RoundingBound(const TAxisScale& s, double v, int precision)
{
    const double half = 0.5 * std::pow(10.0, std::floor(std::log10(std::abs(v))) + 1 - precision);
    if (s.Kind == amLinear)
        return half / std::abs(s.To - s.From) * s.Pixels;
    // Near v a log axis stretches a step d by d / (v ln 10) decades.
    return half / (std::abs(v) * std::numbers::ln10) / std::abs(std::log10(s.To) - std::log10(s.From)) * s.Pixels;
}

} // namespace

QString DataText(const TViewMapping& Mapping, TAxis Axis, double Value, int Precision, int Digits)
{
    QString text = CoordinateText(Value, Precision, Digits);
    const TAxisScale scale = ScaleOf(Mapping, Axis);
    if (!std::isfinite(Value) || Value == 0 || scale.Pixels == 0 || scale.From == scale.To)
        return text;
    const std::optional<double> exact = PixelOf(scale, Value);
    // Most charts: the bound settles it without reading the text back.
    if (!exact || RoundingBound(scale, Value, Precision) <= PixelTolerance / 2)
        return text;
    const QString separator = DecimalSeparator();
    for (int p = Precision; p < MaxPrecision; ++p) {
        const std::optional<double> shown = TryStrToFloat(text, separator);
        const std::optional<double> pixel = shown ? PixelOf(scale, *shown) : std::nullopt;
        if (pixel && std::abs(*pixel - *exact) <= PixelTolerance)
            break;
        text = CoordinateText(Value, p + 1, Digits);
    }
    return text;
}

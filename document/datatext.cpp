#include "datatext.h"

#include "platform/Conversions.h"
#include "platform/CoordinateText.h"
#include "platform/DateText.h"
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
    double PerPixel; // change of the value, or of its log10, per image pixel
};

// How far apart, in pixels, two values of the axis lie.
std::optional<double> PixelsBetween(const TAxisScale& s, double a, double b)
{
    const double d = s.Kind == amLog10 ? std::log10(a) - std::log10(b) : a - b;
    const double pixels = std::abs(d) / s.PerPixel;
    if (!std::isfinite(pixels))
        return std::nullopt;
    return pixels;
}

// A bound on how far, in pixels, rounding v to `precision` digits moves it:
// half a unit in its last digit, through the axis scale at v.
double RoundingBound(const TAxisScale& s, double v, int precision)
{
    const double half = 0.5 * std::pow(10.0, std::floor(std::log10(std::abs(v))) + 1 - precision);
    if (s.Kind == amLinear)
        return half / s.PerPixel;
    // Near v a log axis stretches a step d by d / (v ln 10) decades.
    return half / (std::abs(v) * std::numbers::ln10) / s.PerPixel;
}

// DateValueText on an axis whose scale is known, Scaled saying whether it is.
std::optional<QString> DateOnScale(const TViewMapping& Mapping, TAxis Axis, const TAxisScale& Scale, bool Scaled,
                                   double Value)
{
    const TAxisUnit unit = Axis == axX ? Mapping.XUnit : Mapping.YUnit;
    if (unit == auNumber || !Scaled || Scale.Kind != amLinear)
        return std::nullopt;
    // A date keeps a tenth of a pixel, as a found point's place does.
    return DateTimeText(Value, DateFormFor(Scale.PerPixel / 10), unit == auTime);
}

} // namespace

std::optional<QString> DateValueText(const TViewMapping& Mapping, TAxis Axis, double Value)
{
    TAxisScale scale{amLinear, 0};
    const bool scaled = Mapping.AxisStep(Axis, scale.Kind, scale.PerPixel);
    return DateOnScale(Mapping, Axis, scale, scaled, Value);
}

QString DataText(const TViewMapping& Mapping, TAxis Axis, double Value, int Precision, int Digits)
{
    // One scale for both: under calibration points each reading is a fit.
    TAxisScale scale{amLinear, 0};
    const bool scaled = Mapping.AxisStep(Axis, scale.Kind, scale.PerPixel);
    if (const std::optional<QString> date = DateOnScale(Mapping, Axis, scale, scaled, Value))
        return *date;
    QString text = CoordinateText(Value, Precision, Digits);
    if (!std::isfinite(Value) || Value == 0 || !scaled || (scale.Kind == amLog10 && Value < 0))
        return text;
    // Most charts: the bound settles it without reading the text back.
    if (RoundingBound(scale, Value, Precision) <= PixelTolerance / 2)
        return text;
    const QString separator = DecimalSeparator();
    for (int p = Precision; p < MaxPrecision; ++p) {
        const std::optional<double> shown = TryStrToFloat(text, separator);
        const std::optional<double> pixels = shown ? PixelsBetween(scale, *shown, Value) : std::nullopt;
        if (pixels && *pixels <= PixelTolerance)
            break;
        text = CoordinateText(Value, p + 1, Digits);
    }
    return text;
}

#include "GridValues.h"

#include "PointsFit.h"

#include <algorithm>
#include <cmath>

namespace {

// A hair over a step, so that an end that is itself round is kept.
constexpr double Slack = 1e-9;

std::vector<double> Linear(double low, double high, int lines)
{
    const double raw = (high - low) / std::max(lines, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (const double m : {2.0, 5.0, 10.0})
        if (step < raw * (1 - Slack))
            step = m * power;
    std::vector<double> values;
    for (double k = std::ceil(low / step - Slack); k * step <= high + step * Slack; ++k)
        values.push_back(k == 0 ? 0.0 : k * step);
    return values;
}

std::vector<double> Logarithmic(double low, double high, int lines)
{
    const double first = std::floor(std::log10(low) + Slack);
    const double last = std::floor(std::log10(high) + Slack);
    const double decades = std::log10(high) - std::log10(low);
    const double every = std::max(1.0, std::ceil(decades / std::max(lines, 1) - Slack));
    const bool between = decades <= 3 + Slack;
    std::vector<double> values;
    for (double e = first; e <= last; e += every)
        for (const double m : {1.0, 2.0, 5.0}) {
            const double v = m * std::pow(10.0, e);
            if ((m == 1 || between) && v >= low * (1 - Slack) && v <= high * (1 + Slack))
                values.push_back(v);
        }
    return values;
}

} // namespace

std::vector<double> GridValues(TAxisMapping Kind, double A, double B, int Lines)
{
    const double low = std::min(A, B), high = std::max(A, B);
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high))
        return {};
    if (Kind == amLog10)
        return low > 0 ? Logarithmic(low, high, Lines) : std::vector<double>{};
    return Linear(low, high, Lines);
}

std::vector<TGridLine> PlaneGridLines(const TAxisPlane& Plane, TAxisMapping Kind, int Width, int Height)
{
    const double left = -0.5, top = -0.5, right = Width - 0.5, bottom = Height - 0.5;
    const TPointF corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    double lo = INFINITY, hi = -INFINITY;
    for (const TPointF& c : corners) {
        lo = std::min(lo, Plane.At(c));
        hi = std::max(hi, Plane.At(c));
    }
    const auto value = [Kind](double t) { return Kind == amLog10 ? std::pow(10.0, t) : t; };
    std::vector<TGridLine> lines;
    if (Width <= 0 || Height <= 0 || !(hi > lo))
        return lines;
    for (const double v : GridValues(Kind, value(lo), value(hi))) {
        const double t = Kind == amLog10 ? std::log10(v) : v;
        // Where the line crosses each edge of the picture, walking round it.
        std::vector<TPointF> cuts;
        for (int i = 0; i < 4; ++i) {
            const TPointF a = corners[i], b = corners[(i + 1) % 4];
            const double ta = Plane.At(a) - t, tb = Plane.At(b) - t;
            if ((ta < 0) == (tb < 0) || ta == tb)
                continue;
            const double f = ta / (ta - tb);
            cuts.push_back({a.X + (b.X - a.X) * f, a.Y + (b.Y - a.Y) * f});
        }
        if (cuts.size() >= 2)
            lines.push_back({cuts.front(), cuts.back()});
    }
    return lines;
}

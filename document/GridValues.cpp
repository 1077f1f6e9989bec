#include "GridValues.h"

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

#include "Lab.h"

#include <array>
#include <cmath>

namespace {

double Linear(double Channel)
{
    const double c = Channel / 255;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double LabCurve(double T)
{
    constexpr double e = 216.0 / 24389;
    constexpr double k = 24389.0 / 27;
    return T > e ? std::cbrt(T) : (k * T + 16) / 116;
}

TLab FromLinear(double r, double g, double b)
{
    const double x = LabCurve((0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047);
    const double y = LabCurve(0.2126729 * r + 0.7151522 * g + 0.0721750 * b);
    const double z = LabCurve((0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

} // namespace

TLab ToLab(double R, double G, double B)
{
    return FromLinear(Linear(R), Linear(G), Linear(B));
}

TLab ToLab(const TRgb& Colour)
{
    // Whole channels are by far the most asked for: one table lookup each.
    static const std::array<double, 256> linear = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[std::size_t(i)] = Linear(i);
        return t;
    }();
    return FromLinear(linear[std::size_t(Colour.R & 0xFF)], linear[std::size_t(Colour.G & 0xFF)],
                      linear[std::size_t(Colour.B & 0xFF)]);
}

double DeltaE(const TLab& P, const TLab& Q)
{
    return std::sqrt((P.L - Q.L) * (P.L - Q.L) + (P.A - Q.A) * (P.A - Q.A) + (P.B - Q.B) * (P.B - Q.B));
}

#include "Skew.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Widest = 4 * Pi / 180;
constexpr double Coarse = 0.1 * Pi / 180;
constexpr double Fine = 0.01 * Pi / 180;
// A lightness step between the pixels either side that marks an edge.
constexpr int EdgeStep = 20;

struct TEdge {
    float X, Y;
};

// How sharply the edges line up across the picture at Angle: the sum of
// squares of how many edge pixels fall on each turned row (level edges)
// and column (upright edges).
double Alignment(const std::vector<TEdge>& Level, const std::vector<TEdge>& Upright, double Angle, int Side)
{
    const double c = std::cos(Angle), s = std::sin(Angle);
    std::vector<int> bins(std::size_t(3 * Side), 0);
    double score = 0;
    for (const auto& [edges, level] : {std::pair{&Level, true}, std::pair{&Upright, false}}) {
        std::fill(bins.begin(), bins.end(), 0);
        for (const TEdge& e : *edges) {
            const double at = level ? -s * e.X + c * e.Y : c * e.X + s * e.Y;
            ++bins[std::size_t(std::lround(at) + Side)];
        }
        for (const int n : bins)
            score += double(n) * double(n);
    }
    return score;
}

} // namespace

double SkewAngle(const TGrayPicture& Picture)
{
    const int w = Picture.Width, h = Picture.Height;
    if (w < 3 || h < 3)
        return 0;
    std::vector<TEdge> level, upright;
    for (int y = 1; y + 1 < h; ++y)
        for (int x = 1; x + 1 < w; ++x) {
            if (std::abs(int(Picture.At(x, y + 1)) - int(Picture.At(x, y - 1))) >= EdgeStep)
                level.push_back({float(x), float(y)});
            if (std::abs(int(Picture.At(x + 1, y)) - int(Picture.At(x - 1, y))) >= EdgeStep)
                upright.push_back({float(x), float(y)});
        }
    const int side = std::max(w, h);
    const auto best = [&](double From, double To, double Step, double& Score) {
        double angle = 0;
        Score = -1;
        for (double a = From; a <= To + Step / 2; a += Step)
            if (const double s = Alignment(level, upright, a, side); s > Score) {
                Score = s;
                angle = a;
            }
        return angle;
    };
    double score = 0;
    const double coarse = best(-Widest, Widest, Coarse, score);
    const double fine = best(coarse - Coarse, coarse + Coarse, Fine, score);
    // Between the fine steps, the top of the parabola through the best and
    // its neighbours.
    const double before = Alignment(level, upright, fine - Fine, side);
    const double after = Alignment(level, upright, fine + Fine, side);
    const double curve = before - 2 * score + after;
    const double shift = curve < 0 ? 0.5 * (before - after) / curve : 0;
    return fine + std::clamp(shift, -0.5, 0.5) * Fine;
}

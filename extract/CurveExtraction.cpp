#include "CurveExtraction.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The colour at a picture position between pixel centres, read bilinearly;
// nothing outside the picture.
std::optional<TRgb> Sample(const TPixelSource& s, const TPointF& p)
{
    const double fx = std::floor(p.X);
    const double fy = std::floor(p.Y);
    // Written so that a position that is no number is outside too.
    if (!(fx >= -1 && fy >= -1 && fx <= s.Width() - 1 && fy <= s.Height() - 1))
        return std::nullopt;
    const int x0 = int(fx);
    const int y0 = int(fy);
    const double ax = p.X - fx;
    const double ay = p.Y - fy;
    if (ax == 0 && ay == 0)
        return x0 >= 0 && y0 >= 0 ? std::optional<TRgb>(s.At(x0, y0)) : std::nullopt;
    double r = 0;
    double g = 0;
    double b = 0;
    double weight = 0;
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const int x = x0 + dx;
            const int y = y0 + dy;
            const double w = (dx ? ax : 1 - ax) * (dy ? ay : 1 - ay);
            if (w == 0 || x < 0 || y < 0 || x >= s.Width() || y >= s.Height())
                continue;
            const TRgb c = s.At(x, y);
            r += w * c.R;
            g += w * c.G;
            b += w * c.B;
            weight += w;
        }
    if (weight < 0.5)
        return std::nullopt;
    return TRgb{int(std::lround(r / weight)), int(std::lround(g / weight)), int(std::lround(b / weight))};
}

// A stretch of the colour down one frame column, with its weighted centre;
// Blocked when a pixel next to it is some other colour.
struct TRun {
    double X = 0;
    double Centre = 0;
    double Weight = 0;
    bool Blocked = false;
};

// The points a walk along the curve has found, and the ones it steers by:
// a stretch far heavier than the curve has been is two curves of the colour
// overlapping, whose centre lies between them, so it does not steer.
struct TWalk {
    std::vector<TRun> Found;
    std::vector<TRun> Guides;

    void Add(const TRun& Run)
    {
        Found.push_back(Run);
        if (Guides.size() < 3) {
            Guides.push_back(Run);
            return;
        }
        std::vector<double> recent;
        for (auto g = Guides.rbegin(); g != Guides.rend() && recent.size() < 5; ++g)
            recent.push_back(g->Weight);
        std::nth_element(recent.begin(), recent.begin() + std::ptrdiff_t(recent.size() / 2), recent.end());
        if (Run.Weight <= 1.6 * recent[recent.size() / 2])
            Guides.push_back(Run);
    }

    // Where the last two guides lead at frame column X; the last one alone
    // when there is one.
    std::optional<double> Expected(double X) const
    {
        if (Guides.size() >= 2) {
            const TRun& a = Guides[Guides.size() - 2];
            const TRun& b = Guides.back();
            return b.Centre + (b.Centre - a.Centre) / (b.X - a.X) * (X - b.X);
        }
        if (!Guides.empty())
            return Guides.back().Centre;
        return std::nullopt;
    }
};

std::vector<TRun> ColumnRuns(const TPixelSource& source, const TExtractArea& area, const TExtractArea::TBounds& box,
                             const TColourRule& rule, double x)
{
    const int top = int(std::ceil(box.Top));
    const int bottom = int(std::floor(box.Bottom));
    const std::size_t n = std::size_t(std::max(0, bottom - top + 1));
    std::vector<std::optional<TRgb>> colours(n);
    for (std::size_t i = 0; i < n; ++i)
        colours[i] = Sample(source, area.ToImage({x, double(top + int(i))}));
    std::vector<TRun> runs;
    std::size_t i = 0;
    while (i < n) {
        if (!colours[i] || !rule.Matches(*colours[i])) {
            ++i;
            continue;
        }
        std::size_t last = i;
        while (last + 1 < n && colours[last + 1] && rule.Matches(*colours[last + 1]))
            ++last;
        TRun run;
        double moment = 0;
        const std::size_t from = i > 0 ? i - 1 : i;
        const std::size_t to = last + 1 < n ? last + 1 : last;
        for (std::size_t k = from; k <= to; ++k) {
            const bool inside = k >= i && k <= last;
            const double share = colours[k] ? rule.Share(*colours[k]) : 0;
            if (!inside && share < 0)
                run.Blocked = true;
            const double w = inside ? TColourRule::MatchWeight(share) : std::max(share, 0.0);
            run.Weight += w;
            moment += w * double(top + int(k));
        }
        run.Centre = moment / run.Weight;
        runs.push_back(run);
        i = last + 1;
    }
    return runs;
}

} // namespace

QString AreaProblem(const TPixelSource& Source, const TExtractArea& Area)
{
    if (!Source.IsValid())
        return QStringLiteral("There is no picture to extract from.");
    if (!Area.IsValid())
        return QStringLiteral("Mark the plotting area before extracting.");
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        if (span.First <= span.Last)
            return {};
    }
    return QStringLiteral("The plotting area lies outside the picture.");
}

TExtraction ExtractCurve(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance,
                         double Step, const std::optional<TPointF>& Seed)
{
    TExtraction result;
    result.Problem = AreaProblem(Source, Area);
    if (!result.Problem.isEmpty())
        return result;
    if (!(Step >= 1)) {
        result.Problem = QStringLiteral("The step must be at least one pixel.");
        return result;
    }
    const TColourRule rule(Colour, AreaBackground(Source, Area), Tolerance);
    result.Problem = rule.Problem();
    if (!result.Problem.isEmpty())
        return result;
    const double left = Area.FrameLeft();
    const int reach = int(std::floor((Step - 1) / 2));
    // Steps stay on the area's grid, but only where the picture is.
    const TExtractArea::TBounds box = Area.OverPicture(Source.Width(), Source.Height());
    if (box.Left > box.Right)
        return result;
    const long long firstStep = (long long)std::ceil((box.Left - left) / Step);
    const long long last = (long long)std::floor((box.Right - left) / Step);
    // The point of step K on the stretch nearest to where the walk leads.
    const std::optional<TPointF> seed = Seed ? std::optional<TPointF>(Area.ToFrame(*Seed)) : std::nullopt;
    auto pointAt = [&](long long k, const TWalk& walk) -> std::optional<TRun> {
        const double stepX = left + double(k) * Step;
        std::optional<double> expected = walk.Expected(stepX);
        if (!expected && seed)
            expected = seed->Y;
        for (int d = 0; d <= 2 * reach; ++d) {
            // 0, +1, -1, +2, -2, ...
            const int offset = d % 2 ? (d + 1) / 2 : -(d / 2);
            const double x = stepX + offset;
            if (x < box.Left || x > box.Right)
                continue;
            const std::vector<TRun> runs = ColumnRuns(Source, Area, box, rule, x);
            if (runs.empty())
                continue;
            const auto chosen = std::min_element(runs.begin(), runs.end(), [&](const TRun& a, const TRun& b) {
                if (expected)
                    return std::abs(a.Centre - *expected) < std::abs(b.Centre - *expected);
                return a.Weight > b.Weight;
            });
            if (!chosen->Blocked) {
                TRun found = *chosen;
                found.X = x;
                return found;
            }
        }
        return std::nullopt;
    };
    // From the seed's step to the right, then from there to the left.
    const long long first =
        seed ? std::clamp((long long)std::llround((seed->X - left) / Step), firstStep, std::max(firstStep, last))
             : firstStep;
    TWalk rightward;
    for (long long k = first; k <= last; ++k)
        if (const std::optional<TRun> run = pointAt(k, rightward))
            rightward.Add(*run);
    TWalk leftward;
    if (!rightward.Found.empty() && rightward.Found.front().X <= left + double(first) * Step + reach)
        leftward.Add(rightward.Found.front());
    const std::size_t shared = leftward.Found.size();
    for (long long k = first - 1; k >= firstStep; --k)
        if (const std::optional<TRun> run = pointAt(k, leftward))
            leftward.Add(*run);
    for (auto run = leftward.Found.rbegin(); run != leftward.Found.rend() - std::ptrdiff_t(shared); ++run)
        result.Points.push_back(Area.ToImage({run->X, run->Centre}));
    for (const TRun& run : rightward.Found)
        result.Points.push_back(Area.ToImage({run.X, run.Centre}));
    return result;
}

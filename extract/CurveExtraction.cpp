#include "CurveExtraction.h"

#include "MarkerCentre.h"
#include "MarkerExtraction.h"
#include "RuledLines.h"

#include <algorithm>
#include <cmath>
#include <deque>
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

// A stretch of the colour down one frame column, from row First to Last,
// with its weighted centre; Blocked when a pixel next to it is some other
// colour.
struct TRun {
    double X = 0;
    int First = 0;
    int Last = -1;
    double Centre = 0;
    double Weight = 0;
    bool Blocked = false;

    int Length() const { return Last - First + 1; }
};

// The area's frame columns, read at whole frame rows.
class TColumns {
public:
    TColumns(const TPixelSource& Source, const TExtractArea& Area, const TExtractArea::TBounds& Box,
             const TColourRule& Rule, const TRuledLines& Ruled)
        : FSource(Source)
        , FArea(Area)
        , FRule(Rule)
        , FRuled(Ruled)
        , FTop(int(std::ceil(Box.Top)))
        , FBottom(int(std::floor(Box.Bottom)))
    {
    }

    // The runs of the colour in column X that reach into Lo..Hi, each whole.
    std::vector<TRun> Near(double X, double Lo, double Hi) const
    {
        std::vector<TRun> runs;
        // A course gone wild (or not a number) finds nothing.
        if (!(Lo <= Hi))
            return runs;
        const int lo = int(std::floor(std::clamp(Lo, double(FTop), double(FBottom) + 1)));
        const int hi = int(std::ceil(std::clamp(Hi, double(FTop) - 1, double(FBottom))));
        for (int y = lo; y <= hi; ++y) {
            if (!Matches(X, y))
                continue;
            int first = y;
            if (first == lo)
                while (first > FTop && Matches(X, first - 1))
                    --first;
            int last = y;
            while (last < FBottom && Matches(X, last + 1))
                ++last;
            runs.push_back(Measure(X, first, last));
            y = last + 1;
        }
        return runs;
    }
    std::vector<TRun> All(double X) const { return Near(X, FTop, FBottom); }

    // How near the run's most like pixel comes to the colour sought: its
    // middle, where anti-aliasing does not reach.
    double ColourOff(const TRun& Run) const
    {
        const TLab colour = ToLab(FRule.Colour());
        double best = INFINITY;
        for (int y = Run.First; y <= Run.Last; ++y)
            if (const std::optional<TRgb> c = At(Run.X, y))
                best = std::min(best, DeltaE(ToLab(*c), colour));
        return best;
    }
    double Noise() const { return FRule.Noise(); }

private:
    std::optional<TRgb> At(double X, int Y) const { return Sample(FSource, FArea.ToImage({X, double(Y)})); }
    bool Matches(double X, int Y) const
    {
        const std::optional<TRgb> c = At(X, Y);
        return c && FRule.Matches(*c) && !FRuled.Holds({X, double(Y)});
    }

    // The run's centre weighted by each pixel's share of the colour, the
    // anti-aliased pixel on either side included.
    TRun Measure(double X, int First, int Last) const
    {
        TRun run{X, First, Last};
        double moment = 0;
        for (int y = std::max(FTop, First - 1); y <= std::min(FBottom, Last + 1); ++y) {
            const bool inside = y >= First && y <= Last;
            const std::optional<TRgb> c = At(X, y);
            const double share = c ? FRule.Share(*c) : 0;
            if (!inside && share < 0)
                run.Blocked = true;
            const double w = inside ? TColourRule::MatchWeight(share) : std::max(share, 0.0);
            run.Weight += w;
            moment += w * y;
        }
        run.Centre = moment / run.Weight;
        return run;
    }

    const TPixelSource& FSource;
    const TExtractArea& FArea;
    const TColourRule& FRule;
    const TRuledLines& FRuled;
    int FTop;
    int FBottom;
};

// Where the curve has lately been, to tell where it goes: a line fitted to
// its last few runs. A run far longer than the curve has been is two curves
// of the colour overlapping, whose centre lies between them, so it does not
// steer.
class TCourse {
public:
    void Add(const TRun& Run)
    {
        if (!Heavy(Run)) {
            FPoints.push_back({Run.X, Run.Centre});
            if (FPoints.size() > 8)
                FPoints.pop_front();
        }
        FLengths.push_back(Run.Length());
        if (FLengths.size() > 7)
            FLengths.pop_front();
    }

    double Predict(double X) const
    {
        const double n = double(FPoints.size());
        double sx = 0;
        double sy = 0;
        for (const TPointF& p : FPoints) {
            sx += p.X;
            sy += p.Y;
        }
        const double mx = sx / n;
        const double my = sy / n;
        double sxx = 0;
        double sxy = 0;
        for (const TPointF& p : FPoints) {
            sxx += (p.X - mx) * (p.X - mx);
            sxy += (p.X - mx) * (p.Y - my);
        }
        return sxx > 0 ? my + sxy / sxx * (X - mx) : my;
    }

    double Thickness() const
    {
        std::vector<int> lengths(FLengths.begin(), FLengths.end());
        std::nth_element(lengths.begin(), lengths.begin() + std::ptrdiff_t(lengths.size() / 2), lengths.end());
        return lengths[lengths.size() / 2];
    }

private:
    bool Heavy(const TRun& Run) const { return FLengths.size() >= 3 && Run.Length() > 1.6 * Thickness() + 1; }

    std::deque<TPointF> FPoints;
    std::deque<int> FLengths;
};

// The walk's frame columns, one a pixel from the area's left edge, and the
// run followed in each.
struct TTrace {
    double Left = 0;
    int First = 0;
    int Last = -1;
    std::vector<std::optional<TRun>> Runs;

    double X(int Column) const { return Left + Column; }
    std::optional<TRun>& At(int Column) { return Runs[std::size_t(Column - First)]; }
    // The run followed in a column, or none there or outside the walk.
    const TRun* Traced(int Column) const
    {
        const std::optional<TRun>& run = Runs[std::size_t(std::clamp(Column, First, Last) - First)];
        return Column >= First && Column <= Last && run ? &*run : nullptr;
    }
};

// Leaves out, at either end of the trace, a stretch of a column or two
// that a gap of ten columns or more parts from the rest: a dash of a steep
// curve spans few columns, but the gaps between are as few.
void TrimLoneEnds(TTrace& Trace, TExtractionReport& Report)
{
    constexpr int Speck = 2;
    constexpr int LongGap = 10;
    for (const int direction : {1, -1}) {
        const int start = direction > 0 ? Trace.First : Trace.Last;
        int c = start;
        while (c >= Trace.First && c <= Trace.Last && !Trace.Traced(c))
            c += direction;
        int stretch = 0;
        const int from = c;
        while (c >= Trace.First && c <= Trace.Last && Trace.Traced(c)) {
            ++stretch;
            c += direction;
        }
        int gap = 0;
        while (c >= Trace.First && c <= Trace.Last && !Trace.Traced(c)) {
            ++gap;
            c += direction;
        }
        const bool more = c >= Trace.First && c <= Trace.Last;
        if (stretch > 0 && stretch <= Speck && gap >= LongGap && more) {
            for (int k = from; k != from + direction * stretch; k += direction)
                Trace.At(k).reset();
            ++Report.PiecesLeftOut;
        }
    }
}

// How a walk in one direction ended: the column where a gap longer than
// it could bridge ended it, if one did, and how many times it parted from
// another stretch of the colour that its course and colour fitted as well.
struct TFollowed {
    std::optional<int> End;
    int Ambiguous = 0;
};

// Of the runs where the walk may go on, the one it takes: the nearest to
// where the course leads, unless two or more fit the course and one is
// plainly nearer to the colour sought, as when two curves of close colours
// part after touching. Undecided, when neither decided between fitting
// runs, is how far the nearest other one lies from the one taken.
struct TChoice {
    TRun Run;
    std::optional<double> Undecided;
};

TChoice Choose(const TColumns& Columns, const std::vector<TRun>& Runs, double Expected, double Fit)
{
    const auto nearest = [&](const TRun& a, const TRun& b) {
        return std::abs(a.Centre - Expected) < std::abs(b.Centre - Expected);
    };
    std::vector<TRun> fitting;
    for (const TRun& run : Runs)
        if (std::abs(run.Centre - Expected) <= Fit)
            fitting.push_back(run);
    if (fitting.size() < 2)
        return {*std::min_element(Runs.begin(), Runs.end(), nearest), std::nullopt};
    std::vector<std::pair<double, std::size_t>> offs;
    for (std::size_t i = 0; i < fitting.size(); ++i)
        offs.push_back({Columns.ColourOff(fitting[i]), i});
    std::sort(offs.begin(), offs.end());
    if (offs[1].first - offs[0].first >= 3 + 2 * Columns.Noise())
        return {fitting[offs[0].second], std::nullopt};
    std::sort(fitting.begin(), fitting.end(), nearest);
    return {fitting[0], fitting[1].Centre - fitting[0].Centre};
}

// Follows the curve from Start in column Column one column at a time in
// Direction, to each run that touches the last one; where several do (two
// curves of the colour parting), to the one the course leads to. A gap is
// crossed along the course, to a run near where it leads; one longer than
// MaxGap ends the walk.
TFollowed Follow(const TColumns& Columns, TTrace& Trace, const TRun& Start, int Column, int Direction, int MaxGap)
{
    TFollowed followed;
    TCourse course;
    course.Add(Start);
    TRun last = Start;
    int gap = 0;
    // An undecided parting, looked at again a few columns on: pieces of one
    // stroke that noise split have joined again by then, a second curve
    // has gone on beside this one.
    struct TParting {
        bool Open = false;
        int Column = 0;
        double Side = 0;
        int Looks = 0;
        int Seen = 0;
    };
    TParting parting;
    for (int j = Column + Direction; j >= Trace.First && j <= Trace.Last; j += Direction) {
        const double x = Trace.X(j);
        const double expected = course.Predict(x);
        std::vector<TRun> runs;
        if (gap == 0) {
            runs = Columns.Near(x, last.First - 1, last.Last + 1);
            if (runs.empty()) {
                // Another colour across a steep stretch breaks it within
                // one column: the walk goes on from the piece beyond.
                const double hop = course.Thickness() + 4;
                const std::vector<TRun> beyond = Columns.Near(last.X, last.First - hop, last.Last + hop);
                for (const TRun& piece : beyond)
                    if (piece.First != last.First) {
                        runs = Columns.Near(x, piece.First - 1, piece.Last + 1);
                        if (!runs.empty()) {
                            Trace.At(j - Direction) = piece;
                            break;
                        }
                    }
            }
        } else {
            // The further the gap, the less sure the course; a steep curve
            // may go on anywhere along its last run.
            const double allowed = 2 + course.Thickness() + std::min(0.3 * gap, 20.0);
            runs = Columns.Near(x, std::min(expected, double(last.First)) - allowed,
                                std::max(expected, double(last.Last)) + allowed);
        }
        if (runs.empty()) {
            if (++gap > MaxGap) {
                followed.End = j;
                return followed;
            }
            continue;
        }
        const TChoice choice = Choose(Columns, runs, expected, 2 + course.Thickness() + std::min(0.3 * gap, 20.0));
        last = choice.Run;
        gap = 0;
        Trace.At(j) = last;
        course.Add(last);
        // Looked at every two strokes' widths on, a few times, for a run
        // beside this one on the side the other went: curves that touched
        // part slowly.
        const double apart = 2 * course.Thickness() + 2;
        if (parting.Open && (j - parting.Column) * Direction >= apart * (parting.Looks + 1)) {
            // Clear of this run's own fringe, and a stroke's width at least.
            const double from = parting.Side > 0 ? last.Last + 2 : last.First - 2;
            const double to = from + parting.Side * (2 + 2 * apart);
            bool beside = false;
            for (const TRun& run : Columns.Near(x, std::min(from, to), std::max(from, to)))
                beside = beside || ((run.First > last.Last + 1 || run.Last < last.First - 1) &&
                                    run.Length() >= course.Thickness());
            parting.Seen += beside;
            if (parting.Seen == 2)
                ++followed.Ambiguous;
            if (parting.Seen == 2 || ++parting.Looks == 6)
                parting.Open = false;
        }
        if (choice.Undecided && !parting.Open)
            parting = TParting{true, j, *choice.Undecided > 0 ? 1.0 : -1.0, 0, 0};
    }
    return followed;
}

// The width of the stroke the walk followed, across it: the median run
// shortened by the slope where it was taken.
double StrokeWidth(const TTrace& Trace)
{
    std::vector<double> widths;
    for (int c = Trace.First + 1; c < Trace.Last; ++c) {
        const TRun* before = Trace.Traced(c - 1);
        const TRun* here = Trace.Traced(c);
        const TRun* after = Trace.Traced(c + 1);
        if (before && here && after) {
            const double slope = (after->Centre - before->Centre) / 2;
            widths.push_back(here->Length() / std::hypot(1.0, slope));
        }
    }
    if (widths.empty())
        return 0;
    std::nth_element(widths.begin(), widths.begin() + std::ptrdiff_t(widths.size() / 2), widths.end());
    return widths[widths.size() / 2];
}

// The middle of a thick stroke across it, not down a column: a column
// through a curved stroke is cut unevenly by its two edges. Read along the
// normal of the stroke's course through At, a quarter pixel at a time, out
// to its edges.
TPointF AcrossStroke(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule, const TPointF& At,
                     double Slope, double Width)
{
    const double norm = std::hypot(1.0, Slope);
    const TPointF normal{-Slope / norm, 1 / norm};
    const auto weight = [&](double t) {
        const std::optional<TRgb> c = Sample(Source, Area.ToImage({At.X + t * normal.X, At.Y + t * normal.Y}));
        if (!c)
            return -1.0;
        const double share = Rule.Share(*c);
        return Rule.Matches(*c) ? TColourRule::MatchWeight(share) : share;
    };
    // Each edge where the colour's share falls through a half, between the
    // quarter-pixel samples either side of it.
    constexpr double step = 0.25;
    const double reach = Width + 2;
    // A pale middle has no edge to fall through on either side; read from
    // it, a falling share would put the "edge" anywhere.
    const double middle = weight(0);
    if (middle < 0.5)
        return At;
    double edges[2] = {0, 0};
    for (int side = 0; side < 2; ++side) {
        const double direction = side == 0 ? 1 : -1;
        double before = middle;
        bool found = false;
        for (double t = step; t <= reach && !found; t += step) {
            const double w = weight(direction * t);
            // Another colour across the stroke (a grid line, a crossing
            // curve) hides where its edge is: the column's middle serves.
            if (w < 0)
                return At;
            if (w < 0.5) {
                const double back = before > w ? (before - 0.5) / (before - w) : 0;
                edges[side] = direction * (t - step + step * back);
                found = true;
            }
            before = w;
        }
        if (!found)
            return At;
    }
    const double t = (edges[0] + edges[1]) / 2;
    return {At.X + t * normal.X, At.Y + t * normal.Y};
}

// The patches of the colour as the walk sees them: where each lies along
// the frame's X axis, and which ones the walk passed through.
struct TPieces {
    TBlobSearch Search;
    TBlobIndex Index;
    std::vector<double> FrameLeft;
    std::vector<double> FrameRight;
    std::vector<double> FrameTop;
    std::vector<double> FrameBottom;

    TPieces(TBlobSearch Found, const TExtractArea& Area)
        : Search(std::move(Found))
        , Index(Search)
    {
        for (const TBlob& blob : Search.Blobs) {
            const TExtractArea::TBounds bounds = FrameBoundsOf(blob, Area);
            FrameLeft.push_back(bounds.Left);
            FrameRight.push_back(bounds.Right);
            FrameTop.push_back(bounds.Top);
            FrameBottom.push_back(bounds.Bottom);
        }
    }

    // The patch at a picture position, or next to it: a frame position
    // read between pixels may fall just beside the pixels that matched.
    int Near(const TPointF& P) const
    {
        const int x = int(std::lround(P.X));
        const int y = int(std::lround(P.Y));
        for (int d = 0; d < 9; ++d)
            if (const int blob = Index.At(x + d % 3 - (d == 0 ? 0 : 1), y + d / 3 - (d == 0 ? 0 : 1)); blob >= 0)
                return blob;
        return -1;
    }

    // The middle of the longest stretch of the colour, in the frame: its
    // patches joined where they lie within MaxGap of each other, as a dashed
    // curve's do, and measured along the X axis. Short isolated pieces,
    // legend samples and text, are never the longest.
    std::optional<TPointF> LongestStretch(const TExtractArea& Area, double MaxGap) const
    {
        const std::size_t n = Search.Blobs.size();
        if (n == 0)
            return std::nullopt;
        std::vector<std::size_t> order(n);
        for (std::size_t i = 0; i < n; ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return FrameLeft[a] < FrameLeft[b]; });
        std::vector<std::size_t> group(n);
        for (std::size_t i = 0; i < n; ++i)
            group[i] = i;
        const auto root = [&](std::size_t i) {
            while (group[i] != i)
                i = group[i] = group[group[i]];
            return i;
        };
        std::vector<std::size_t> active;
        for (const std::size_t b : order) {
            std::erase_if(active, [&](std::size_t a) { return FrameRight[a] < FrameLeft[b] - MaxGap; });
            for (const std::size_t a : active)
                if (FrameTop[a] - MaxGap <= FrameBottom[b] && FrameTop[b] - MaxGap <= FrameBottom[a])
                    group[root(a)] = root(b);
            active.push_back(b);
        }
        // Each group's length along X, its pieces' spans merged.
        std::vector<double> length(n, 0);
        std::vector<double> reached(n, -INFINITY);
        for (const std::size_t b : order) {
            const std::size_t g = root(b);
            length[g] += std::max(0.0, FrameRight[b] + 1 - std::max(FrameLeft[b], reached[g]));
            reached[g] = std::max(reached[g], FrameRight[b] + 1);
        }
        const std::size_t best = std::size_t(std::max_element(length.begin(), length.end()) - length.begin());
        // The piece at the middle of its span: a dash of a dashed curve,
        // never a legend sample at its end.
        double from = INFINITY;
        double to = -INFINITY;
        for (std::size_t i = 0; i < n; ++i)
            if (root(i) == best) {
                from = std::min(from, FrameLeft[i]);
                to = std::max(to, FrameRight[i]);
            }
        const double centre = (from + to) / 2;
        const auto offCentre = [&](std::size_t i) {
            return std::max({0.0, FrameLeft[i] - centre, centre - FrameRight[i]});
        };
        std::optional<std::size_t> piece;
        for (std::size_t i = 0; i < n; ++i)
            if (root(i) == best && (!piece || offCentre(i) < offCentre(*piece) ||
                                    (offCentre(i) == offCentre(*piece) && Search.Blobs[i].Area > Search.Blobs[*piece].Area)))
                piece = i;
        const double middle = (FrameLeft[*piece] + FrameRight[*piece]) / 2;
        std::optional<TPointF> nearest;
        for (const TBlob::TRow& row : Search.Blobs[*piece].Rows)
            for (int x = row.First; x <= row.Last; ++x) {
                const TPointF f = Area.ToFrame({double(x), double(row.Y)});
                if (!nearest || std::abs(f.X - middle) < std::abs(nearest->X - middle))
                    nearest = f;
            }
        return nearest;
    }
};

// The run of a column at or next to a frame position.
std::optional<TRun> RunAt(const TColumns& Columns, const TPointF& At)
{
    const std::vector<TRun> runs = Columns.Near(At.X, At.Y - 2, At.Y + 2);
    if (runs.empty())
        return std::nullopt;
    return *std::min_element(runs.begin(), runs.end(), [&](const TRun& a, const TRun& b) {
        return std::abs(a.Centre - At.Y) < std::abs(b.Centre - At.Y);
    });
}

} // namespace

QString AreaProblem(const TPixelSource& Source, const TExtractArea& Area)
{
    if (!Source.IsValid())
        return QStringLiteral("There is no picture to extract from.");
    if (!Area.IsValid())
        return QStringLiteral("Mark the plotting area before extracting.");
    if (!(Area.FrameLeft() <= Area.FrameRight()))
        return QStringLiteral("The X limits leave nothing of the plotting area.");
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
    return ExtractCurve(Source, Area, AreaPalette(Source, Area), Colour, Tolerance, Step, Seed);
}

TExtraction ExtractCurve(const TPixelSource& Source, const TExtractArea& Area, const TPalette& Palette,
                         const TRgb& Colour, int Tolerance, double Step, const std::optional<TPointF>& Seed)
{
    TExtraction result;
    result.Problem = AreaProblem(Source, Area);
    if (!result.Problem.isEmpty())
        return result;
    if (!(Step >= 1)) {
        result.Problem = QStringLiteral("The step must be at least one pixel.");
        return result;
    }
    const TColourRule rule(Colour, Palette, Tolerance);
    result.Problem = rule.Problem();
    if (!result.Problem.isEmpty())
        return result;
    // Steps stay on the area's grid, but only where the picture is.
    const TExtractArea::TBounds box = Area.OverPicture(Source.Width(), Source.Height());
    if (box.Left > box.Right)
        return result;
    // Lines of the colour ruled across the area (a black curve's frame) and
    // legend samples are no part of any curve, and not of its colour's
    // pixels either.
    const TBlobSearch found = FindBlobs(Source, Area, rule);
    const TRuledLines ruled(found, Area, box);
    TExtractionReport& report = result.Report;
    TBlobSearch unruled = ruled.Empty() ? found : ruled.Without(found);
    // A legend's sample stands apart: the pieces of a curve broken by its
    // smoothed edges, which may be many, have another a pixel or two on.
    const TBlobIndex near(unruled);
    const auto apart = [&](const TBlob& blob, std::size_t self) {
        const TPatchBox box = BoxOf(blob.Rows);
        for (int y = box.Top - 2; y <= box.Bottom + 2; ++y)
            for (const int x : {box.Left - 2, box.Left - 1, box.Right + 1, box.Right + 2})
                if (const int other = near.At(x, y); other >= 0 && std::size_t(other) != self)
                    return false;
        return true;
    };
    std::vector<char> legends(unruled.Blobs.size(), 0);
    for (std::size_t i = 0; i < unruled.Blobs.size(); ++i) {
        const TBlob& blob = unruled.Blobs[i];
        const std::optional<TWordSeen> name =
            blob.Area >= 8 && apart(blob, i) ? IsLegendSample(Source, Area, rule, blob) : std::nullopt;
        legends[i] = name.has_value();
        if (name && report.LegendLeftOut++ == 0)
            report.LegendName = NameBox(Source, Area, rule, *name);
    }
    std::size_t next = 0;
    std::erase_if(unruled.Blobs, [&](const TBlob&) { return legends[next++] != 0; });
    MeasurePatches(unruled);
    const TPieces pieces(std::move(unruled), Area);
    report.ColourPixels = pieces.Search.Pixels;
    // Steps keep to the area's grid whatever the limits.
    const double left = std::min(Area.Rect.Left, Area.Rect.Right);
    const long long firstStep = (long long)std::ceil((box.Left - left) / Step);
    const long long lastStep = (long long)std::floor((box.Right - left) / Step);
    report.Steps = std::max(0LL, lastStep - firstStep + 1);
    TTrace trace{left, int(std::ceil(box.Left - left)), int(std::floor(box.Right - left)), {}};
    if (trace.First > trace.Last || pieces.Search.Blobs.empty())
        return result;
    trace.Runs.resize(std::size_t(trace.Last - trace.First + 1));
    const TColumns reader(Source, Area, box, rule, ruled);
    const double columns = trace.Last - trace.First + 1;
    const int maxGap = int(std::min(std::max(3 * Step, 60.0), columns));

    // From where the user took the colour, or else from the middle of the
    // longest stretch of it; on the walk's nearest column.
    std::optional<TPointF> from;
    const auto startAt = [&](const std::optional<TPointF>& At) -> std::optional<TRun> {
        if (!At)
            return std::nullopt;
        from = TPointF{std::clamp(std::round(At->X - left), double(trace.First), double(trace.Last)) + left, At->Y};
        return RunAt(reader, *from);
    };
    std::optional<TRun> start = startAt(Seed ? std::optional<TPointF>(Area.ToFrame(*Seed)) : std::nullopt);
    if (!start)
        start = startAt(pieces.LongestStretch(Area, maxGap));
    if (!start)
        return result;
    const int startColumn = int(std::lround(from->X - left));
    trace.At(startColumn) = *start;
    for (const int direction : {1, -1}) {
        const TFollowed followed = Follow(reader, trace, *start, startColumn, direction, maxGap);
        report.Ambiguous += followed.Ambiguous;
        if (const std::optional<int> end = followed.End) {
            // The colour going on there, on a stretch a quarter of the area
            // wide, is a curve the walk would once have jumped to.
            for (const TRun& run : reader.All(trace.X(*end))) {
                const int blob = pieces.Near(Area.ToImage({run.X, run.Centre}));
                if (blob >= 0 && pieces.FrameRight[std::size_t(blob)] - pieces.FrameLeft[std::size_t(blob)] >=
                                     (box.Right - box.Left) / 4) {
                    ++report.JumpsRefused;
                    break;
                }
            }
        }
    }

    // A point each step, at the step's column or the nearest one within
    // half a step whose run is clear of other colours and crosses the whole
    // stroke: a column through the end of a dash or a dot cuts a sliver,
    // lighter than the columns beside it, whose middle is off the curve. A
    // sliver serves where nothing better is within reach. A stroke's cap
    // reaches about its width past the curve's end.
    const double width = StrokeWidth(trace);
    const int capReach = std::max(3, int(std::ceil(width)));
    const auto whole = [&](const TRun& Run) {
        const int column = int(std::lround(Run.X - left));
        bool nearGap = false;
        double heaviest = 0;
        for (int c = std::max(column - capReach, trace.First); c <= std::min(column + capReach, trace.Last); ++c) {
            if (const TRun* run = trace.Traced(c))
                heaviest = std::max(heaviest, run->Weight);
            else
                nearGap = true;
        }
        return !nearGap || Run.Weight >= 0.8 * heaviest;
    };
    // A speck the walk reached across a long gap at an end of the curve (a
    // tick's stub where the area begins) is no part of it.
    TrimLoneEnds(trace, report);
    // Where the curve ends inside the area, a step that finds only the
    // cap's slivers lies past the curve's end and gets no point.
    int firstTraced = trace.Last;
    int lastTraced = trace.First;
    for (int c = trace.First; c <= trace.Last; ++c)
        if (trace.At(c)) {
            firstTraced = std::min(firstTraced, c);
            lastTraced = std::max(lastTraced, c);
        }
    const auto inCap = [&](const TRun& Run) {
        const int column = int(std::lround(Run.X - left));
        return (column - firstTraced < capReach || lastTraced - column < capReach) && !whole(Run);
    };
    const int reach = int(std::min(std::floor((Step - 1) / 2), columns));
    for (long long k = firstStep; k <= lastStep; ++k) {
        const double stepX = left + double(k) * Step;
        std::optional<TRun> chosen;
        for (int d = 0; d <= 2 * reach && !(chosen && whole(*chosen)); ++d) {
            // 0, +1, -1, +2, -2, ...
            const double x = stepX + (d % 2 ? (d + 1) / 2 : -(d / 2));
            const TRun* found = trace.Traced(int(std::lround(x - left)));
            if (x < box.Left || x > box.Right || !found)
                continue;
            const TRun& traced = *found;
            TRun run = traced;
            if (x != traced.X) {
                const std::vector<TRun> runs = reader.Near(x, traced.First - 1, traced.Last + 1);
                if (runs.empty())
                    continue;
                run = *std::min_element(runs.begin(), runs.end(), [&](const TRun& a, const TRun& b) {
                    return std::abs(a.Centre - traced.Centre) < std::abs(b.Centre - traced.Centre);
                });
            }
            // Of slivers, the one reaching furthest into the stroke.
            if (!run.Blocked && (!chosen || whole(run) || run.Weight > chosen->Weight))
                chosen = run;
        }
        if (!chosen || inCap(*chosen))
            continue;
        TPointF at{chosen->X, chosen->Centre};
        // Where the stroke is thick; its course read on both sides, or near
        // the curve's end on the one side there is. Beside a gap within the
        // curve (a dash, a dot) the column's middle serves.
        const int column = int(std::lround(chosen->X - left));
        const int span = std::max(2, int(std::lround(width)));
        const TRun* before = trace.Traced(column - span);
        const TRun* after = trace.Traced(column + span);
        const bool ends = (!before && column - span < firstTraced) || (!after && column + span > lastTraced);
        if (width >= 4 && ((before && after) || ((before || after) && ends))) {
            const double from = before ? before->Centre : chosen->Centre;
            const double to = after ? after->Centre : chosen->Centre;
            at = AcrossStroke(Source, Area, rule, at, (to - from) / double((before ? span : 0) + (after ? span : 0)),
                              width);
        }
        result.Points.push_back(Area.ToImage(at));
    }
    report.Covered = (long long)result.Points.size();
    report.AlongRuled = std::count_if(result.Points.begin(), result.Points.end(),
                                      [&](const TPointF& p) { return ruled.Near(Area.ToFrame(p), 1.5); });

    // The pixels the walk passed along are what it explains; the patches it
    // never touched are pieces left out.
    std::vector<char> touched(pieces.Search.Blobs.size(), 0);
    for (const std::optional<TRun>& run : trace.Runs) {
        if (!run)
            continue;
        report.Explained += run->Length();
        for (const double y : {double(run->First), run->Centre, double(run->Last)})
            if (const int blob = pieces.Near(Area.ToImage({run->X, y})); blob >= 0)
                touched[std::size_t(blob)] = 1;
    }
    report.Explained = std::min(report.Explained, report.ColourPixels);
    for (std::size_t i = 0; i < touched.size(); ++i)
        if (!touched[i] && pieces.Search.Blobs[i].Area >= 3)
            ++report.PiecesLeftOut;
    return result;
}

#include "MarkerCentre.h"

#include <algorithm>
#include <utility>
#include <array>
#include <cmath>

TMarkerShape::TMarkerShape(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                           const std::vector<TBlob::TRow>& Rows)
{
    // A grid one pixel wider than the marker all round, for the edge ring.
    int left = Rows.front().First;
    int right = Rows.front().Last;
    int top = Rows.front().Y;
    int bottom = top;
    for (const TBlob::TRow& row : Rows) {
        left = std::min(left, row.First);
        right = std::max(right, row.Last);
        top = std::min(top, row.Y);
        bottom = std::max(bottom, row.Y);
    }
    FLeft = left - 1;
    FTop = top - 1;
    FWidth = right - left + 3;
    FHeight = bottom - top + 3;
    std::vector<char> inside(std::size_t(FWidth) * std::size_t(FHeight), 0);
    for (const TBlob::TRow& row : Rows)
        std::fill_n(inside.begin() + std::ptrdiff_t(row.Y - FTop) * FWidth + (row.First - FLeft),
                    row.Last - row.First + 1, 1);
    const auto isInside = [&](int i, int j) {
        return i >= 0 && j >= 0 && i < FWidth && j < FHeight && inside[std::size_t(j) * std::size_t(FWidth) + std::size_t(i)];
    };
    FWeights.assign(inside.size(), 0);
    for (int j = 0; j < FHeight; ++j) {
        const int y = FTop + j;
        if (y < 0 || y >= Source.Height())
            continue;
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        for (int i = 0; i < FWidth; ++i) {
            const int x = FLeft + i;
            if (x < span.First || x > span.Last)
                continue;
            const TRgb p = Source.At(x, y);
            double w = 0;
            if (isInside(i, j)) {
                w = TColourRule::MatchWeight(Rule.Share(p));
            } else if (!Rule.Matches(p)) {
                // A matching pixel outside is a cut line or another marker.
                bool edge = false;
                for (int dy = -1; dy <= 1 && !edge; ++dy)
                    for (int dx = -1; dx <= 1 && !edge; ++dx)
                        edge = isInside(i + dx, j + dy);
                if (edge)
                    w = std::max(Rule.Share(p), 0.0);
            }
            FWeights[std::size_t(j) * std::size_t(FWidth) + std::size_t(i)] = w;
        }
    }
}

TPointF TMarkerShape::Centroid() const
{
    double sx = 0;
    double sy = 0;
    double sw = 0;
    for (int j = 0; j < FHeight; ++j)
        for (int i = 0; i < FWidth; ++i) {
            const double w = Weight(i, j);
            sx += w * (FLeft + i);
            sy += w * (FTop + j);
            sw += w;
        }
    return {sx / sw, sy / sw};
}

std::optional<std::pair<double, double>> TMarkerShape::Stretch(int Line, bool Down) const
{
    const int length = Down ? FHeight : FWidth;
    const int lines = Down ? FWidth : FHeight;
    if (Line < 0 || Line >= lines)
        return std::nullopt;
    const auto at = [&](int k) { return std::min(1.0, Down ? Weight(Line, k) : Weight(k, Line)); };
    int first = 0;
    while (first < length && at(first) <= 0)
        ++first;
    int last = length - 1;
    while (last >= first && at(last) <= 0)
        --last;
    if (first > last)
        return std::nullopt;
    // A pixel covered by a share w from the inside has its edge w in.
    const double origin = Down ? FTop : FLeft;
    return std::pair{origin + first + 0.5 - at(first), origin + last - 0.5 + at(last)};
}

std::optional<double> TMarkerShape::TriangleBox(double Centroid, bool Down) const
{
    // The shape's breadth line by line across the axis.
    const int length = Down ? FHeight : FWidth;
    std::vector<double> sums(std::size_t(length), 0);
    for (int j = 0; j < FHeight; ++j)
        for (int i = 0; i < FWidth; ++i)
            sums[std::size_t(Down ? j : i)] += std::min(1.0, Weight(i, j));
    int first = 0;
    while (first < length && sums[std::size_t(first)] <= 0)
        ++first;
    int last = length - 1;
    while (last > first && sums[std::size_t(last)] <= 0)
        --last;
    if (last - first < 2)
        return std::nullopt;
    const double broadest = *std::max_element(sums.begin(), sums.end());
    // The base is the end whose next line is about as broad as the shape;
    // its edge lies as far into its end line as that line is covered.
    const bool baseFirst = sums[std::size_t(first + 1)] > sums[std::size_t(last - 1)];
    const int end = baseFirst ? first : last;
    const double covered = std::min(1.0, sums[std::size_t(end)] / std::max(broadest, 1e-9));
    const double base = (Down ? FTop : FLeft) + (baseFirst ? end + 0.5 - covered : end - 0.5 + covered);
    // A triangle's centroid is a third of its height from its base.
    return base + 1.5 * (Centroid - base);
}

TPointF TMarkerShape::BoxCentre() const
{
    return Anchor(false);
}

TPointF TMarkerShape::ShapeAnchor(bool Equilateral) const
{
    return Anchor(Equilateral);
}

std::optional<double> TMarkerShape::Widening() const
{
    const std::optional<std::pair<bool, TCut>> lopsided = LopsidedCut();
    return lopsided ? Widening(lopsided->first, lopsided->second.From, lopsided->second.To) : std::nullopt;
}

bool TMarkerShape::Lopsided() const
{
    return LopsidedCut().has_value();
}

std::optional<std::pair<bool, TMarkerShape::TCut>> TMarkerShape::LopsidedCut() const
{
    for (const bool down : {true, false})
        if (const std::optional<TCut> cut = CutThroughCentroid(down); cut && cut->Lopsided)
            return std::pair{down, *cut};
    return std::nullopt;
}

std::optional<TMarkerShape::TCut> TMarkerShape::CutThroughCentroid(bool Down) const
{
    const TPointF centroid = Centroid();
    const double along = Down ? centroid.X - FLeft : centroid.Y - FTop;
    const int line = int(std::floor(along));
    const double t = along - line;
    const auto a = Stretch(line, Down);
    const auto b = Stretch(line + 1, Down);
    if (!a && !b)
        return std::nullopt;
    const auto mix = [&](double TA, double TB) { return a && b ? (1 - t) * TA + t * TB : a ? TA : TB; };
    TCut cut;
    cut.From = mix(a ? a->first : 0, b ? b->first : 0);
    cut.To = mix(a ? a->second : 0, b ? b->second : 0);
    cut.Centroid = Down ? centroid.Y : centroid.X;
    // Only a shape plainly lopsided along this axis moves off its
    // centroid: a triangle's box centre lies a sixth of its height away.
    cut.Lopsided = std::abs((cut.From + cut.To) / 2 - cut.Centroid) >= 0.08 * (Down ? FHeight - 2 : FWidth - 2);
    return cut;
}

std::optional<double> TMarkerShape::Widening(bool Down, double From, double To) const
{
    // Each side's edge, line by line across the axis, in the middle of the
    // shape's height, clear of a sharp tip's faint pixels and of the base.
    const double origin = Down ? FTop : FLeft;
    std::vector<std::array<double, 3>> edges;
    for (int line = 0; line < (Down ? FHeight : FWidth); ++line) {
        const double at = origin + line;
        if (at < From + 0.25 * (To - From) || at > From + 0.75 * (To - From))
            continue;
        if (const auto stretch = Stretch(line, !Down))
            edges.push_back({at, stretch->first, stretch->second});
    }
    // Each side's slope, the median of those between pairs of lines.
    double sides[2] = {0, 0};
    for (const std::size_t side : {1, 2}) {
        std::vector<double> slopes;
        for (std::size_t i = 0; i < edges.size(); ++i)
            for (std::size_t j = i + 1; j < edges.size(); ++j)
                slopes.push_back(std::abs((edges[j][side] - edges[i][side]) / (edges[j][0] - edges[i][0])));
        if (slopes.empty())
            return std::nullopt;
        std::nth_element(slopes.begin(), slopes.begin() + std::ptrdiff_t(slopes.size() / 2), slopes.end());
        sides[side - 1] = slopes[slopes.size() / 2];
    }
    // A line's stub beside one side makes the two disagree; a scan's grain
    // and blur, by up to 5 % of the two.
    if (std::abs(sides[0] - sides[1]) > 0.1 * (sides[0] + sides[1]))
        return std::nullopt;
    return sides[0] + sides[1];
}

TPointF TMarkerShape::Anchor(bool Equilateral) const
{
    TPointF box = Centroid();
    for (const bool down : {true, false}) {
        const std::optional<TCut> cut = CutThroughCentroid(down);
        if (!cut || !cut->Lopsided)
            continue;
        const double middle = (cut->From + cut->To) / 2;
        double& value = down ? box.Y : box.X;
        // An equilateral triangle, or a flatter one, stands on its centroid,
        // a third of its height from its base (the end nearer the centroid
        // of its pixels, filled or outlined).
        if (Equilateral) {
            const bool baseFirst = value < middle;
            const double base = baseFirst ? cut->From : cut->To;
            value = base + ((baseFirst ? cut->To : cut->From) - base) / 3;
            continue;
        }
        // Its flat base gives the better answer, unless a line's stub or
        // noise made a base of something else.
        const double span = down ? FHeight - 2 : FWidth - 2;
        const std::optional<double> triangle = TriangleBox(value, down);
        value = triangle && std::abs(*triangle - middle) < 0.1 * span ? *triangle : middle;
    }
    return box;
}

namespace {

// Grows Box over the 8-connected pixels reached from those on Stack, each
// pushed once: Take says whether a pixel is of the patch and not yet
// taken, and takes it.
template <typename TBox, typename TTake>
void Grow(TBox& Box, std::vector<std::pair<int, int>> Stack, const TTake& Take)
{
    while (!Stack.empty()) {
        const auto [x, y] = Stack.back();
        Stack.pop_back();
        Box = {std::min(Box.Left, x), std::min(Box.Top, y), std::max(Box.Right, x), std::max(Box.Bottom, y)};
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (Take(x + dx, y + dy))
                    Stack.emplace_back(x + dx, y + dy);
    }
}

// The largest height a legend's letters are taken to have.
constexpr int MostEm = 128;

// Whether a pixel is of a name's letters: dark grey or black, and not the
// colour sought.
bool Lettered(const TPixelSource& Source, const TColourRule& Rule, int X, int Y)
{
    const TRgb p = Source.At(X, Y);
    return p.R + p.G + p.B < 3 * 165 && ColourDistance(p, {p.G, p.G, p.G}) < 40 && !Rule.Matches(p);
}

// The box of a word in the columns From to To (either order), rows Top to
// Bottom: along some row four strokes or more of dark grey or black, as
// legends letter their names (whose letters may touch, so that columns do
// not part them), none as broad as Breadth; Em about the letters' height.
// The search never leaves the area, so that a chart's tick labels are not
// read as a name.
std::optional<TWordSeen> WordBeside(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                                    int Top, int Bottom, int From, int To, int Breadth, int Em)
{
    const int step = From <= To ? 1 : -1;
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    for (int y = std::max(rows.First, Top); y <= std::min(rows.Last, Bottom); ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        int strokes = 0;
        int run = 0;
        bool broad = false;
        for (int x = From; x != To + step && x >= span.First && x <= span.Last; x += step) {
            const bool ink = Lettered(Source, Rule, x, y);
            strokes += ink && run == 0;
            run = ink ? run + 1 : 0;
            broad = broad || run >= Breadth;
        }
        if (strokes >= 4 && !broad)
            return TWordSeen{(Top + Bottom) / 2, Em, From, To};
    }
    return std::nullopt;
}

// The box of a word within Reach of the columns Left to Right, on either
// side, past a gap of Gap.
std::optional<TWordSeen> NamedBeside(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                                     int Top, int Bottom, int Left, int Right, int Gap, int Reach, int Breadth,
                                     int Em)
{
    const int last = Source.Width() - 1;
    if (std::optional<TWordSeen> right = WordBeside(Source, Area, Rule, Top, Bottom, std::min(last, Right + Gap),
                                                std::min(last, Right + Reach), Breadth, Em))
        return right;
    return WordBeside(Source, Area, Rule, Top, Bottom, std::max(0, Left - Gap), std::max(0, Left - Reach), Breadth,
                      Em);
}

} // namespace

// The name's letters whole, each found from the one before across a gap
// narrower than their height (the words of a name apart, not the next
// column of a legend), and the lines above and below left out as they touch
// no letter of it. Rules (a legend box's sides, the frame) are no letters,
// though a letter may touch one.
TRect NameBox(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule, const TWordSeen& Seen)
{
    const int middle = Seen.Middle;
    const int from = Seen.From;
    // Kept to a size a legend's letters have, so that a huge sample costs
    // no huge search.
    const int em = std::min(Seen.Em, MostEm);
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    const int first = std::max(rows.First, middle - 2 * em);
    const int last = std::min(rows.Last, middle + 2 * em);
    const int step = from <= Seen.To ? 1 : -1;
    const int left = std::max(0, step > 0 ? from : from - 30 * em);
    const int right = std::min(Source.Width() - 1, step > 0 ? from + 30 * em : from);
    const TRect none{from, middle, from, middle};
    if (last < first || right < left)
        return none;
    const int width = right - left + 1;
    const int height = last - first + 1;
    // 1 for a letter's pixel, 2 once taken into a letter.
    std::vector<char> mask(std::size_t(width) * std::size_t(height), 0);
    const auto at = [&](int x, int y) -> char& {
        return mask[std::size_t(y - first) * std::size_t(width) + std::size_t(x - left)];
    };
    for (int y = first; y <= last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        for (int x = std::max(left, span.First); x <= std::min(right, span.Last); ++x)
            at(x, y) = Lettered(Source, Rule, x, y);
    }
    // Runs longer than two letters' height are rules, across or down.
    const int rule = 2 * em;
    std::vector<char> ruled(mask.size(), 0);
    const auto rules = [&](int Lines, int Length, const auto& Index) {
        for (int line = 0; line < Lines; ++line)
            for (int i = 0, run = 0; i <= Length; ++i) {
                if (i < Length && mask[Index(line, i)]) {
                    ++run;
                    continue;
                }
                for (int k = 1; run >= rule && k <= run; ++k)
                    ruled[Index(line, i - k)] = 1;
                run = 0;
            }
    };
    rules(height, width, [&](int Row, int I) { return std::size_t(Row) * std::size_t(width) + std::size_t(I); });
    rules(width, height, [&](int Column, int I) { return std::size_t(I) * std::size_t(width) + std::size_t(Column); });
    for (std::size_t k = 0; k < mask.size(); ++k)
        mask[k] = mask[k] && !ruled[k];
    // One letter's pixels from a seed.
    const auto letter = [&](int x, int y) {
        TRect box{x, y, x, y};
        at(x, y) = 2;
        Grow(box, {{x, y}}, [&](int nx, int ny) {
            if (nx < left || nx > right || ny < first || ny > last || at(nx, ny) != 1)
                return false;
            at(nx, ny) = 2;
            return true;
        });
        return box;
    };
    std::optional<TRect> word;
    // The first letter as far as the word was seen.
    int gap = std::abs(Seen.To - from);
    // Letters are looked for across the rows of those found, once there are.
    for (int x = from, since = 0; x >= left && x <= right && since <= gap; x += step, ++since)
        for (int y = std::max(word ? word->Top : middle - em / 4, first);
             y <= std::min(word ? word->Bottom : middle + em / 4, last); ++y) {
            if (at(x, y) != 1)
                continue;
            const TRect found = letter(x, y);
            word = word ? TRect{std::min(word->Left, found.Left), std::min(word->Top, found.Top),
                                std::max(word->Right, found.Right), std::max(word->Bottom, found.Bottom)}
                        : found;
            gap = std::max(2, 3 * (word->Bottom - word->Top + 1) / 4);
            // On from the letters' far side.
            since = step > 0 ? x - word->Right : word->Left - x;
        }
    return word.value_or(none);
}

// The least breadth a marker is taken to have where what matches of it is
// smaller, as a thin + in a scan may be.
constexpr int SmallestMarker = 8;
// The least share of the colour a pixel of a marker's arm holds, blurred
// over the paper by a scan.
constexpr double FaintArm = 0.25;

TPatchBox WholeMarker(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                      const TPatchBox& Box)
{
    const int size = std::max({Box.Right - Box.Left + 1, Box.Bottom - Box.Top + 1, SmallestMarker});
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    const int top = std::max(rows.First, Box.Top - 2 * size);
    const int bottom = std::min(rows.Last, Box.Bottom + 2 * size);
    const int left = std::max(0, Box.Left - 2 * size);
    const int width = std::min(Source.Width() - 1, Box.Right + 2 * size) - left + 1;
    if (top > bottom || width <= 0)
        return Box;
    std::vector<char> seen(std::size_t(width) * std::size_t(bottom - top + 1), 0);
    const auto index = [&](int x, int y) { return std::size_t(y - top) * std::size_t(width) + std::size_t(x - left); };
    const auto matches = [&](int x, int y) {
        if (x < left || x >= left + width || y < top || y > bottom || seen[index(x, y)])
            return false;
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        const TRgb p = Source.At(x, y);
        return x >= span.First && x <= span.Last &&
               (Rule.Matches(p) || (Rule.Share(p) >= FaintArm && !Rule.Claimed(p)));
    };
    const auto take = [&](int x, int y) {
        if (!matches(x, y))
            return false;
        seen[index(x, y)] = 1;
        return true;
    };
    TPatchBox whole = Box;
    std::vector<std::pair<int, int>> stack;
    for (int y = std::max(top, Box.Top); y <= std::min(bottom, Box.Bottom); ++y)
        for (int x = Box.Left; x <= Box.Right; ++x)
            if (take(x, y))
                stack.emplace_back(x, y);
    Grow(whole, std::move(stack), take);
    return whole;
}

std::optional<TWordSeen> IsLegendSwatch(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                                        const std::vector<TBlob::TRow>& Rows)
{
    const TPatchBox box = WholeMarker(Source, Area, Rule, BoxOf(Rows));
    const int breadth = std::max(box.Right - box.Left + 1, SmallestMarker);
    // A band a little taller than the marker, as a name's letters may be.
    const int extra = std::max(1, (box.Bottom - box.Top) / 4);
    return NamedBeside(Source, Area, Rule, box.Top - extra, box.Bottom + extra, box.Left, box.Right,
                       std::max(2, breadth / 4), 6 * breadth, breadth, std::max(8, box.Bottom - box.Top + 1));
}

std::optional<TWordSeen> IsLegendSample(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                                        const TBlob& Blob)
{
    const TPatchBox box = BoxOf(Blob.Rows);
    const int length = box.Right - box.Left + 1;
    const int thickness = box.Bottom - box.Top + 1;
    const double areaWidth = std::abs(Area.Rect.Right - Area.Rect.Left);
    // A level stroke a fraction of the area wide; a marker on it or alone is
    // a marker's sample, and small.
    if (length > 0.2 * areaWidth)
        return std::nullopt;
    if (3 * thickness > length)
        return std::max(length, thickness) <= 0.05 * areaWidth ? IsLegendSwatch(Source, Area, Rule, Blob.Rows)
                                                                : std::nullopt;
    const int middle = (box.Top + box.Bottom) / 2;
    const int breadth = std::max(12, length / 3);
    // A sample line is two or three letters' height long.
    return NamedBeside(Source, Area, Rule, middle - std::max(2, thickness), middle + std::max(2, thickness), box.Left,
                       box.Right, 2, 6 * breadth, breadth, std::max(8, length / 3));
}

std::vector<std::vector<TBlob::TRow>> SplitPatch(const TBlob& Patch, int Count)
{
    // Each pixel goes to the nearest of Count centres, which start spread
    // along the patch's longer side and then move to their pixels' mean.
    int left = Patch.Rows.front().First;
    int right = Patch.Rows.front().Last;
    const int top = Patch.Rows.front().Y;
    const int bottom = Patch.Rows.back().Y;
    for (const TBlob::TRow& row : Patch.Rows) {
        left = std::min(left, row.First);
        right = std::max(right, row.Last);
    }
    std::vector<TPointF> centres;
    for (int k = 0; k < Count; ++k) {
        const double t = (k + 0.5) / Count;
        centres.push_back(right - left >= bottom - top ? TPointF{left + t * (right - left), (top + bottom) / 2.0}
                                                       : TPointF{(left + right) / 2.0, top + t * (bottom - top)});
    }
    const auto nearest = [&](int x, int y) {
        std::size_t best = 0;
        for (std::size_t k = 1; k < centres.size(); ++k)
            if (std::hypot(x - centres[k].X, y - centres[k].Y) < std::hypot(x - centres[best].X, y - centres[best].Y))
                best = k;
        return best;
    };
    for (int round = 0; round < 10; ++round) {
        std::vector<TPointF> sums(centres.size());
        std::vector<double> counts(centres.size(), 0);
        for (const TBlob::TRow& row : Patch.Rows)
            for (int x = row.First; x <= row.Last; ++x) {
                const std::size_t k = nearest(x, row.Y);
                sums[k].X += x;
                sums[k].Y += row.Y;
                counts[k] += 1;
            }
        for (std::size_t k = 0; k < centres.size(); ++k)
            if (counts[k] > 0)
                centres[k] = {sums[k].X / counts[k], sums[k].Y / counts[k]};
    }
    std::vector<std::vector<TBlob::TRow>> groups(centres.size());
    for (const TBlob::TRow& row : Patch.Rows) {
        int x = row.First;
        while (x <= row.Last) {
            const std::size_t k = nearest(x, row.Y);
            int last = x;
            while (last + 1 <= row.Last && nearest(last + 1, row.Y) == k)
                ++last;
            groups[k].push_back({row.Y, x, last});
            x = last + 1;
        }
    }
    std::erase_if(groups, [](const std::vector<TBlob::TRow>& g) { return g.empty(); });
    return groups;
}

#include "MarkerCentre.h"

#include <algorithm>
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

std::optional<double> TMarkerShape::Middle(int Line, bool Down) const
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
    const double from = first + 0.5 - at(first);
    const double to = last - 0.5 + at(last);
    return (Down ? FTop : FLeft) + (from + to) / 2;
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
    const TPointF centroid = Centroid();
    TPointF box = centroid;
    for (const bool down : {true, false}) {
        const double along = down ? centroid.X - FLeft : centroid.Y - FTop;
        const int line = int(std::floor(along));
        const double t = along - line;
        const std::optional<double> a = Middle(line, down);
        const std::optional<double> b = Middle(line + 1, down);
        if (!a && !b)
            continue;
        const double middle = a && b ? (1 - t) * *a + t * *b : a ? *a : *b;
        const double span = down ? FHeight - 2 : FWidth - 2;
        double& value = down ? box.Y : box.X;
        // Only a shape plainly lopsided along this axis moves off its
        // centroid: a triangle's box centre lies a sixth of its height away.
        // Its flat base gives the better answer, unless a line's stub or
        // noise made a base of something else.
        if (std::abs(middle - value) >= 0.08 * span) {
            const std::optional<double> triangle = TriangleBox(value, down);
            value = triangle && std::abs(*triangle - middle) < 0.1 * span ? *triangle : middle;
        }
    }
    return box;
}

bool IsLegendSwatch(const TPixelSource& Source, const TColourRule& Rule, const std::vector<TBlob::TRow>& Rows)
{
    int left = Rows.front().First;
    int right = Rows.front().Last;
    for (const TBlob::TRow& row : Rows) {
        left = std::min(left, row.First);
        right = std::max(right, row.Last);
    }
    const int breadth = right - left + 1;
    const int top = Rows.front().Y;
    const int bottom = Rows.back().Y;
    const int from = right + std::max(2, breadth / 2);
    const int to = std::min(Source.Width() - 1, right + 6 * breadth);
    // Columns holding dark grey or black, as legends letter their names,
    // and the separate groups they make.
    int strokes = 0;
    int inked = 0;
    bool previous = false;
    for (int x = from; x <= to; ++x) {
        bool ink = false;
        for (int y = std::max(0, top); y <= std::min(Source.Height() - 1, bottom) && !ink; ++y) {
            const TRgb p = Source.At(x, y);
            ink = p.R + p.G + p.B < 3 * 110 && ColourDistance(p, {p.G, p.G, p.G}) < 40 && !Rule.Matches(p);
        }
        inked += ink;
        strokes += ink && !previous;
        previous = ink;
    }
    return strokes >= 3 && inked >= breadth;
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

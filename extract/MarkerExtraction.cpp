#include "MarkerExtraction.h"

#include <algorithm>
#include <numeric>

namespace {

int Find(std::vector<int>& parent, int i)
{
    while (parent[std::size_t(i)] != i) {
        parent[std::size_t(i)] = parent[std::size_t(parent[std::size_t(i)])];
        i = parent[std::size_t(i)];
    }
    return i;
}

struct TLabelledRun {
    TBlob::TRow Row;
    int Label;
};

} // namespace

TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance)
{
    if (const QString problem = AreaProblem(Source, Area); !problem.isEmpty()) {
        TBlobSearch search;
        search.Problem = problem;
        return search;
    }
    const TPalette palette = AreaPalette(Source, Area);
    const TColourRule rule(Colour, palette, Tolerance);
    if (const QString problem = rule.Problem(); !problem.isEmpty()) {
        TBlobSearch search;
        search.Palette = palette;
        search.Problem = problem;
        return search;
    }
    TBlobSearch search = FindBlobs(Source, Area, rule);
    search.Palette = palette;
    return search;
}

TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule)
{
    TBlobSearch search;
    std::vector<TLabelledRun> runs;
    std::vector<int> parent;
    std::size_t previousFirst = 0;
    std::size_t previousEnd = 0;
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    std::vector<std::uint8_t> matches;
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        const std::size_t rowFirst = runs.size();
        // Both rows' runs go left to right, so the row above is walked once.
        std::size_t scan = previousFirst;
        MatchRow(Source, y, span.First, span.Last, Rule, matches);
        const auto matched = [&](int x) { return matches[std::size_t(x - span.First)] != 0; };
        int x = span.First;
        while (x <= span.Last) {
            if (!matched(x)) {
                ++x;
                continue;
            }
            const int first = x;
            while (x + 1 <= span.Last && matched(x + 1))
                ++x;
            const int label = int(parent.size());
            parent.push_back(label);
            // Runs of the row above that touch this one, corners included.
            while (scan < previousEnd && runs[scan].Row.Last < first - 1)
                ++scan;
            for (std::size_t i = scan; i < previousEnd && runs[i].Row.First <= x + 1; ++i) {
                const int a = Find(parent, runs[i].Label);
                const int b = Find(parent, label);
                parent[std::size_t(std::max(a, b))] = std::min(a, b);
            }
            runs.push_back({{y, first, x}, label});
            ++x;
        }
        previousFirst = rowFirst;
        previousEnd = runs.size();
    }
    std::vector<int> blobOf(parent.size(), -1);
    for (const TLabelledRun& run : runs) {
        const int root = Find(parent, run.Label);
        if (blobOf[std::size_t(root)] < 0) {
            blobOf[std::size_t(root)] = int(search.Blobs.size());
            search.Blobs.emplace_back();
        }
        TBlob& blob = search.Blobs[std::size_t(blobOf[std::size_t(root)])];
        blob.Rows.push_back(run.Row);
        blob.Area += run.Row.Last - run.Row.First + 1;
    }
    std::vector<long long> sizes;
    sizes.reserve(search.Blobs.size());
    for (const TBlob& blob : search.Blobs)
        sizes.push_back(blob.Area);
    std::sort(sizes.begin(), sizes.end());
    search.Pixels = std::accumulate(sizes.begin(), sizes.end(), 0LL);
    long long counted = 0;
    for (const long long size : sizes) {
        counted += size;
        if (2 * counted >= search.Pixels) {
            search.Typical = size;
            break;
        }
    }
    return search;
}

TBlobIndex::TBlobIndex(const TBlobSearch& Search)
{
    if (Search.Blobs.empty())
        return;
    int first = Search.Blobs.front().Rows.front().Y;
    int last = first;
    for (const TBlob& blob : Search.Blobs) {
        first = std::min(first, blob.Rows.front().Y);
        last = std::max(last, blob.Rows.back().Y);
    }
    FFirstRow = first;
    FRows.resize(std::size_t(last - first + 1));
    for (std::size_t i = 0; i < Search.Blobs.size(); ++i)
        for (const TBlob::TRow& row : Search.Blobs[i].Rows)
            FRows[std::size_t(row.Y - first)].push_back({row.First, row.Last, int(i)});
    for (std::vector<TEntry>& row : FRows)
        std::sort(row.begin(), row.end(), [](const TEntry& a, const TEntry& b) { return a.First < b.First; });
}

int TBlobIndex::At(int X, int Y) const
{
    if (Y < FFirstRow || Y >= FFirstRow + int(FRows.size()))
        return -1;
    const std::vector<TEntry>& row = FRows[std::size_t(Y - FFirstRow)];
    const auto after = std::upper_bound(row.begin(), row.end(), X, [](int x, const TEntry& e) { return x < e.First; });
    if (after == row.begin())
        return -1;
    const TEntry& e = *(after - 1);
    return X <= e.Last ? e.Blob : -1;
}

TSizeRange DefaultSizeRange(const TBlobSearch& Search)
{
    return {std::max(1LL, Search.Typical / 3), Search.Typical * 3};
}

TExtraction MarkerCentres(const TPixelSource& Source, const TExtractArea& Area, const TBlobSearch& Search,
                          const TRgb& Colour, int Tolerance, const TSizeRange& Range)
{
    TExtraction result;
    result.Problem = Search.Problem;
    if (!result.Problem.isEmpty())
        return result;
    const TColourRule rule(Colour, Search.Palette, Tolerance);
    result.Report.ColourPixels = Search.Pixels;
    for (const TBlob& blob : Search.Blobs) {
        if (blob.Area < Range.Min || blob.Area > Range.Max) {
            ++result.Report.PiecesLeftOut;
            continue;
        }
        result.Report.Explained += blob.Area;
        // The blob's pixels on a grid one pixel wider than it all round, so
        // that the edge pixels next to it are found.
        int left = blob.Rows.front().First;
        int right = blob.Rows.front().Last;
        const int top = blob.Rows.front().Y - 1;
        for (const TBlob::TRow& row : blob.Rows) {
            left = std::min(left, row.First);
            right = std::max(right, row.Last);
        }
        left -= 1;
        right += 1;
        const int width = right - left + 1;
        const int height = blob.Rows.back().Y + 1 - top + 1;
        std::vector<char> inside(std::size_t(width) * std::size_t(height), 0);
        for (const TBlob::TRow& row : blob.Rows)
            std::fill_n(inside.begin() + std::ptrdiff_t(row.Y - top) * width + (row.First - left),
                        row.Last - row.First + 1, 1);
        auto isInside = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < width && y < height && inside[std::size_t(y) * std::size_t(width) + std::size_t(x)];
        };
        double sx = 0;
        double sy = 0;
        double sw = 0;
        for (int j = 0; j < height; ++j) {
            const int y = top + j;
            if (y < 0 || y >= Source.Height())
                continue;
            const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
            for (int i = 0; i < width; ++i) {
                const int x = left + i;
                if (x < span.First || x > span.Last)
                    continue;
                double w = 0;
                if (isInside(i, j)) {
                    w = TColourRule::MatchWeight(rule.Share(Source.At(x, y)));
                } else {
                    bool edge = false;
                    for (int dy = -1; dy <= 1 && !edge; ++dy)
                        for (int dx = -1; dx <= 1 && !edge; ++dx)
                            edge = isInside(i + dx, j + dy);
                    if (edge)
                        w = std::max(rule.Share(Source.At(x, y)), 0.0);
                }
                sx += w * x;
                sy += w * y;
                sw += w;
            }
        }
        result.Points.push_back({sx / sw, sy / sw});
    }
    std::stable_sort(result.Points.begin(), result.Points.end(), [&Area](const TPointF& a, const TPointF& b) {
        return Area.ToFrame(a).X < Area.ToFrame(b).X;
    });
    return result;
}

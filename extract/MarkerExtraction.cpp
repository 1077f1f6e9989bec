#include "MarkerExtraction.h"

#include "MarkerCentre.h"
#include "MarkerPatches.h"

#include <algorithm>
#include <cmath>
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

// The larger side of a patch's box.
int Span(const TBlob& Blob)
{
    const TPatchBox box = BoxOf(Blob.Rows);
    return std::max(box.Width(), box.Height());
}

} // namespace

TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance)
{
    return FindBlobs(Source, Area, AreaPalette(Source, Area), Colour, Tolerance);
}

TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TPalette& Palette,
                      const TRgb& Colour, int Tolerance)
{
    if (const QString problem = AreaProblem(Source, Area); !problem.isEmpty()) {
        TBlobSearch search;
        search.Problem = problem;
        return search;
    }
    const TColourRule rule(Colour, Palette, Tolerance);
    if (const QString problem = rule.Problem(); !problem.isEmpty()) {
        TBlobSearch search;
        search.Palette = Palette;
        search.Problem = problem;
        return search;
    }
    TBlobSearch search = FindBlobs(Source, Area, rule);
    // Markers outlined by a hairline fall apart where it runs between
    // pixels; with its faint pixels they are whole outlines again.
    if (Fragmented(search))
        if (TBlobSearch faint = FindBlobs(Source, Area, rule, true); Outlined(faint))
            search = std::move(faint);
    search.Palette = Palette;
    return search;
}

TPatchBox BoxOf(const std::vector<TBlob::TRow>& Rows)
{
    TPatchBox box{Rows.front().First, Rows.front().Y, Rows.front().Last, Rows.front().Y};
    for (const TBlob::TRow& row : Rows) {
        box.Left = std::min(box.Left, row.First);
        box.Right = std::max(box.Right, row.Last);
        box.Top = std::min(box.Top, row.Y);
        box.Bottom = std::max(box.Bottom, row.Y);
    }
    return box;
}

TExtractArea::TBounds FrameBoundsOf(const TBlob& Blob, const TExtractArea& Area)
{
    TExtractArea::TBounds bounds{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const TBlob::TRow& row : Blob.Rows)
        for (const int x : {row.First, row.Last}) {
            const TPointF f = Area.ToFrame({double(x), double(row.Y)});
            bounds.Left = std::min(bounds.Left, f.X);
            bounds.Right = std::max(bounds.Right, f.X);
            bounds.Top = std::min(bounds.Top, f.Y);
            bounds.Bottom = std::max(bounds.Bottom, f.Y);
        }
    return bounds;
}

std::vector<TBlob> Patches(const std::vector<TBlob::TRow>& Rows)
{
    std::vector<int> parent(Rows.size());
    std::iota(parent.begin(), parent.end(), 0);
    // The runs of the row above, when it holds any.
    std::size_t previousFirst = 0;
    std::size_t previousEnd = 0;
    std::size_t i = 0;
    while (i < Rows.size()) {
        const int y = Rows[i].Y;
        const std::size_t rowFirst = i;
        const bool above = previousEnd > previousFirst && Rows[previousFirst].Y == y - 1;
        // Both rows' runs go left to right, so the row above is walked once.
        std::size_t scan = previousFirst;
        for (; i < Rows.size() && Rows[i].Y == y; ++i) {
            if (!above)
                continue;
            // Runs of the row above that touch this one, corners included.
            while (scan < previousEnd && Rows[scan].Last < Rows[i].First - 1)
                ++scan;
            for (std::size_t k = scan; k < previousEnd && Rows[k].First <= Rows[i].Last + 1; ++k) {
                const int a = Find(parent, int(k));
                const int b = Find(parent, int(i));
                parent[std::size_t(std::max(a, b))] = std::min(a, b);
            }
        }
        previousFirst = rowFirst;
        previousEnd = i;
    }
    std::vector<TBlob> blobs;
    std::vector<int> blobOf(Rows.size(), -1);
    for (std::size_t k = 0; k < Rows.size(); ++k) {
        const int root = Find(parent, int(k));
        if (blobOf[std::size_t(root)] < 0) {
            blobOf[std::size_t(root)] = int(blobs.size());
            blobs.emplace_back();
        }
        TBlob& blob = blobs[std::size_t(blobOf[std::size_t(root)])];
        blob.Rows.push_back(Rows[k]);
        blob.Area += Rows[k].Last - Rows[k].First + 1;
    }
    return blobs;
}

void MeasurePatches(TBlobSearch& Search)
{
    std::vector<long long> sizes;
    sizes.reserve(Search.Blobs.size());
    for (const TBlob& blob : Search.Blobs)
        sizes.push_back(blob.Area);
    std::sort(sizes.begin(), sizes.end());
    Search.Pixels = std::accumulate(sizes.begin(), sizes.end(), 0LL);
    Search.Typical = 0;
    long long counted = 0;
    for (const long long size : sizes) {
        counted += size;
        if (2 * counted >= Search.Pixels) {
            Search.Typical = size;
            break;
        }
    }
}

TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule, bool Faint)
{
    TBlobSearch search;
    std::vector<TBlob::TRow> runs;
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    std::vector<std::uint8_t> matches;
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        MatchRow(Source, y, span.First, span.Last, Rule, matches);
        if (Faint)
            for (int x = span.First; x <= span.Last; ++x)
                if (std::uint8_t& m = matches[std::size_t(x - span.First)]; !m) {
                    const TRgb p = Source.At(x, y);
                    m = Rule.Share(p) >= FaintShare && !Rule.Claimed(p);
                }
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
            runs.push_back({y, first, x});
            ++x;
        }
    }
    search.Blobs = Patches(runs);
    MeasurePatches(search);
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

namespace {

// The patches that are pieces of a marker a scan broke up (a speck of a
// thin +'s arm apart from its crossing): under half the typical patch, and
// the marker's faint pixels reach well beyond them or to a patch at least
// twice as large. Their centres would be off the marker's.
std::vector<bool> BrokenPieces(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                               const TBlobSearch& Search)
{
    std::vector<bool> pieces(Search.Blobs.size(), false);
    const TBlobIndex index(Search);
    for (std::size_t i = 0; i < Search.Blobs.size(); ++i) {
        const TBlob& blob = Search.Blobs[i];
        if (2 * blob.Area > Search.Typical)
            continue;
        const TPatchBox box = BoxOf(blob.Rows);
        const TPatchBox whole = WholeMarker(Source, Area, Rule, box);
        const auto beyond = [](int Part, int Whole) { return Whole >= Part + std::max(4, Part / 2); };
        pieces[i] = beyond(box.Right - box.Left, whole.Right - whole.Left) ||
                    beyond(box.Bottom - box.Top, whole.Bottom - whole.Top);
        for (int y = whole.Top; y <= whole.Bottom && !pieces[i]; ++y)
            for (int x = whole.Left; x <= whole.Right && !pieces[i]; ++x)
                if (const int other = index.At(x, y);
                    other >= 0 && 2 * blob.Area <= Search.Blobs[std::size_t(other)].Area)
                    pieces[i] = true;
    }
    return pieces;
}

} // namespace

TExtraction MarkerCentres(const TPixelSource& Source, const TExtractArea& Area, const TBlobSearch& Search,
                          const TRgb& Colour, int Tolerance, const TSizeRange& Range, TMarkerAnchor Anchor)
{
    TExtraction result;
    result.Problem = Search.Problem;
    if (!result.Problem.isEmpty())
        return result;
    const TColourRule rule(Colour, Search.Palette, Tolerance);
    result.Report.ColourPixels = Search.Pixels;
    result.Report.LinesLeftOut = Search.LinesCut;
    std::vector<int> spans;
    for (const TBlob& blob : Search.Blobs)
        if (blob.Area >= Range.Min && blob.Area <= Range.Max)
            spans.push_back(Span(blob));
    std::nth_element(spans.begin(), spans.begin() + std::ptrdiff_t(spans.size() / 2), spans.end());
    const int typicalSpan = spans.empty() ? 0 : spans[spans.size() / 2];
    std::vector<TMarkerShape> shapes;
    const std::vector<bool> broken = BrokenPieces(Source, Area, rule, Search);
    for (std::size_t i = 0; i < Search.Blobs.size(); ++i) {
        const TBlob& blob = Search.Blobs[i];
        if (blob.Area < Range.Min || blob.Area > Range.Max || broken[i]) {
            ++result.Report.PiecesLeftOut;
            continue;
        }
        // Markers that overlap make one patch of about that many typical
        // ones; their centres come from their parts.
        const long long count = Search.Typical > 0 ? std::llround(double(blob.Area) / double(Search.Typical)) : 1;
        // An outline's area goes with how its stroke falls on the pixels,
        // not with how many markers it holds: only one broader than the
        // typical patch holds several.
        const bool several = count >= 2 && 2 * blob.Area >= 3 * Search.Typical &&
                             !(IsOutline(blob) && 10 * Span(blob) <= 13 * typicalSpan);
        if (const std::optional<TWordSeen> name =
                several ? std::nullopt : IsLegendSwatch(Source, Area, rule, blob.Rows)) {
            if (result.Report.LegendLeftOut++ == 0)
                result.Report.LegendName = NameBox(Source, Area, rule, *name);
            continue;
        }
        result.Report.Explained += blob.Area;
        if (several) {
            for (const std::vector<TBlob::TRow>& part : SplitPatch(blob, int(std::min(count, 9LL))))
                result.Points.push_back(TMarkerShape(Source, Area, rule, part).Centroid());
            continue;
        }
        shapes.emplace_back(Source, Area, rule, blob.Rows);
    }
    // Programs that draw a triangle as tall as it is broad anchor it at its
    // box's centre; those that draw it equilateral, or flatter, at its
    // centroid. A series' triangles are all alike: told apart by the median
    // of their widening, as one small triangle's, in a scan, is noisy.
    std::vector<double> widenings;
    std::vector<bool> lopsided(shapes.size(), false);
    for (std::size_t i = 0; i < shapes.size() && Anchor == anShape; ++i) {
        lopsided[i] = shapes[i].Lopsided();
        if (const std::optional<double> widening = lopsided[i] ? shapes[i].Widening() : std::nullopt)
            widenings.push_back(*widening);
    }
    std::nth_element(widenings.begin(), widenings.begin() + std::ptrdiff_t(widenings.size() / 2), widenings.end());
    const bool equilateral = !widenings.empty() && widenings[widenings.size() / 2] > 1.08;
    // In a series of shapes that are not lopsided, the few that are (an arc
    // of a ring a scan broke) are pieces whose middle is off the marker's.
    const bool fewLopsided = 4 * std::size_t(std::count(lopsided.begin(), lopsided.end(), true)) < shapes.size();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (fewLopsided && lopsided[i]) {
            ++result.Report.PiecesLeftOut;
            continue;
        }
        result.Points.push_back(Anchor == anBox       ? shapes[i].BoxCentre()
                                : Anchor == anShape ? shapes[i].ShapeAnchor(equilateral)
                                                    : shapes[i].Centroid());
    }
    std::stable_sort(result.Points.begin(), result.Points.end(), [&Area](const TPointF& a, const TPointF& b) {
        return Area.ToFrame(a).X < Area.ToFrame(b).X;
    });
    return result;
}

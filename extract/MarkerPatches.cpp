#include "MarkerPatches.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A patch as spans of pixels, row by row, sorted and apart.
using TSpans = std::vector<std::pair<int, int>>;
struct TRowSet {
    int Top = 0;
    std::vector<TSpans> Rows;

    const TSpans& At(int Y) const
    {
        static const TSpans none;
        return Y < Top || Y >= Top + int(Rows.size()) ? none : Rows[std::size_t(Y - Top)];
    }
    bool Empty() const
    {
        return std::all_of(Rows.begin(), Rows.end(), [](const TSpans& r) { return r.empty(); });
    }
};

TRowSet RowSetOf(const TBlob& Blob)
{
    TRowSet set{Blob.Rows.front().Y, {}};
    set.Rows.resize(std::size_t(Blob.Rows.back().Y - set.Top + 1));
    for (const TBlob::TRow& row : Blob.Rows)
        set.Rows[std::size_t(row.Y - set.Top)].push_back({row.First, row.Last});
    return set;
}

TSpans Intersect(const TSpans& A, const TSpans& B)
{
    TSpans out;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < A.size() && j < B.size()) {
        const int first = std::max(A[i].first, B[j].first);
        const int last = std::min(A[i].second, B[j].second);
        if (first <= last)
            out.push_back({first, last});
        if (A[i].second < B[j].second)
            ++i;
        else
            ++j;
    }
    return out;
}

// The parts of A that B does not cover; B lies within A.
TSpans Minus(const TSpans& A, const TSpans& B)
{
    TSpans out;
    std::size_t j = 0;
    for (auto [first, last] : A) {
        for (; j < B.size() && B[j].first <= last; ++j) {
            if (B[j].first > first)
                out.push_back({first, B[j].first - 1});
            first = B[j].second + 1;
        }
        if (first <= last)
            out.push_back({first, last});
    }
    return out;
}

TSpans Shrunk(const TSpans& Spans, int R)
{
    TSpans out;
    for (const auto& [first, last] : Spans)
        if (last - first >= 2 * R)
            out.push_back({first + R, last - R});
    return out;
}

// What a square 2R + 1 wide, centred on a pixel, fits inside.
TRowSet Eroded(const TRowSet& Set, int R)
{
    TRowSet out{Set.Top, std::vector<TSpans>(Set.Rows.size())};
    for (int y = Set.Top; y < Set.Top + int(Set.Rows.size()); ++y) {
        TSpans fit = Shrunk(Set.At(y), R);
        for (int d = -R; d <= R && !fit.empty(); ++d)
            if (d != 0)
                fit = Intersect(fit, Shrunk(Set.At(y + d), R));
        out.Rows[std::size_t(y - Set.Top)] = std::move(fit);
    }
    return out;
}

// Every pixel such a square over a pixel of Set reaches.
TRowSet Dilated(const TRowSet& Set, int R)
{
    TRowSet out{Set.Top - R, std::vector<TSpans>(Set.Rows.size() + std::size_t(2 * R))};
    for (std::size_t i = 0; i < Set.Rows.size(); ++i)
        for (const auto& [first, last] : Set.Rows[i])
            for (int d = 0; d <= 2 * R; ++d)
                out.Rows[i + std::size_t(d)].push_back({first - R, last + R});
    for (TSpans& row : out.Rows) {
        std::sort(row.begin(), row.end());
        TSpans merged;
        for (const auto& span : row)
            if (!merged.empty() && span.first <= merged.back().second + 1)
                merged.back().second = std::max(merged.back().second, span.second);
            else
                merged.push_back(span);
        row = std::move(merged);
    }
    return out;
}

// How many pixels deep the broadest part of the patch is.
int Depth(const TRowSet& Set)
{
    int depth = 0;
    while (depth < 64 && !Eroded(Set, depth + 1).Empty())
        ++depth;
    return depth;
}

// A patch's extent along its long and its short axis, as the sides of the
// rectangle with its spread of pixels.
struct TAxes {
    double Long = 0;
    double Wide = 0;
};

TAxes AxesOf(const TBlob& Blob)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (const TBlob::TRow& row : Blob.Rows) {
        const double count = row.Last - row.First + 1;
        const double first = row.First, last = row.Last;
        const double xs = (first + last) * count / 2;
        // The sum of x squared over the run.
        const double x2 = (last * (last + 1) * (2 * last + 1) - (first - 1) * first * (2 * first - 1)) / 6;
        n += count;
        sx += xs;
        sy += row.Y * count;
        sxx += x2;
        syy += double(row.Y) * row.Y * count;
        sxy += row.Y * xs;
    }
    // Each pixel a unit square, not a point.
    const double a = sxx / n - (sx / n) * (sx / n) + 1.0 / 12;
    const double c = syy / n - (sy / n) * (sy / n) + 1.0 / 12;
    const double b = sxy / n - (sx / n) * (sy / n);
    const double spread = std::sqrt((a - c) * (a - c) / 4 + b * b);
    return {std::sqrt(12 * ((a + c) / 2 + spread)), std::sqrt(12 * std::max((a + c) / 2 - spread, 0.0))};
}

// Marker shapes (round, square, triangles, diamonds, crosses) are about as
// wide as long, and so are a few overlapping ones, and they fill much of
// that extent or ring it, where a line's zigzag does not; specks of a handful of
// pixels have no shape to tell.
bool Compact(const TBlob& Blob, const TAxes& Axes)
{
    return Blob.Area >= 6 && Axes.Long <= 2.5 * Axes.Wide &&
           (double(Blob.Area) >= 0.25 * Axes.Long * Axes.Wide || IsOutline(Blob));
}

// The compact patch that holds the middle one of the compact patches'
// pixels, as MeasurePatches finds the typical patch; none when there is no
// compact patch.
const TBlob* TypicalMarker(const std::vector<TBlob>& Blobs, const std::vector<TAxes>& Axes)
{
    std::vector<const TBlob*> compact;
    long long pixels = 0;
    for (std::size_t i = 0; i < Blobs.size(); ++i)
        if (Compact(Blobs[i], Axes[i])) {
            compact.push_back(&Blobs[i]);
            pixels += Blobs[i].Area;
        }
    std::sort(compact.begin(), compact.end(), [](const TBlob* a, const TBlob* b) { return a->Area < b->Area; });
    long long counted = 0;
    for (const TBlob* blob : compact)
        if (2 * (counted += blob->Area) >= pixels)
            return blob;
    return nullptr;
}

std::vector<TAxes> AxesOf(const std::vector<TBlob>& Blobs)
{
    std::vector<TAxes> axes;
    axes.reserve(Blobs.size());
    for (const TBlob& blob : Blobs)
        axes.push_back(AxesOf(blob));
    return axes;
}

// Leaves out the pieces of line a cut leaves, or that were apart from the
// start (a thin line of the colour broken up by its smoothed edges): long,
// and thin against the typical marker.
void LeaveOutLines(TBlobSearch& Patches)
{
    const std::vector<TAxes> axes = AxesOf(Patches.Blobs);
    const TBlob* typical = TypicalMarker(Patches.Blobs, axes);
    if (!typical)
        return;
    const double markerWide = AxesOf(*typical).Wide;
    std::vector<TBlob> kept;
    for (std::size_t i = 0; i < Patches.Blobs.size(); ++i) {
        if (axes[i].Long >= 3 * axes[i].Wide && axes[i].Wide < 0.6 * markerWide)
            ++Patches.LinesCut;
        else
            kept.push_back(std::move(Patches.Blobs[i]));
    }
    Patches.Blobs = std::move(kept);
}

// Search with every patch cut down to where a square 2 Reach + 1 wide fits
// and then grown back by Margin within itself; what the cut takes away is
// counted as pieces of line.
TBlobSearch Cut(const TBlobSearch& Search, int Reach, int Margin)
{
    TBlobSearch patches;
    patches.Palette = Search.Palette;
    patches.Problem = Search.Problem;
    std::vector<TBlob::TRow> rows;
    std::vector<TBlob::TRow> cut;
    for (const TBlob& blob : Search.Blobs) {
        const TRowSet set = RowSetOf(blob);
        const TRowSet cores = Dilated(Eroded(set, Reach), Reach);
        if (cores.Empty()) {
            ++patches.LinesCut;
            continue;
        }
        const TRowSet near = Dilated(cores, Margin);
        for (int y = set.Top; y < set.Top + int(set.Rows.size()); ++y) {
            const TSpans kept = Intersect(set.At(y), near.At(y));
            for (const auto& [first, last] : kept)
                rows.push_back({y, first, last});
            for (const auto& [first, last] : Minus(set.At(y), kept))
                cut.push_back({y, first, last});
        }
    }
    std::sort(rows.begin(), rows.end());
    std::sort(cut.begin(), cut.end());
    patches.Blobs = Patches(rows);
    patches.LinesCut += int(Patches(cut).size());
    LeaveOutLines(patches);
    MeasurePatches(patches);
    return patches;
}

// How many markers a cut leaves apart: compact patches near the size of the
// largest, where pieces of a line that a cut just short of its breadth
// leaves are compact too, but far smaller.
int MarkerCount(const TBlobSearch& Patches)
{
    const std::vector<TAxes> axes = AxesOf(Patches.Blobs);
    std::vector<long long> areas;
    for (std::size_t i = 0; i < axes.size(); ++i)
        if (Compact(Patches.Blobs[i], axes[i]))
            areas.push_back(Patches.Blobs[i].Area);
    const long long largest = areas.empty() ? 0 : *std::max_element(areas.begin(), areas.end());
    return int(std::count_if(areas.begin(), areas.end(), [&](long long a) { return 5 * a >= 2 * largest; }));
}

// The patches with those a pixel apart made one: a marker outlined by a
// hairline, whose smoothed edges fall apart into pieces where its stroke
// runs between pixels, is one patch again. Each patch is its pixels,
// grouped by the patch of their pixels grown by one.
TBlobSearch Bridged(const TBlobSearch& Search)
{
    std::vector<TBlob::TRow> grown;
    for (const TBlob& blob : Search.Blobs)
        for (const TBlob::TRow& row : blob.Rows)
            for (int dy = -1; dy <= 1; ++dy)
                grown.push_back({row.Y + dy, row.First - 1, row.Last + 1});
    std::sort(grown.begin(), grown.end());
    std::vector<TBlob::TRow> merged;
    for (const TBlob::TRow& row : grown)
        if (!merged.empty() && merged.back().Y == row.Y && row.First <= merged.back().Last + 1)
            merged.back().Last = std::max(merged.back().Last, row.Last);
        else
            merged.push_back(row);
    TBlobSearch groups;
    groups.Blobs = Patches(merged);
    const TBlobIndex index(groups);
    TBlobSearch bridged = Search;
    bridged.Blobs.assign(groups.Blobs.size(), TBlob{});
    for (const TBlob& blob : Search.Blobs) {
        TBlob& into = bridged.Blobs[std::size_t(index.At(blob.Rows.front().First, blob.Rows.front().Y))];
        into.Rows.insert(into.Rows.end(), blob.Rows.begin(), blob.Rows.end());
        into.Area += blob.Area;
    }
    for (TBlob& blob : bridged.Blobs)
        std::sort(blob.Rows.begin(), blob.Rows.end());
    MeasurePatches(bridged);
    return bridged;
}

} // namespace

TBlobSearch MarkerPatches(const TBlobSearch& Found)
{
    const TBlobSearch Search = Bridged(Found);
    // The typical marker, not the typical piece of a line that outweighs
    // the markers.
    if (const TBlob* typical = TypicalMarker(Search.Blobs, AxesOf(Search.Blobs))) {
        // Markers drawn of thin strokes (crosses, hollow rings) have nothing
        // to cut away from. The pixels near a core come back: a marker's
        // corners and tips, which the cut rounds off, and a line's stub as
        // long as they do.
        const int reach = IsOutline(*typical) ? 0 : (Depth(RowSetOf(*typical)) + 1) / 2;
        if (reach > 0)
            return Cut(Search, reach, reach + 1);
        TBlobSearch patches = Search;
        patches.LinesCut = 0;
        LeaveOutLines(patches);
        MeasurePatches(patches);
        return patches;
    }
    // Every marker joined to a line near as broad: the cut that leaves the
    // most markers apart, from the broadest part of the patches down.
    int deepest = 0;
    for (const TBlob& blob : Search.Blobs)
        deepest = std::max(deepest, Depth(RowSetOf(blob)));
    TBlobSearch best = Search;
    MeasurePatches(best);
    int most = 0;
    for (int reach = deepest; reach >= 1; --reach) {
        TBlobSearch patches = Cut(Search, reach, 1);
        if (const int count = MarkerCount(patches); count > most) {
            most = count;
            best = std::move(patches);
        }
    }
    return best;
}

bool Fragmented(const TBlobSearch& Search)
{
    const std::vector<TAxes> axes = AxesOf(Search.Blobs);
    std::size_t compact = 0;
    std::size_t thin = 0;
    for (std::size_t i = 0; i < axes.size(); ++i) {
        compact += Compact(Search.Blobs[i], axes[i]);
        // Specks too: a hairline square may keep only its corners.
        thin += axes[i].Long >= 3 * axes[i].Wide || Search.Blobs[i].Area < 6;
    }
    return thin > compact;
}

bool Outlined(const TBlobSearch& Search)
{
    const TBlob* typical = TypicalMarker(Search.Blobs, AxesOf(Search.Blobs));
    return typical && IsOutline(*typical);
}

bool IsOutline(const TBlob& Blob)
{
    const TPatchBox box = BoxOf(Blob.Rows);
    const int left = box.Left;
    const int right = box.Right;
    const int top = box.Top;
    const int width = box.Width();
    const int height = box.Height();
    if (width < 5 || height < 5 || width > 256 || height > 256)
        return false;
    std::vector<char> cells(std::size_t(width) * std::size_t(height), 0);
    const auto cell = [&](int x, int y) -> char& {
        return cells[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    };
    // Each pixel grown by one, so that a gap a pixel wide in a hairline's
    // smoothed edge does not open the hole.
    for (const TBlob::TRow& row : Blob.Rows)
        for (int x = row.First; x <= row.Last; ++x)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (x + dx >= left && x + dx <= right && row.Y + dy >= top && row.Y + dy < top + height)
                        cell(x + dx - left, row.Y + dy - top) = 1;
    std::vector<std::pair<int, int>> stack{{width / 2, height / 2}};
    if (cell(width / 2, height / 2))
        return false;
    cell(width / 2, height / 2) = 2;
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (x == 0 || y == 0 || x == width - 1 || y == height - 1)
            return false;
        for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}})
            if (!cell(x + dx, y + dy)) {
                cell(x + dx, y + dy) = 2;
                stack.push_back({x + dx, y + dy});
            }
    }
    return true;
}

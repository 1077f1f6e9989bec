#include "MarkerPatches.h"

#include <algorithm>
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

} // namespace

TBlobSearch MarkerPatches(const TBlobSearch& Search)
{
    TBlobSearch patches;
    patches.Palette = Search.Palette;
    patches.Problem = Search.Problem;
    const auto typical = std::find_if(Search.Blobs.begin(), Search.Blobs.end(),
                                      [&](const TBlob& b) { return b.Area == Search.Typical; });
    // Markers drawn of thin strokes (crosses, hollow rings) have nothing to
    // cut away from.
    const int reach = typical == Search.Blobs.end() ? 0 : (Depth(RowSetOf(*typical)) + 1) / 2;
    if (reach == 0) {
        patches.Blobs = Search.Blobs;
        MeasurePatches(patches);
        return patches;
    }
    std::vector<TBlob::TRow> rows;
    for (const TBlob& blob : Search.Blobs) {
        const TRowSet set = RowSetOf(blob);
        const TRowSet cores = Dilated(Eroded(set, reach), reach);
        if (cores.Empty()) {
            ++patches.LinesCut;
            continue;
        }
        // The pixels near a core: a marker's corners and tips, which the
        // cut rounds off, come back; a line's stub as long as they do.
        const TRowSet near = Dilated(cores, reach + 1);
        for (int y = set.Top; y < set.Top + int(set.Rows.size()); ++y)
            for (const auto& [first, last] : Intersect(set.At(y), near.At(y)))
                rows.push_back({y, first, last});
    }
    std::sort(rows.begin(), rows.end(),
              [](const TBlob::TRow& a, const TBlob::TRow& b) { return a.Y != b.Y ? a.Y < b.Y : a.First < b.First; });
    patches.Blobs = Patches(rows);
    MeasurePatches(patches);
    return patches;
}

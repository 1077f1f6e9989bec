#include "RuledLines.h"

#include <algorithm>
#include <cmath>

namespace {

// The pixels of the colour on one frame line, and how far along it they go.
struct TLine {
    long long Count = 0;
    double Least = INFINITY;
    double Most = -INFINITY;

    void Add(double At)
    {
        ++Count;
        Least = std::min(Least, At);
        Most = std::max(Most, At);
    }
};

// The frame lines along one axis that the colour's pixels rule across,
// from Low to High along them.
std::vector<int> Lines(const std::vector<TLine>& Along, int First, double Low, double High)
{
    const double breadth = High - Low;
    std::vector<int> lines;
    for (std::size_t i = 0; i < Along.size(); ++i)
        if (double(Along[i].Count) >= 0.5 * breadth && Along[i].Least <= Low + 0.05 * breadth &&
            Along[i].Most >= High - 0.05 * breadth)
            lines.push_back(First + int(i));
    return lines;
}

} // namespace

TRuledLines::TRuledLines(const TBlobSearch& Search, const TExtractArea& Area, const TExtractArea::TBounds& Box)
    : FArea(Area)
{
    if (Box.Left > Box.Right)
        return;
    // Each pixel of the colour counted on its frame row and column.
    const int top = int(std::floor(Box.Top)) - 1;
    const int left = int(std::floor(Box.Left)) - 1;
    std::vector<TLine> rows(std::size_t(int(std::ceil(Box.Bottom)) + 2 - top));
    std::vector<TLine> columns(std::size_t(int(std::ceil(Box.Right)) + 2 - left));
    for (const TBlob& blob : Search.Blobs)
        for (const TBlob::TRow& row : blob.Rows)
            for (int x = row.First; x <= row.Last; ++x) {
                const TPointF f = Area.ToFrame({double(x), double(row.Y)});
                const long long r = std::llround(f.Y) - top;
                const long long c = std::llround(f.X) - left;
                if (r >= 0 && r < (long long)rows.size())
                    rows[std::size_t(r)].Add(f.X);
                if (c >= 0 && c < (long long)columns.size())
                    columns[std::size_t(c)].Add(f.Y);
            }
    FRows = Lines(rows, top, Box.Left, Box.Right);
    FColumns = Lines(columns, left, Box.Top, Box.Bottom);
    if (Empty())
        return;
    // Ticks: what is left of the colour beside a ruled line (none are known
    // yet), short across the area and thin along the line.
    const double width = Box.Right - Box.Left;
    const double height = Box.Bottom - Box.Top;
    for (TBlob& blob : Without(Search).Blobs) {
        const TExtractArea::TBounds bounds = FrameBoundsOf(blob, Area);
        const double l = bounds.Left, r = bounds.Right, t = bounds.Top, b = bounds.Bottom;
        const double across = r - l + 1, along = b - t + 1;
        const bool onColumn = (Ruled(FColumns, l - 1, 1) || Ruled(FColumns, r + 1, 1)) &&
                              across <= 0.03 * width + 2 && along <= std::max(4.0, across / 2);
        const bool onRow = (Ruled(FRows, t - 1, 1) || Ruled(FRows, b + 1, 1)) && along <= 0.03 * height + 2 &&
                           across <= std::max(4.0, along / 2);
        if (onColumn || onRow)
            FTicks.Blobs.push_back(std::move(blob));
    }
    FTickIndex = TBlobIndex(FTicks);
}

bool TRuledLines::Ruled(const std::vector<int>& Lines, double At, double Within)
{
    const auto next = std::lower_bound(Lines.begin(), Lines.end(), int(std::ceil(At - Within)));
    return next != Lines.end() && std::abs(*next - At) <= Within;
}

TBlobSearch TRuledLines::Without(const TBlobSearch& Search) const
{
    TBlobSearch kept = Search;
    std::vector<TBlob::TRow> runs;
    for (const TBlob& blob : Search.Blobs)
        for (const TBlob::TRow& row : blob.Rows) {
            int first = row.First;
            for (int x = row.First; x <= row.Last + 1; ++x)
                if (x > row.Last || Holds(FArea.ToFrame({double(x), double(row.Y)}))) {
                    if (x > first)
                        runs.push_back({row.Y, first, x - 1});
                    first = x + 1;
                }
        }
    std::sort(runs.begin(), runs.end());
    kept.Blobs = Patches(runs);
    MeasurePatches(kept);
    return kept;
}

#include "DrawingPick.h"

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <unordered_map>

namespace {

// Colours in a drawing are exact; a channel's rounding to 8 bits is all
// that may differ between what a producer meant and what is read.
bool SameColour(QRgb A, QRgb B)
{
    return std::abs(qRed(A) - qRed(B)) <= 2 && std::abs(qGreen(A) - qGreen(B)) <= 2 &&
           std::abs(qBlue(A) - qBlue(B)) <= 2;
}

bool SameLook(const TDrawnPath& A, const TDrawnPath& B)
{
    return A.Stroked == B.Stroked && A.Filled == B.Filled && (!A.Stroked || SameColour(A.Stroke, B.Stroke)) &&
           (!A.Filled || SameColour(A.Fill, B.Fill)) && std::abs(A.Width - B.Width) <= 1e-6 * (1 + A.Width) &&
           A.Dashes == B.Dashes;
}

QRectF Bounds(const TDrawnPath& P)
{
    double left = std::numeric_limits<double>::max(), top = left, right = -left, bottom = -left;
    for (const QPointF& v : P.Points) {
        left = std::min(left, v.x());
        right = std::max(right, v.x());
        top = std::min(top, v.y());
        bottom = std::max(bottom, v.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

double SegmentDistance(QPointF P, QPointF A, QPointF B)
{
    const QPointF ab = B - A;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(P - A, ab) / length2, 0.0, 1.0) : 0.0;
    return QLineF(P, A + t * ab).length();
}

// How far At lies from the path: from its lines, or 0 inside a filled one.
double Distance(const TDrawnPath& P, QPointF At)
{
    double best = std::numeric_limits<double>::max();
    for (std::size_t f = 0; f < P.Starts.size(); ++f) {
        const auto first = std::size_t(P.Starts[f]);
        const std::size_t end = f + 1 < P.Starts.size() ? std::size_t(P.Starts[f + 1]) : P.Points.size();
        if (end - first == 1)
            best = std::min(best, QLineF(At, P.Points[first]).length());
        for (std::size_t i = first + 1; i < end; ++i)
            best = std::min(best, SegmentDistance(At, P.Points[i - 1], P.Points[i]));
    }
    if (P.Filled && Bounds(P).contains(At))
        best = std::min(best, 0.0);
    return best - (P.Stroked ? P.Width / 2 : 0);
}

double Length(const std::vector<QPointF>& Points)
{
    double length = 0;
    for (std::size_t i = 1; i < Points.size(); ++i)
        length += QLineF(Points[i - 1], Points[i]).length();
    return length;
}

bool IsMarkerShape(const TDrawnPath& P)
{
    const QRectF box = Bounds(P);
    return P.Points.size() >= 3 && box.width() <= MarkerSpan && box.height() <= MarkerSpan &&
           QLineF(P.Points.front(), P.Points.back()).length() <= 1e-6 * (1 + box.width() + box.height());
}

// A marker's shape and look, to find its like: its vertices relative to
// its box's centre, within a hundredth of its size (which a producer's
// rounding of each marker's place stays well within, and another shape
// does not).
bool SameMarker(const TDrawnPath& A, const TDrawnPath& B)
{
    if (A.Points.size() != B.Points.size() || !SameLook(A, B))
        return false;
    const QRectF a = Bounds(A), b = Bounds(B);
    const double within = 0.01 * std::max({a.width(), a.height(), 0.1});
    for (std::size_t i = 0; i < A.Points.size(); ++i)
        if (QLineF(A.Points[i] - a.center(), B.Points[i] - b.center()).length() > within)
            return false;
    return true;
}

// Every marker like the path Like, its members marked in Members when given.
TDrawingPick Markers(const TDrawing& Drawing, std::size_t Like, std::vector<bool>* Members = nullptr)
{
    TDrawingPick pick{TDrawingPick::pkMarkers, {}, 0};
    const TDrawnPath& like = Drawing.Paths[Like];
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i)
        if (SameMarker(like, Drawing.Paths[i])) {
            pick.Points.push_back(Bounds(Drawing.Paths[i]).center());
            ++pick.Paths;
            if (Members)
                (*Members)[i] = true;
        }
    std::stable_sort(pick.Points.begin(), pick.Points.end(),
                     [](QPointF a, QPointF b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    return pick;
}

// Ends that meet are one vertex written twice, apart by no more than a
// producer's rounding.
constexpr double Meet = 0.05;

// The ends of the drawing's pieces of curve (one figure, two points or
// more), found by the cell of a grid Meet wide that holds them, so that a
// curve drawn in thousands of pieces is joined in time linear in them.
class TEnds {
public:
    explicit TEnds(const TDrawing& Drawing) : FDrawing(Drawing)
    {
        for (std::size_t i = 0; i < Drawing.Paths.size(); ++i) {
            const TDrawnPath& p = Drawing.Paths[i];
            if (p.Points.size() >= 2 && p.Starts.size() == 1 && p.Stroked) {
                FCells.emplace(Cell(p.Points.front(), 0, 0), TEnd{i, false});
                FCells.emplace(Cell(p.Points.back(), 0, 0), TEnd{i, true});
            }
        }
    }
    struct TEnd {
        std::size_t Path;
        bool Last; // the piece's last point is the one that meets
    };
    // An unused piece of Look's look with an end within Meet of At.
    std::optional<TEnd> Find(QPointF At, const TDrawnPath& Look, const std::vector<bool>& Used) const
    {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const auto [first, last] = FCells.equal_range(Cell(At, dx, dy));
                for (auto e = first; e != last; ++e) {
                    const TDrawnPath& p = FDrawing.Paths[e->second.Path];
                    const QPointF end = e->second.Last ? p.Points.back() : p.Points.front();
                    if (!Used[e->second.Path] && QLineF(end, At).length() <= Meet && SameLook(Look, p))
                        return e->second;
                }
            }
        return std::nullopt;
    }

private:
    static std::uint64_t Cell(QPointF At, int DX, int DY)
    {
        const auto x = std::uint32_t(std::int64_t(std::floor(At.x() / Meet)) + DX);
        const auto y = std::uint32_t(std::int64_t(std::floor(At.y() / Meet)) + DY);
        return std::uint64_t(x) << 32 | y;
    }
    const TDrawing& FDrawing;
    std::unordered_multimap<std::uint64_t, TEnd> FCells;
};

// The path From, continued both ways through unused pieces of its look
// whose end meets one of the curve's ends; each piece taken is marked Used.
TDrawingPick Curve(const TDrawing& Drawing, std::size_t From, const TEnds& Ends, std::vector<bool>& Used)
{
    const TDrawnPath& from = Drawing.Paths[From];
    std::deque<QPointF> points(from.Points.begin(), from.Points.end());
    Used[From] = true;
    int paths = 1;
    while (const std::optional<TEnds::TEnd> end = Ends.Find(points.back(), from, Used)) {
        const std::vector<QPointF>& piece = Drawing.Paths[end->Path].Points;
        if (end->Last)
            points.insert(points.end(), piece.rbegin() + 1, piece.rend());
        else
            points.insert(points.end(), piece.begin() + 1, piece.end());
        Used[end->Path] = true;
        ++paths;
    }
    while (const std::optional<TEnds::TEnd> end = Ends.Find(points.front(), from, Used)) {
        const std::vector<QPointF>& piece = Drawing.Paths[end->Path].Points;
        if (end->Last)
            points.insert(points.begin(), piece.begin(), piece.end() - 1);
        else
            points.insert(points.begin(), piece.rbegin(), piece.rend() - 1);
        Used[end->Path] = true;
        ++paths;
    }
    // A repeated vertex is one point of data.
    std::vector<QPointF> vertices(points.begin(), points.end());
    vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
    return {TDrawingPick::pkCurve, std::move(vertices), paths};
}

// The nearest path that Accept takes, within Reach; -1 when none.
template <class TAccept>
int Nearest(const TDrawing& Drawing, QPointF At, double Reach, TAccept Accept)
{
    int best = -1;
    double bestDistance = Reach;
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i) {
        const TDrawnPath& p = Drawing.Paths[i];
        if (!Accept(p))
            continue;
        const double d = Distance(p, At);
        if (d <= bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

bool OfColour(const TDrawnPath& P, QRgb Colour)
{
    return (P.Stroked && SameColour(P.Stroke, Colour)) || (P.Filled && SameColour(P.Fill, Colour));
}

} // namespace

TDrawingPick PickFromDrawing(const TDrawing& Drawing, QPointF At, double Reach)
{
    // Glyphs of text are filled outlines with no stroke: never data.
    const int nearest = Nearest(Drawing, At, Reach, [](const TDrawnPath& p) { return p.Stroked || p.Filled; });
    if (nearest < 0)
        return {};
    const auto index = std::size_t(nearest);
    if (IsMarkerShape(Drawing.Paths[index])) {
        TDrawingPick markers = Markers(Drawing, index);
        if (markers.Paths >= 2)
            return markers;
    }
    if (!Drawing.Paths[index].Stroked)
        return {};
    std::vector<bool> used(Drawing.Paths.size(), false);
    return Curve(Drawing, index, TEnds(Drawing), used);
}

TDrawingPick CurveOfColour(const TDrawing& Drawing, QRgb Colour, std::optional<QPointF> At)
{
    const auto stroked = [&](const TDrawnPath& p) {
        return p.Stroked && !p.Filled && p.Points.size() >= 2 && SameColour(p.Stroke, Colour);
    };
    const TEnds ends(Drawing);
    std::vector<bool> used(Drawing.Paths.size(), false);
    if (At) {
        const int nearest = Nearest(Drawing, *At, std::numeric_limits<double>::max(), stroked);
        return nearest < 0 ? TDrawingPick{} : Curve(Drawing, std::size_t(nearest), ends, used);
    }
    // Each piece belongs to one curve: the longest of them is taken.
    TDrawingPick best;
    double bestLength = -1;
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i)
        if (!used[i] && stroked(Drawing.Paths[i])) {
            TDrawingPick curve = Curve(Drawing, i, ends, used);
            const double length = Length(curve.Points);
            if (length > bestLength) {
                bestLength = length;
                best = std::move(curve);
            }
        }
    return best;
}

TDrawingPick MarkersOfColour(const TDrawing& Drawing, QRgb Colour, std::optional<QPointF> At)
{
    const auto marker = [&](const TDrawnPath& p) { return IsMarkerShape(p) && OfColour(p, Colour); };
    if (At) {
        const int nearest = Nearest(Drawing, *At, std::numeric_limits<double>::max(), marker);
        return nearest < 0 ? TDrawingPick{} : Markers(Drawing, std::size_t(nearest));
    }
    // Each shape counted once, however many markers it has.
    TDrawingPick best;
    std::vector<bool> counted(Drawing.Paths.size(), false);
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i)
        if (!counted[i] && marker(Drawing.Paths[i])) {
            TDrawingPick markers = Markers(Drawing, i, &counted);
            if (markers.Paths > best.Paths)
                best = std::move(markers);
        }
    return best;
}

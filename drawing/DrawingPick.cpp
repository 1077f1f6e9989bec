#include "DrawingPick.h"

#include <QLineF>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <tuple>
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

QRectF Bounds(std::vector<QPointF>::const_iterator First, std::vector<QPointF>::const_iterator Last)
{
    double left = std::numeric_limits<double>::max(), top = left, right = -left, bottom = -left;
    for (auto v = First; v != Last; ++v) {
        left = std::min(left, v->x());
        right = std::max(right, v->x());
        top = std::min(top, v->y());
        bottom = std::max(bottom, v->y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QRectF Bounds(const TDrawnPath& P)
{
    return Bounds(P.Points.begin(), P.Points.end());
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

// A small closed shape, or strokes crossing (+, x, *): two figures or more,
// each a straight stroke.
bool IsMarkerShape(const TDrawnPath& P)
{
    const QRectF box = Bounds(P);
    if (P.Points.size() < 3 || box.width() > MarkerSpan || box.height() > MarkerSpan)
        return false;
    if (QLineF(P.Points.front(), P.Points.back()).length() <= 1e-6 * (1 + box.width() + box.height()))
        return true;
    if (!P.Stroked || P.Starts.size() < 2 || P.Points.size() != 2 * P.Starts.size())
        return false;
    for (std::size_t f = 0; f < P.Starts.size(); ++f)
        if (P.Starts[f] != int(2 * f))
            return false;
    return true;
}

// Where a marker stands for its data point: its box's centre, but for a
// triangle drawn equilateral or flatter, its centroid, as the programs that
// draw such triangles place them (those that draw one as tall as it is
// broad centre its box).
QPointF MarkerAnchor(const TDrawnPath& P)
{
    const QRectF box = Bounds(P);
    // Three corners and the first again: a round marker of two or three
    // curves has as many points, not all of them corners.
    if (P.Points.size() != 4 || P.Starts.size() != 1 ||
        QLineF(P.Points.front(), P.Points.back()).length() > 1e-6 * (1 + box.width()))
        return box.center();
    const std::vector<QPointF> corners(P.Points.begin(), P.Points.end() - 1);
    // The side two corners share is the base; the third is the apex.
    const double tiny = 1e-3 * std::max(box.width(), box.height());
    for (int axis = 0; axis < 2; ++axis)
        for (std::size_t apex = 0; apex < 3; ++apex) {
            const QPointF a = corners[(apex + 1) % 3], b = corners[(apex + 2) % 3];
            const bool flatBase = axis == 0 ? std::abs(a.y() - b.y()) <= tiny : std::abs(a.x() - b.x()) <= tiny;
            const double height = axis == 0 ? box.height() : box.width();
            const double breadth = axis == 0 ? box.width() : box.height();
            if (flatBase && height > 0 && height < 0.91 * breadth)
                return (a + b + corners[apex]) / 3;
        }
    return box.center();
}

// A marker's shape and look, to find its like: its vertices relative to
// its box's centre, within three hundredths of its size (which a producer's
// rounding of each marker's place stays well within, and another shape
// does not). AnySize compares the shapes as if B were A's size, as a
// legend may draw its sample smaller than the chart's markers.
bool SameMarker(const TDrawnPath& A, const TDrawnPath& B, bool AnySize = false)
{
    if (A.Points.size() != B.Points.size() || A.Starts.size() != B.Starts.size() || !SameLook(A, B))
        return false;
    const QRectF a = Bounds(A), b = Bounds(B);
    const double size = std::max({a.width(), a.height(), 0.1});
    const double within = 0.03 * size;
    const double scale = AnySize ? size / std::max({b.width(), b.height(), 0.1}) : 1.0;
    const auto near = [&](QPointF P, QPointF Q) {
        return QLineF(P - a.center(), (Q - b.center()) * scale).length() <= within;
    };
    if (A.Starts.size() == 1 || A.Points.size() != 2 * A.Starts.size()) {
        for (std::size_t i = 0; i < A.Points.size(); ++i)
            if (!near(A.Points[i], B.Points[i]))
                return false;
        return true;
    }
    // Strokes of a +, x or * (a figure each of two points, as IsMarkerShape
    // takes them), in any order and either way round.
    std::vector<bool> matched(B.Starts.size(), false);
    for (std::size_t f = 0; f < A.Starts.size(); ++f) {
        const QPointF p = A.Points[2 * f], q = A.Points[2 * f + 1];
        bool found = false;
        for (std::size_t g = 0; g < B.Starts.size() && !found; ++g)
            if (!matched[g] && ((near(p, B.Points[2 * g]) && near(q, B.Points[2 * g + 1])) ||
                                (near(p, B.Points[2 * g + 1]) && near(q, B.Points[2 * g]))))
                matched[g] = found = true;
        if (!found)
            return false;
    }
    return true;
}

// The legend's words of a drawing: its text, and glyphs drawn as filled
// outlines (dark and grey, as names are written), gathered once for all the
// samples asked about.
class TLegends {
public:
    explicit TLegends(const TDrawing& Drawing)
    {
        for (const TDrawnText& t : Drawing.Texts)
            if (!t.Text.trimmed().isEmpty())
                FTexts.push_back(&t);
        // A word may be one path of all its letters' outlines, stroked in
        // its colour too (QtSvg draws text so): each figure counts.
        for (const TDrawnPath& p : Drawing.Paths)
            if (p.Filled && (!p.Stroked || p.Stroke == p.Fill) && p.Points.size() >= 3 && qGray(p.Fill) < 130 &&
                std::abs(qRed(p.Fill) - qGreen(p.Fill)) <= 40 && std::abs(qBlue(p.Fill) - qGreen(p.Fill)) <= 40)
                for (std::size_t f = 0; f < p.Starts.size(); ++f) {
                    const auto to = f + 1 < p.Starts.size() ? p.Points.begin() + p.Starts[f + 1] : p.Points.end();
                    FGlyphs.push_back(Bounds(p.Points.begin() + p.Starts[f], to));
                }
    }

    // Whether the sample with box Box (a marker, or a short stroke of a
    // curve's look) is a legend's: a name written beside it, on its right or
    // its left, within a few of its breadths, level with it. Text gives the
    // name; glyphs drawn as outlines do not.
    std::optional<QString> Beside(const QRectF& Box) const
    {
        const double size = std::max({Box.width(), Box.height(), 1.0});
        const double reach = 4 * size;
        const auto gapTo = [&](const QRectF& r) { return std::max(r.left() - Box.right(), Box.left() - r.right()); };
        const auto beside = [&](const QRectF& r, double Level) {
            const double gap = gapTo(r);
            return gap > 0 && gap <= reach && std::abs(r.center().y() - Box.center().y()) <= Level &&
                   r.height() <= 3 * size;
        };
        // The text nearest the sample, and the words that go on from it
        // along its line away from the sample.
        const TDrawnText* nearest = nullptr;
        for (const TDrawnText* t : FTexts)
            if (beside(t->Box, 0.5 * std::max(t->Box.height(), Box.height())) &&
                (!nearest || gapTo(t->Box) < gapTo(nearest->Box)))
                nearest = t;
        if (nearest)
            return Words(nearest, nearest->Box.left() >= Box.right());
        int glyphs = 0;
        for (const QRectF& r : FGlyphs)
            glyphs += r.height() <= 2 * size && r.width() <= 2 * size && beside(r, 0.5 * size);
        return glyphs >= 2 ? std::optional<QString>(QString()) : std::nullopt;
    }

private:
    // The words on First's line that go on from it, rightwards or leftwards.
    QString Words(const TDrawnText* First, bool Right) const
    {
        std::vector<const TDrawnText*> words{First};
        for (bool more = true; more;) {
            more = false;
            const QRectF last = words.back()->Box;
            for (const TDrawnText* t : FTexts) {
                const double gap = Right ? t->Box.left() - last.right() : last.left() - t->Box.right();
                if (gap >= -0.1 * last.height() && gap <= 0.6 * last.height() &&
                    std::abs(t->Box.center().y() - last.center().y()) <= 0.25 * last.height() &&
                    std::find(words.begin(), words.end(), t) == words.end()) {
                    words.push_back(t);
                    more = true;
                    break;
                }
            }
        }
        if (!Right)
            std::reverse(words.begin(), words.end());
        QStringList name;
        for (const TDrawnText* w : words)
            name << w->Text.trimmed();
        // A ligature (fi, fl) is the letters it joins.
        return name.join(u' ').simplified().normalized(QString::NormalizationForm_KC);
    }

    std::vector<const TDrawnText*> FTexts;
    std::vector<QRectF> FGlyphs;
};

// Every marker like the path Like, its members marked in Members when given;
// legend samples are left out.
TDrawingPick Markers(const TDrawing& Drawing, const TLegends& Legends, std::size_t Like,
                     std::vector<bool>* Members = nullptr)
{
    TDrawingPick pick;
    pick.Kind = TDrawingPick::pkMarkers;
    const TDrawnPath& like = Drawing.Paths[Like];
    std::vector<bool> taken(Drawing.Paths.size(), false);
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i)
        if (SameMarker(like, Drawing.Paths[i])) {
            taken[i] = true;
            if (Members)
                (*Members)[i] = true;
            if (const std::optional<QString> legend = Legends.Beside(Bounds(Drawing.Paths[i]))) {
                ++pick.LegendLeftOut;
                if (pick.Name.isEmpty())
                    pick.Name = *legend;
                continue;
            }
            pick.Points.push_back(MarkerAnchor(Drawing.Paths[i]));
            ++pick.Paths;
        }
    for (std::size_t i = 0; i < Drawing.Paths.size() && pick.Name.isEmpty(); ++i)
        if (!taken[i] && SameMarker(like, Drawing.Paths[i], true))
            pick.Name = Legends.Beside(Bounds(Drawing.Paths[i])).value_or(QString());
    std::stable_sort(pick.Points.begin(), pick.Points.end(),
                     [](QPointF a, QPointF b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    return pick;
}

// A frame, an axis or a grid line, whatever its colour: a rectangle, or a
// long straight stroke, level or upright. Never a curve, though a curve of
// the frame's colour would otherwise be continued along it.
bool IsRuled(const TDrawnPath& P)
{
    if (P.Points.size() < 2 || P.Points.size() > 5 || P.Starts.size() != 1)
        return false;
    double length = 0;
    for (std::size_t i = 1; i < P.Points.size(); ++i) {
        const QPointF d = P.Points[i] - P.Points[i - 1];
        if (std::min(std::abs(d.x()), std::abs(d.y())) > 1e-6 * (1 + std::abs(d.x()) + std::abs(d.y())))
            return false;
        length += std::abs(d.x()) + std::abs(d.y());
    }
    const bool closed =
        P.Points.size() >= 4 && QLineF(P.Points.front(), P.Points.back()).length() <= 1e-6 * (1 + length);
    return closed || (P.Points.size() == 2 && length >= 2 * MarkerSpan);
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
            if (p.Points.size() >= 2 && p.Starts.size() == 1 && p.Stroked && !IsRuled(p)) {
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
    TDrawingPick curve;
    curve.Kind = TDrawingPick::pkCurve;
    curve.Points = std::move(vertices);
    curve.Paths = paths;
    return curve;
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

// The drawing with each stroke of several figures (a curve and its legend
// sample drawn as one path, say) made a path a figure, as pieces that the
// curve joins again where they meet; markers of several strokes stay whole.
// Nothing when no stroke has several.
std::optional<TDrawing> Figures(const TDrawing& Drawing)
{
    const auto several = [](const TDrawnPath& p) {
        return p.Starts.size() >= 2 && p.Stroked && !p.Filled && !IsMarkerShape(p);
    };
    if (std::none_of(Drawing.Paths.begin(), Drawing.Paths.end(), several))
        return std::nullopt;
    TDrawing split;
    split.Texts = Drawing.Texts;
    split.Images = Drawing.Images;
    split.Paths.reserve(Drawing.Paths.size());
    for (const TDrawnPath& p : Drawing.Paths) {
        if (!several(p)) {
            split.Paths.push_back(p);
            continue;
        }
        for (std::size_t f = 0; f < p.Starts.size(); ++f) {
            TDrawnPath figure = p;
            const auto first = p.Points.begin() + p.Starts[f];
            const auto end = f + 1 < p.Starts.size() ? p.Points.begin() + p.Starts[f + 1] : p.Points.end();
            figure.Points.assign(first, end);
            figure.Starts = {0};
            split.Paths.push_back(std::move(figure));
        }
    }
    return split;
}

// The drawing with the strokes of each +, x or * that a producer drew
// apart (straight strokes of one look, short as a marker, about one point:
// crossing at their middles, or spokes from it, as long as one stroke is
// centred there or three spokes meet, which a polyline's pieces never do)
// made one path, its strokes in the order of their slopes; strokes Wanted
// takes only. Nothing when there are none.
template <class TWanted>
std::optional<TDrawing> Crosses(const TDrawing& Drawing, TWanted Wanted)
{
    const auto isStroke = [&](const TDrawnPath& p) {
        return p.Stroked && !p.Filled && p.Points.size() == 2 && p.Starts.size() == 1 &&
               QLineF(p.Points[0], p.Points[1]).length() <= MarkerSpan && Wanted(p);
    };
    const auto middle = [](const TDrawnPath& p) { return (p.Points[0] + p.Points[1]) / 2; };
    // Each stroke's middle and ends by the cell, a pixel wide, they lie in.
    struct TKey {
        std::size_t Path;
        bool Middle;
        QPointF At;
    };
    std::unordered_multimap<std::uint64_t, TKey> cells;
    const auto cellOf = [](QPointF At, int DX, int DY) {
        const auto x = std::uint32_t(std::int64_t(std::floor(At.x())) + DX);
        const auto y = std::uint32_t(std::int64_t(std::floor(At.y())) + DY);
        return std::uint64_t(x) << 32 | y;
    };
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i)
        if (const TDrawnPath& p = Drawing.Paths[i]; isStroke(p)) {
            cells.emplace(cellOf(middle(p), 0, 0), TKey{i, true, middle(p)});
            for (const QPointF& end : p.Points)
                cells.emplace(cellOf(end, 0, 0), TKey{i, false, end});
        }
    // The strokes of Look's look about At: centred there, and ending there.
    const auto about = [&](QPointF At, const TDrawnPath& Look, double Within, const std::vector<int>& Group) {
        std::vector<std::size_t> centred, ending;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const auto [first, last] = cells.equal_range(cellOf(At, dx, dy));
                for (auto c = first; c != last; ++c)
                    if (const QPointF d = c->second.At - At; Group[c->second.Path] < 0 &&
                                                             QPointF::dotProduct(d, d) <= Within * Within &&
                                                             SameLook(Look, Drawing.Paths[c->second.Path]))
                        (c->second.Middle ? centred : ending).push_back(c->second.Path);
            }
        return std::pair{centred, ending};
    };
    std::vector<int> group(Drawing.Paths.size(), -1);
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i) {
        const TDrawnPath& p = Drawing.Paths[i];
        if (!isStroke(p) || group[i] >= 0)
            continue;
        const double within = 0.03 * QLineF(p.Points[0], p.Points[1]).length() + 1e-3;
        for (const QPointF& at : {middle(p), p.Points[0], p.Points[1]}) {
            auto [centred, ending] = about(at, p, within, group);
            if (centred.empty() && ending.size() < 3)
                continue;
            centred.insert(centred.end(), ending.begin(), ending.end());
            std::sort(centred.begin(), centred.end());
            centred.erase(std::unique(centred.begin(), centred.end()), centred.end());
            if (centred.size() < 2)
                continue;
            for (const std::size_t k : centred)
                group[k] = int(groups.size());
            groups.push_back(std::move(centred));
            break;
        }
    }
    if (groups.empty())
        return std::nullopt;
    TDrawing joined;
    joined.Texts = Drawing.Texts;
    joined.Images = Drawing.Images;
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i) {
        if (group[i] < 0) {
            joined.Paths.push_back(Drawing.Paths[i]);
            continue;
        }
        const std::vector<std::size_t>& members = groups[std::size_t(group[i])];
        if (members.front() != i)
            continue;
        // Each stroke from its left (or upper) end, the strokes by slope,
        // then by where they start (markers alike are found in any order).
        std::vector<std::pair<QPointF, QPointF>> strokes;
        for (const std::size_t k : members) {
            QPointF a = Drawing.Paths[k].Points[0], b = Drawing.Paths[k].Points[1];
            if (std::make_pair(b.x(), b.y()) < std::make_pair(a.x(), a.y()))
                std::swap(a, b);
            strokes.push_back({a, b});
        }
        const QPointF origin = strokes.front().first;
        const auto key = [&](const std::pair<QPointF, QPointF>& u) {
            const double angle = std::atan2(u.second.y() - u.first.y(), u.second.x() - u.first.x());
            return std::tuple{angle, u.first.x() - origin.x(), u.first.y() - origin.y()};
        };
        std::sort(strokes.begin(), strokes.end(), [&](const auto& u, const auto& v) { return key(u) < key(v); });
        TDrawnPath cross = Drawing.Paths[i];
        cross.Points.clear();
        cross.Starts.clear();
        for (const auto& [a, b] : strokes) {
            cross.Starts.push_back(int(cross.Points.size()));
            cross.Points.push_back(a);
            cross.Points.push_back(b);
        }
        joined.Paths.push_back(std::move(cross));
    }
    return joined;
}

bool OfColour(const TDrawnPath& P, QRgb Colour)
{
    return (P.Stroked && SameColour(P.Stroke, Colour)) || (P.Filled && SameColour(P.Fill, Colour));
}

// A short level stroke, as a legend shows a curve's look by.
bool IsSampleStroke(const TDrawnPath& P)
{
    // Some draw it through a middle vertex, where a marker would sit.
    if (!P.Stroked || P.Filled || P.Points.size() < 2 || P.Points.size() > 3 || P.Starts.size() != 1)
        return false;
    const QRectF box = Bounds(P);
    return box.height() <= 1e-6 * (1 + box.width()) && box.width() <= 2 * MarkerSpan;
}

// The name a legend gives the curve Picked, drawn in Look's look: the text
// beside a sample stroke of that look that is no part of the curve.
QString CurveName(const TDrawing& Drawing, const TLegends& Legends, const TDrawnPath& Look, const TDrawingPick& Picked)
{
    for (const TDrawnPath& p : Drawing.Paths)
        if (IsSampleStroke(p) && SameLook(p, Look) &&
            std::find(Picked.Points.begin(), Picked.Points.end(), p.Points[0]) == Picked.Points.end())
            if (const std::optional<QString> name = Legends.Beside(Bounds(p)); name && !name->isEmpty())
                return *name;
    return {};
}

// The longest curve of the pieces Accept takes, named by the legend.
template <class TAccept>
TDrawingPick LongestCurve(const TDrawing& Drawing, const TLegends& Legends, TAccept Accept)
{
    const TEnds ends(Drawing);
    std::vector<bool> used(Drawing.Paths.size(), false);
    // Each piece belongs to one curve: the longest of them is taken.
    TDrawingPick best;
    double bestLength = -1;
    std::size_t seed = 0;
    for (std::size_t i = 0; i < Drawing.Paths.size(); ++i)
        if (!used[i] && Accept(Drawing.Paths[i])) {
            TDrawingPick curve = Curve(Drawing, i, ends, used);
            const double length = Length(curve.Points);
            if (length > bestLength) {
                bestLength = length;
                best = std::move(curve);
                seed = i;
            }
        }
    if (bestLength >= 0)
        best.Name = CurveName(Drawing, Legends, Drawing.Paths[seed], best);
    return best;
}

TDrawingPick PickAmongFigures(const TDrawing& Drawing, QPointF At, double Reach)
{
    // Glyphs of text are filled outlines with no stroke: never data.
    const int nearest = Nearest(Drawing, At, Reach, [](const TDrawnPath& p) { return p.Stroked || p.Filled; });
    if (nearest < 0)
        return {};
    const auto index = std::size_t(nearest);
    const TDrawnPath& clicked = Drawing.Paths[index];
    const TLegends legends(Drawing);
    if (IsMarkerShape(clicked)) {
        TDrawingPick markers = Markers(Drawing, legends, index);
        if (markers.Paths >= 2)
            return markers;
    }
    if (!clicked.Stroked)
        return {};
    // A legend's sample stands for the curve drawn as it is.
    if (IsSampleStroke(clicked) && legends.Beside(Bounds(clicked))) {
        TDrawingPick curve = LongestCurve(Drawing, legends, [&](const TDrawnPath& p) {
            return SameLook(p, clicked) && !IsRuled(p) && !(IsSampleStroke(p) && legends.Beside(Bounds(p)));
        });
        if (!curve.Points.empty())
            return curve;
    }
    std::vector<bool> used(Drawing.Paths.size(), false);
    TDrawingPick curve = Curve(Drawing, index, TEnds(Drawing), used);
    curve.Name = CurveName(Drawing, legends, clicked, curve);
    return curve;
}

TDrawingPick CurveAmongFigures(const TDrawing& Drawing, QRgb Colour, std::optional<QPointF> At)
{
    const auto stroked = [&](const TDrawnPath& p) {
        return p.Stroked && !p.Filled && p.Points.size() >= 2 && SameColour(p.Stroke, Colour) && !IsRuled(p);
    };
    if (At) {
        const int nearest = Nearest(Drawing, *At, std::numeric_limits<double>::max(), stroked);
        if (nearest < 0)
            return {};
        std::vector<bool> used(Drawing.Paths.size(), false);
        TDrawingPick curve = Curve(Drawing, std::size_t(nearest), TEnds(Drawing), used);
        curve.Name = CurveName(Drawing, TLegends(Drawing), Drawing.Paths[std::size_t(nearest)], curve);
        return curve;
    }
    return LongestCurve(Drawing, TLegends(Drawing), stroked);
}

} // namespace

TDrawingPick PickFromDrawing(const TDrawing& Drawing, QPointF At, double Reach)
{
    const std::optional<TDrawing> split = Figures(Drawing);
    const TDrawing& figures = split ? *split : Drawing;
    const std::optional<TDrawing> joined = Crosses(figures, [](const TDrawnPath&) { return true; });
    return PickAmongFigures(joined ? *joined : figures, At, Reach);
}

TDrawingPick CurveOfColour(const TDrawing& Drawing, QRgb Colour, std::optional<QPointF> At)
{
    const std::optional<TDrawing> split = Figures(Drawing);
    return CurveAmongFigures(split ? *split : Drawing, Colour, At);
}

TDrawingPick MarkersOfColour(const TDrawing& Drawing, QRgb Colour, std::optional<QPointF> At)
{
    const std::optional<TDrawing> crosses =
        Crosses(Drawing, [&](const TDrawnPath& p) { return SameColour(p.Stroke, Colour); });
    const TDrawing& joined = crosses ? *crosses : Drawing;
    const auto marker = [&](const TDrawnPath& p) { return IsMarkerShape(p) && OfColour(p, Colour); };
    if (At) {
        const int nearest = Nearest(joined, *At, std::numeric_limits<double>::max(), marker);
        return nearest < 0 ? TDrawingPick{} : Markers(joined, TLegends(joined), std::size_t(nearest));
    }
    // Each shape counted once, however many markers it has.
    TDrawingPick best;
    std::vector<bool> counted(joined.Paths.size(), false);
    const TLegends legends(joined);
    for (std::size_t i = 0; i < joined.Paths.size(); ++i)
        if (!counted[i] && marker(joined.Paths[i])) {
            TDrawingPick markers = Markers(joined, legends, i, &counted);
            if (markers.Paths > best.Paths)
                best = std::move(markers);
        }
    return best;
}

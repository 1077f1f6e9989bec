#include "AxisMarks.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numeric>
#include <optional>
#include <set>

namespace {

// A line along rows (level) or columns: its centre across them, its extent
// along, and the rows (columns) its ink covers; Ink false for the edge of a
// shaded area, which has no ink of its own.
struct TBand {
    double At = 0;
    int From = 0, To = 0;
    int First = 0, Last = 0;
    bool Ink = true;
};

struct TComponent {
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // inclusive
    int Count = 0;
    double Weight = 0, SumX = 0, SumY = 0;
    int Width() const { return Right - Left + 1; }
    int Height() const { return Bottom - Top + 1; }
};

// The ground's lightness: the commonest one.
int Ground(const TGrayPicture& P, const QRect& R)
{
    std::array<int, 256> histogram{};
    for (int y = R.top(); y <= R.bottom(); ++y)
        for (int x = R.left(); x <= R.right(); ++x)
            ++histogram[P.At(x, y)];
    return int(std::max_element(histogram.begin(), histogram.end()) - histogram.begin());
}

// Whether two bands are one line: a frame's ink and the edge of the area it
// frames (or its own blurred fringe, on a scan) lie within its width and a
// pixel or two; two pieces of ink found at other thresholds, within one and
// a half pixels.
bool SameLine(const TBand& A, const TBand& B)
{
    if (A.Ink == B.Ink)
        return std::abs(A.At - B.At) < 1.5;
    const TBand& ink = A.Ink ? A : B;
    return std::abs(A.At - B.At) <= 0.5 * (ink.Last - ink.First + 1) + 2;
}

// A line crossed by a curve or a label comes in pieces, and a frame's ink
// and the edge of the area it frames are found a fraction of a pixel
// apart: one line again, the first found (ink before edges) keeping its
// centre.
void Join(std::vector<TBand>& Bands, int Bridge)
{
    for (bool joined = true; joined;) {
        joined = false;
        for (std::size_t i = 0; i < Bands.size() && !joined; ++i)
            for (std::size_t j = i + 1; j < Bands.size() && !joined; ++j) {
                TBand& a = Bands[i];
                const TBand& b = Bands[j];
                if (SameLine(a, b) && b.From - a.To <= Bridge && a.From - b.To <= Bridge) {
                    a.From = std::min(a.From, b.From);
                    a.To = std::max(a.To, b.To);
                    if (a.Ink == b.Ink) {
                        a.First = std::min(a.First, b.First);
                        a.Last = std::max(a.Last, b.Last);
                    }
                    Bands.erase(Bands.begin() + std::ptrdiff_t(j));
                    joined = true;
                }
            }
    }
}

class TFinder {
public:
    TFinder(const TGrayPicture& Picture, QRect Within)
        : P(Picture), R(Within), W(Within.width()), H(Within.height()), Side(std::max(W, H)),
          Bg(Ground(Picture, Within)), Ink(std::size_t(W) * std::size_t(H)), Line(Ink.size()), Shade(Ink.size())
    {
        // Ink is well darker than the ground; a line may be lighter (a grey
        // frame); a shaded area's edge is a step of a few levels that noise
        // seldom makes over a long run.
        const int inkBelow = Bg * 65 / 100;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int g = P.At(R.left() + x, R.top() + y);
                Ink[Index(x, y)] = g < inkBelow;
                Line[Index(x, y)] = g < Bg - 40;
                Shade[Index(x, y)] = std::abs(g - Bg) > 14;
            }
    }

    TAxisMarks Find();

private:
    std::size_t Index(int X, int Y) const { return std::size_t(Y) * std::size_t(W) + std::size_t(X); }
    int Darkness(int X, int Y) const { return std::max(0, Bg - int(P.At(R.left() + X, R.top() + Y))); }

    template <class Test> std::vector<TBand> Bands(bool Level, bool IsInk, Test Marked) const;
    void LeaveOut(const std::vector<TBand>& Bands, bool Level, std::vector<char>& Mask) const;
    std::vector<TComponent> Components(std::vector<char>& Mask) const;
    std::optional<double> Across(const TComponent& C, bool Vertical) const;
    double Beyond(const TBand& Line, bool Level, double End, const TBand& Crossing) const;
    std::vector<TTickMark> CornerTicks(const std::vector<TBand>& Level, const std::vector<TBand>& Upright) const;
    bool Tick(const TComponent& C, const std::vector<TBand>& Level, const std::vector<TBand>& Upright,
              TTickMark& Tick) const;
    std::vector<TGlyphRun> Runs(std::vector<TComponent> Glyphs) const;

    const TGrayPicture& P;
    const QRect R;
    const int W, H, Side;
    const int Bg;
    std::vector<char> Ink, Line, Shade;
};

// Runs of Marked positions along each row (Level) or column, with gaps as
// wide as a tick or a grid line at most, joined across neighbouring rows
// into bands, and along a line where a curve crosses it; a fifth of the
// area long.
template <class Test> std::vector<TBand> TFinder::Bands(bool Level, bool IsInk, Test Marked) const
{
    const int along = Level ? W : H, across = Level ? H : W;
    // A shaded area's edge is broken by every tick and grid line on it.
    const int least = std::max(12, along / 10), widest = IsInk ? 2 : 2 + Side / 400;
    std::vector<TBand> bands;
    std::vector<std::size_t> open;
    for (int a = 0; a < across; ++a) {
        std::vector<std::size_t> still;
        for (int s = 0; s < along;) {
            if (!Marked(Level ? s : a, Level ? a : s)) {
                ++s;
                continue;
            }
            int e = s, gap = 0;
            for (int t = s + 1; t < along && gap <= widest; ++t) {
                if (Marked(Level ? t : a, Level ? a : t)) {
                    e = t;
                    gap = 0;
                } else {
                    ++gap;
                }
            }
            if (e - s + 1 >= least) {
                std::size_t joined = bands.size();
                for (const std::size_t b : open)
                    if (bands[b].Last == a - 1 && bands[b].From <= e && bands[b].To >= s)
                        joined = b;
                if (joined == bands.size())
                    bands.push_back({0, s, e, a, a, IsInk});
                TBand& band = bands[joined];
                band.From = std::min(band.From, s);
                band.To = std::max(band.To, e);
                band.Last = a;
                still.push_back(joined);
            }
            s = e + 1;
        }
        open = still;
    }
    for (TBand& b : bands) {
        if (!IsInk) {
            b.At = 0.5 * (b.First + b.Last) - 0.5;
            continue;
        }
        // The centre of the line's darkness across it, edges included.
        double sum = 0, weight = 0;
        for (int a = std::max(0, b.First - 1); a <= std::min(across - 1, b.Last + 1); ++a)
            for (int s = b.From; s <= b.To; ++s) {
                const int d = Level ? Darkness(s, a) : Darkness(a, s);
                sum += double(d) * a;
                weight += d;
            }
        b.At = weight > 0 ? sum / weight : 0.5 * (b.First + b.Last);
    }
    Join(bands, std::max(8, Side / 40));
    bands.erase(std::remove_if(bands.begin(), bands.end(),
                               [along](const TBand& b) { return b.To - b.From + 1 < std::max(24, along / 5); }),
                bands.end());
    return bands;
}

// Clears the lines' ink, and a pixel either side where anti-aliasing
// leaves a trace, so that the ticks standing on them come apart.
void TFinder::LeaveOut(const std::vector<TBand>& Bands, bool Level, std::vector<char>& Mask) const
{
    for (const TBand& b : Bands)
        for (int a = std::max(0, b.First - 1); a <= std::min((Level ? H : W) - 1, b.Last + 1); ++a)
            for (int s = b.From; s <= b.To; ++s)
                Mask[Level ? Index(s, a) : Index(a, s)] = 0;
}

std::vector<TComponent> TFinder::Components(std::vector<char>& Mask) const
{
    std::vector<TComponent> found;
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (!Mask[Index(x, y)])
                continue;
            TComponent c{x, y, x, y};
            Mask[Index(x, y)] = 0;
            stack.push_back({x, y});
            while (!stack.empty()) {
                const auto [px, py] = stack.back();
                stack.pop_back();
                const double d = Darkness(px, py);
                ++c.Count;
                c.Weight += d;
                c.SumX += d * px;
                c.SumY += d * py;
                c.Left = std::min(c.Left, px);
                c.Right = std::max(c.Right, px);
                c.Top = std::min(c.Top, py);
                c.Bottom = std::max(c.Bottom, py);
                for (int ny = std::max(0, py - 1); ny <= std::min(H - 1, py + 1); ++ny)
                    for (int nx = std::max(0, px - 1); nx <= std::min(W - 1, px + 1); ++nx)
                        if (Mask[Index(nx, ny)]) {
                            Mask[Index(nx, ny)] = 0;
                            stack.push_back({nx, ny});
                        }
            }
            found.push_back(c);
        }
    return found;
}

// Where a stroke's darkness centres across it: its anti-aliased edges
// count, against the ground two pixels beyond them on either side, along
// the stretch where both sides are alike; none when most of it is not (a
// tick along another line, cut short by it).
std::optional<double> TFinder::Across(const TComponent& C, bool Vertical) const
{
    const int from = (Vertical ? C.Left : C.Top) - 2, to = (Vertical ? C.Right : C.Bottom) + 2;
    const int first = Vertical ? C.Top : C.Left, last = Vertical ? C.Bottom : C.Right;
    if (from < 0 || to >= (Vertical ? W : H))
        return Vertical ? C.SumX / C.Weight : C.SumY / C.Weight;
    double sum = 0, weight = 0;
    int spoilt = 0;
    for (int a = first; a <= last; ++a) {
        const auto gray = [&](int s) { return double(Vertical ? P.At(R.left() + s, R.top() + a) : P.At(R.left() + a, R.top() + s)); };
        if (std::abs(gray(from) - gray(to)) > 30) {
            ++spoilt;
            continue;
        }
        const double ground = 0.5 * (gray(from) + gray(to));
        for (int s = from + 1; s < to; ++s) {
            sum += (ground - gray(s)) * s;
            weight += ground - gray(s);
        }
    }
    if (2 * spoilt > last - first + 1 || weight <= 0)
        return std::nullopt;
    return sum / weight;
}

// A short solid stroke across a line, one end on it.
bool TFinder::Tick(const TComponent& C, const std::vector<TBand>& Level, const std::vector<TBand>& Upright,
                   TTickMark& Tick) const
{
    const int thick = std::min(C.Width(), C.Height()), length = std::max(C.Width(), C.Height());
    if (length < 3 || length < 1.2 * thick || thick > 3 + Side / 200 || length > Side * 45 / 1000 ||
        C.Count < 0.6 * thick * length || C.Weight <= 0)
        return false;
    const bool vertical = C.Height() > C.Width();
    const std::optional<double> centre = Across(C, vertical);
    if (!centre)
        return false;
    const double along = *centre;
    const int near = vertical ? C.Top : C.Left, far = vertical ? C.Bottom : C.Right;
    double best = INFINITY;
    for (const TBand& b : vertical ? Level : Upright) {
        if (along < b.From - 2 || along > b.To + 2)
            continue;
        // From the line's centre to the tick's end: the line's half width
        // and the pixel cleared either side; from a shaded edge, the light
        // line a plotting program may draw along it, wider at a higher
        // resolution.
        const double reach = b.Ink ? 0.5 * (b.Last - b.First) + 3.5 : 3.5 + Side / 600.0;
        const double before = near - b.At, after = b.At - far;
        for (const double d : {before, after})
            if (d > -1 && d <= reach && std::abs(d) < best) {
                best = std::abs(d);
                const double outer = d == before ? far + 0.5 : near - 0.5;
                Tick.Vertical = vertical;
                Tick.Axis = vertical ? QPointF(along, b.At) : QPointF(b.At, along);
                Tick.Outer = vertical ? QPointF(along, outer) : QPointF(outer, along);
            }
    }
    return best < INFINITY;
}

// Where Line's stretch beyond the line Crossing, out to End, centres
// across: a corner tick's own place, which the line's whole length may miss
// by half a pixel on a scan. The line's centre when too little of it shows,
// or when something else darkens it.
double TFinder::Beyond(const TBand& Line, bool Level, double End, const TBand& Crossing) const
{
    const double clear = 0.5 * (Crossing.Last - Crossing.First) + 2.5;
    const int from = int(std::ceil(std::min(End, Crossing.At + clear))), to = int(std::floor(std::max(End, Crossing.At - clear)));
    const int near = std::min(from, to), far = std::max(from, to);
    const int first = Line.First - 2, last = Line.Last + 2;
    if (Line.To < far || Line.From > near || far - near < 2 || first < 0 || last >= (Level ? H : W))
        return Line.At;
    double sum = 0, weight = 0;
    for (int s = near; s <= far; ++s) {
        const auto gray = [&](int a) { return double(Level ? P.At(R.left() + s, R.top() + a) : P.At(R.left() + a, R.top() + s)); };
        const double ground = 0.5 * (gray(first) + gray(last));
        for (int a = first + 1; a < last; ++a) {
            sum += (ground - gray(a)) * a;
            weight += ground - gray(a);
        }
    }
    // A tick is in line with the frame to a fraction of a pixel; more is
    // something else beside it.
    return weight > 0 && std::abs(sum / weight - Line.At) < 1 ? sum / weight : Line.At;
}

// A tick at a corner of a frame lies along the other side's line and is
// taken for part of it: that line then reaches beyond the axis by a tick.
std::vector<TTickMark> TFinder::CornerTicks(const std::vector<TBand>& Level, const std::vector<TBand>& Upright) const
{
    std::vector<TTickMark> ticks;
    const double longest = Side * 45 / 1000;
    for (const TBand& l : Level)
        for (const TBand& u : Upright) {
            if (!l.Ink || !u.Ink || l.At < u.From - 2 || l.At > u.To + 2 || u.At < l.From - 2 || u.At > l.To + 2)
                continue;
            // Beyond the crossing by more than the other line's half width
            // and its cap.
            const double leastY = 0.5 * (u.Last - u.First) + 3, leastX = 0.5 * (l.Last - l.First) + 3;
            for (const double end : {double(l.From) - 0.5, double(l.To) + 0.5})
                if (const double reach = std::abs(end - u.At); reach >= leastY && reach <= longest) {
                    const double y = Beyond(l, true, end, u);
                    ticks.push_back({QPointF(u.At, y), QPointF(end, y), false, true});
                }
            for (const double end : {double(u.From) - 0.5, double(u.To) + 0.5})
                if (const double reach = std::abs(end - l.At); reach >= leastX && reach <= longest) {
                    const double x = Beyond(u, false, end, l);
                    ticks.push_back({QPointF(x, l.At), QPointF(x, end), true, true});
                }
        }
    return ticks;
}

// Ticks of one axis may stand on lines found a pixel apart (a frame's ink
// and the edge of the area it frames): all take the line most stand on.
void OneLine(std::vector<TTickMark>& Ticks, std::size_t From)
{
    for (const bool vertical : {true, false}) {
        const auto across = [vertical](const TTickMark& t) { return vertical ? t.Axis.y() : t.Axis.x(); };
        std::vector<TTickMark*> ticks;
        for (std::size_t i = From; i < Ticks.size(); ++i)
            if (Ticks[i].Vertical == vertical)
                ticks.push_back(&Ticks[i]);
        std::sort(ticks.begin(), ticks.end(), [&](const TTickMark* a, const TTickMark* b) { return across(*a) < across(*b); });
        for (std::size_t i = 0; i < ticks.size();) {
            std::size_t j = i + 1;
            while (j < ticks.size() && across(*ticks[j]) - across(*ticks[j - 1]) <= 1.5)
                ++j;
            std::map<double, int> counts;
            for (std::size_t k = i; k < j; ++k)
                ++counts[across(*ticks[k])];
            const double common = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                                      return a.second < b.second;
                                  })->first;
            for (std::size_t k = i; k < j; ++k) {
                const double shift = common - across(*ticks[k]);
                (vertical ? ticks[k]->Axis.ry() : ticks[k]->Axis.rx()) = common;
                (vertical ? ticks[k]->Outer.ry() : ticks[k]->Outer.rx()) += shift;
            }
            i = j;
        }
    }
}

// Glyphs side by side at one height make a run; a raised run of smaller
// ones after it (an exponent) is a run of its own.
std::vector<TGlyphRun> TFinder::Runs(std::vector<TComponent> Glyphs) const
{
    std::sort(Glyphs.begin(), Glyphs.end(), [](const TComponent& a, const TComponent& b) { return a.Left < b.Left; });
    const int tallest = Side * 8 / 100;
    std::vector<std::size_t> parent(Glyphs.size());
    std::iota(parent.begin(), parent.end(), 0);
    const auto root = [&parent](std::size_t i) {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    };
    for (std::size_t i = 0; i < Glyphs.size(); ++i) {
        const TComponent& a = Glyphs[i];
        for (std::size_t j = i + 1; j < Glyphs.size() && Glyphs[j].Left <= a.Right + tallest / 2; ++j) {
            const TComponent& b = Glyphs[j];
            const int overlap = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top) + 1;
            const int gap = b.Left - a.Right - 1;
            if (overlap >= 0.35 * std::min(a.Height(), b.Height()) && gap <= 0.45 * std::max(a.Height(), b.Height()))
                parent[root(j)] = root(i);
        }
    }
    std::vector<std::vector<const TComponent*>> words(Glyphs.size());
    for (std::size_t i = 0; i < Glyphs.size(); ++i)
        words[root(i)].push_back(&Glyphs[i]);
    std::vector<TGlyphRun> runs;
    int id = 0;
    const auto add = [&](std::vector<const TComponent*> Part, bool Raised) {
        // A level bar at mid height before the digits.
        int height = 0, top = INT_MAX, bottom = 0;
        for (const TComponent* c : Part) {
            height = std::max(height, c->Height());
            top = std::min(top, c->Top);
            bottom = std::max(bottom, c->Bottom);
        }
        const TComponent* first = Part.front();
        const double middle = 0.5 * (first->Top + first->Bottom);
        const bool minus = Part.size() > 1 && first->Height() <= 0.3 * height &&
                           first->Width() >= 1.5 * first->Height() && middle > top + 0.25 * height &&
                           middle < bottom - 0.25 * height;
        QRect box, text;
        int dots = 0;
        for (const TComponent* c : Part) {
            dots += std::max(c->Width(), c->Height()) <= 0.3 * height && c->Bottom >= bottom - 0.3 * height;
            const QRect glyph = QRect(QPoint(c->Left, c->Top), QPoint(c->Right, c->Bottom)).translated(R.topLeft());
            box |= glyph;
            if (!minus || c != first)
                text |= glyph;
        }
        runs.push_back({box, int(Part.size()), id, minus, text, Raised, dots});
    };
    for (const auto& word : words) {
        ++id;
        if (word.empty() || word.size() > 12)
            continue;
        int height = 0;
        for (const TComponent* c : word)
            height = std::max(height, c->Height());
        if (height < 4 || height > tallest)
            continue;
        int baseline = 0, end = 0;
        for (const TComponent* c : word)
            if (c->Height() >= 0.6 * height)
                baseline = std::max(baseline, c->Bottom);
        for (const TComponent* c : word)
            if (c->Height() >= 0.6 * height && c->Bottom >= baseline - 0.15 * height)
                end = std::max(end, c->Right);
        std::vector<const TComponent*> base, raised;
        for (const TComponent* c : word)
            (c->Left >= end - 1 && c->Bottom < baseline - 0.25 * height ? raised : base).push_back(c);
        if (base.empty())
            continue;
        add(base, false);
        if (!raised.empty())
            add(raised, true);
    }
    return runs;
}

TAxisMarks TFinder::Find()
{
    TAxisMarks marks;
    // Light strokes on a dark ground are not what this reads.
    if (Bg < 128 || W < 16 || H < 16)
        return marks;
    const auto ink = [this](int x, int y) { return Ink[Index(x, y)] != 0; };
    const auto line = [this](int x, int y) { return Line[Index(x, y)] != 0; };
    std::vector<TBand> level = Bands(true, true, ink), upright = Bands(false, true, ink);
    // A grey line (a light frame) too, but not the edge of a grey margin.
    const int thickest = 3 + Side / 150;
    for (const auto& [bands, isLevel] : {std::pair{&level, true}, std::pair{&upright, false}}) {
        const std::size_t dark = bands->size();
        for (const TBand& b : Bands(isLevel, true, line))
            if (b.Last - b.First < thickest &&
                std::none_of(bands->begin(), bands->begin() + std::ptrdiff_t(dark), [&b](const TBand& d) {
                    return d.First <= b.Last && d.Last >= b.First && d.From <= b.To && d.To >= b.From;
                }))
                bands->push_back(b);
    }
    std::vector<char> rest = Ink;
    LeaveOut(level, true, rest);
    LeaveOut(upright, false, rest);
    const auto levelEdge = [this](int x, int y) {
        return y > 0 && Shade[Index(x, y)] != Shade[Index(x, y - 1)] && !Line[Index(x, y)] && !Line[Index(x, y - 1)];
    };
    const auto uprightEdge = [this](int x, int y) {
        return x > 0 && Shade[Index(x, y)] != Shade[Index(x - 1, y)] && !Line[Index(x, y)] && !Line[Index(x - 1, y)];
    };
    for (TBand& b : Bands(true, false, levelEdge))
        level.push_back(b);
    for (TBand& b : Bands(false, false, uprightEdge))
        upright.push_back(b);
    Join(level, 3);
    Join(upright, 3);

    const QPointF offset = R.topLeft();
    for (const TTickMark& t : CornerTicks(level, upright))
        marks.Ticks.push_back({t.Axis + offset, t.Outer + offset, t.Vertical, true});
    for (const auto& [bands, isLevel] : {std::pair{&level, true}, std::pair{&upright, false}})
        for (const TBand& b : *bands)
            marks.Lines.push_back(isLevel ? QLineF(b.From, b.At, b.To, b.At).translated(offset)
                                          : QLineF(b.At, b.From, b.At, b.To).translated(offset));
    std::vector<TComponent> glyphs;
    const std::size_t corners = marks.Ticks.size();
    for (const TComponent& c : Components(rest)) {
        TTickMark tick;
        if (Tick(c, level, upright, tick))
            marks.Ticks.push_back({tick.Axis + offset, tick.Outer + offset, tick.Vertical});
        else if (std::max(c.Width(), c.Height()) <= Side * 8 / 100)
            glyphs.push_back(c);
    }
    OneLine(marks.Ticks, corners);
    // Labels stand beside ticks; a factor or offset beside a line's end. A
    // word is kept whole or not at all: part of one ("+2" of "+2e3") would
    // read as another number.
    std::vector<QPointF> ends;
    for (const TTickMark& t : marks.Ticks)
        ends.push_back(t.Outer);
    for (const QLineF& l : marks.Lines)
        ends.insert(ends.end(), {l.p1(), l.p2()});
    const std::vector<TGlyphRun> runs = Runs(std::move(glyphs));
    std::set<int> kept;
    for (const TGlyphRun& run : runs) {
        const QRectF box(run.Box);
        // Only glyphs within reach of a tick's end can label it.
        if (std::none_of(marks.Ticks.begin(), marks.Ticks.end(), [&](const TTickMark& t) {
                return std::max({0.0, box.left() - t.Outer.x(), t.Outer.x() - box.right()}) +
                           std::max({0.0, box.top() - t.Outer.y(), t.Outer.y() - box.bottom()}) <=
                       0.15 * Side;
            }))
            continue;
        for (const QPointF& e : ends) {
            const double dx = std::max({0.0, box.left() - e.x(), e.x() - box.right() - 1});
            const double dy = std::max({0.0, box.top() - e.y(), e.y() - box.bottom() - 1});
            if (std::hypot(dx, dy) <= 4.0 * box.height() + 6) {
                kept.insert(run.Word);
                break;
            }
        }
    }
    for (const TGlyphRun& run : runs)
        if (kept.count(run.Word))
            marks.Runs.push_back(run);
    return marks;
}

} // namespace

TAxisMarks FindAxisMarks(const TGrayPicture& Picture, QRect Within)
{
    const QRect whole(0, 0, Picture.Width, Picture.Height);
    return TFinder(Picture, Within.isEmpty() ? whole : Within.intersected(whole)).Find();
}

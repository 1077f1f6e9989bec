#include "DrawingAxes.h"

#include "platform/DateText.h"

#include <QDate>
#include <QLineF>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <set>

namespace {

// A tick is a short straight stroke across its axis: at most this share of
// the page's larger side.
constexpr double TickShare = 0.03;
// Ticks of one axis meet it on one line, to this many pixels.
constexpr double SameLine = 0.75;
// A label's value more than this far (in pixels) from the line through the
// others is a misread.
constexpr double Misfit = 0.5;
// Powers of ten a double holds.
constexpr int MaxPower = 300;
// Labelled ticks an axis may have.
constexpr std::size_t MaxLabels = 100;

struct TTick {
    QPointF Axis, Outer;
    bool Vertical; // across a horizontal axis: an X tick
};

struct TLabel {
    double Value;
    QRectF Box;
    bool Power; // written as 10 with a raised exponent
    bool Used = false;
    // A power of ten written as a factor ("1e6", "10" raised to 6) that a
    // plotting program shows once beyond an axis's end for all its labels.
    bool Factor = false;
    // Written with its sign ("+1.995e3"): beyond an axis's end, an offset
    // added to all its labels.
    bool Signed = false;
    // A date (2020-03-15, or a month as 2020-03), as seconds since 1970.
    bool Date = false;
};

QRectF Bounds(const std::vector<QPointF>& Points)
{
    double left = std::numeric_limits<double>::max(), top = left, right = -left, bottom = -left;
    for (const QPointF& v : Points) {
        left = std::min(left, v.x());
        right = std::max(right, v.x());
        top = std::min(top, v.y());
        bottom = std::max(bottom, v.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// Short strokes, upright or level, each once (a producer may fill and then
// stroke the same tick).
std::vector<TTick> Ticks(const TDrawing& Drawing, double PageSide)
{
    std::vector<TTick> ticks;
    std::set<std::array<double, 4>> seen;
    for (const TDrawnPath& p : Drawing.Paths) {
        if (!p.Stroked || p.Points.size() != 2 || p.Starts.size() != 1)
            continue;
        const QPointF a = p.Points[0], b = p.Points[1];
        const double length = QLineF(a, b).length();
        if (length <= 0.5 || length > TickShare * PageSide)
            continue;
        const bool vertical = std::abs(a.x() - b.x()) <= 1e-6 * length;
        const bool level = std::abs(a.y() - b.y()) <= 1e-6 * length;
        if (!vertical && !level)
            continue;
        if (seen.insert({a.x(), a.y(), b.x(), b.y()}).second)
            ticks.push_back({a, b, vertical});
    }
    return ticks;
}

// A minus sign drawn as a bar just left of a label, as mathematical text is
// typeset: a thin filled rectangle about as long as half a digit is high.
std::optional<QRectF> MinusBar(const TDrawing& Drawing, const QRectF& Box)
{
    const double h = Box.height();
    for (const TDrawnPath& p : Drawing.Paths) {
        if (!p.Filled || p.Stroked || p.Points.size() < 4 || p.Points.size() > 5)
            continue;
        const QRectF bar = Bounds(p.Points);
        if (bar.height() > 0.15 * h || bar.width() < 0.1 * h || bar.width() > 0.8 * h)
            continue;
        const double gap = Box.left() - bar.right();
        if (gap >= -0.05 * h && gap <= 0.5 * h && bar.center().y() > Box.top() + 0.2 * h &&
            bar.center().y() < Box.bottom() - 0.1 * h)
            return bar;
    }
    return std::nullopt;
}

// The page's numbers, a bar before one making it negative, and 10 with a
// raised number after it read as a power of ten.
std::vector<TLabel> Labels(const TDrawing& Drawing)
{
    std::vector<TLabel> labels;
    for (const TDrawnText& t : Drawing.Texts)
        if (const std::optional<double> value = TickLabelValue(t.Text)) {
            TLabel label{*value, t.Box, false};
            static const QRegularExpression factor(QStringLiteral("^1[eE][-+\u2212]?\\d+$"));
            label.Factor = factor.match(t.Text.trimmed()).hasMatch();
            label.Signed = t.Text.trimmed().startsWith(u'+') || t.Text.trimmed().startsWith(u'-') ||
                           t.Text.trimmed().startsWith(QChar(0x2212));
            if (const std::optional<QRectF> bar = MinusBar(Drawing, t.Box); bar && *value > 0) {
                label.Value = -*value;
                label.Box = label.Box.united(*bar);
                label.Signed = true;
            }
            labels.push_back(label);
        } else if (const std::optional<double> date = TickLabelDate(t.Text)) {
            TLabel label{*date, t.Box, false};
            label.Date = true;
            labels.push_back(label);
        }
    std::vector<bool> exponent(labels.size(), false);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        TLabel& ten = labels[i];
        if (ten.Value != 10 || ten.Date)
            continue;
        const double h = ten.Box.height();
        for (std::size_t j = 0; j < labels.size(); ++j) {
            const TLabel& e = labels[j];
            // Boxes read off pixels may overlap by one where blur joins them.
            const double gap = e.Box.left() - ten.Box.right();
            if (j == i || exponent[j] || e.Date || e.Value != std::nearbyint(e.Value) || std::abs(e.Value) > MaxPower ||
                gap < -0.05 * h - 1 || gap > 0.6 * h ||
                e.Box.height() >= 0.9 * h || e.Box.bottom() >= ten.Box.bottom() - 0.1 * h ||
                e.Box.bottom() <= ten.Box.top())
                continue;
            ten.Value = std::pow(10.0, e.Value);
            ten.Box = ten.Box.united(e.Box);
            ten.Power = ten.Factor = true;
            exponent[j] = true;
            break;
        }
    }
    std::vector<TLabel> kept;
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (!exponent[i])
            kept.push_back(labels[i]);
    return kept;
}

// The long level and upright strokes a chart's axes are drawn as.
std::vector<QLineF> Spines(const TDrawing& Drawing, double PageSide)
{
    std::vector<QLineF> spines;
    for (const TDrawnPath& p : Drawing.Paths) {
        if (!p.Stroked || p.Points.size() > 6)
            continue;
        for (std::size_t i = 1; i < p.Points.size(); ++i) {
            const QLineF s(p.Points[i - 1], p.Points[i]);
            if (s.length() > TickShare * PageSide && (std::abs(s.dx()) <= 1e-6 * s.length() || std::abs(s.dy()) <= 1e-6 * s.length()))
                spines.push_back(s);
        }
    }
    return spines;
}

// The spine a tick stands on, or -1.
int SpineOf(const TTick& Tick, const std::vector<QLineF>& Spines)
{
    for (std::size_t i = 0; i < Spines.size(); ++i) {
        const QLineF& s = Spines[i];
        const QRectF box = QRectF(s.p1(), s.p2()).normalized().adjusted(-SameLine, -SameLine, SameLine, SameLine);
        if (box.contains(Tick.Axis) && (std::abs(s.dy()) <= 1e-6 * s.length()) == Tick.Vertical)
            return int(i);
    }
    return -1;
}

// The ticks of each axis: grouped by the spine they stand on (charts side
// by side share a line, not a spine), else by the line they meet; in order
// along it.
std::vector<std::vector<TTick>> AxisLines(const std::vector<TTick>& Ticks, const std::vector<QLineF>& Spines,
                                          bool Vertical)
{
    std::vector<std::vector<TTick>> lines;
    std::vector<int> spineOf;
    for (const TTick& t : Ticks) {
        if (t.Vertical != Vertical)
            continue;
        const int spine = SpineOf(t, Spines);
        const double across = Vertical ? t.Axis.y() : t.Axis.x();
        std::size_t i = 0;
        for (; i < lines.size(); ++i) {
            const QPointF a = lines[i].front().Axis;
            if (spineOf[i] == spine && std::abs((Vertical ? a.y() : a.x()) - across) <= SameLine)
                break;
        }
        if (i == lines.size()) {
            lines.push_back({t});
            spineOf.push_back(spine);
        } else {
            lines[i].push_back(t);
        }
    }
    for (auto& line : lines)
        std::sort(line.begin(), line.end(), [Vertical](const TTick& a, const TTick& b) {
            return Vertical ? a.Axis.x() < b.Axis.x() : a.Axis.y() < b.Axis.y();
        });
    return lines;
}

// How far a label lies from a tick it may name: centred on it along the
// axis, within a few of its own heights of the axis; none when it may not.
std::optional<double> LabelDistance(const TTick& Tick, const TLabel& Label)
{
    const QRectF& b = Label.Box;
    const double h = b.height();
    const double along =
        Tick.Vertical ? std::abs(b.center().x() - Tick.Axis.x()) : std::abs(b.center().y() - Tick.Axis.y());
    const double within = Tick.Vertical ? 0.5 * b.width() + 0.25 * h : 0.5 * h;
    const double outwards =
        Tick.Vertical ? std::abs(b.center().y() - Tick.Axis.y()) : std::abs(b.center().x() - Tick.Axis.x());
    const double reach = Tick.Vertical ? 3 * h : 3 * h + b.width();
    if (along > within || outwards > reach)
        return std::nullopt;
    return along + 0.1 * outwards;
}

// Each free label names the tick of Line it is best centred on (a labelled
// major tick, not the minor one beside it); a tick keeps its nearest label.
std::vector<TLabel*> LabelsOf(const std::vector<TTick>& Line, std::vector<TLabel>& Labels)
{
    std::vector<TLabel*> named(Line.size(), nullptr);
    std::vector<double> distance(Line.size(), std::numeric_limits<double>::max());
    for (TLabel& l : Labels) {
        if (l.Used)
            continue;
        std::size_t best = Line.size();
        double bestDistance = std::numeric_limits<double>::max();
        for (std::size_t i = 0; i < Line.size(); ++i)
            if (const std::optional<double> d = LabelDistance(Line[i], l); d && *d < bestDistance) {
                bestDistance = *d;
                best = i;
            }
        if (best < Line.size() && bestDistance < distance[best]) {
            distance[best] = bestDistance;
            named[best] = &l;
        }
    }
    return named;
}

struct TLineFit {
    double A = 0, B = 0;
};

TLineFit FitLine(const std::vector<double>& T, const std::vector<double>& V)
{
    const double n = double(T.size());
    double st = 0, sv = 0;
    for (std::size_t i = 0; i < T.size(); ++i) {
        st += T[i];
        sv += V[i];
    }
    const double mt = st / n, mv = sv / n;
    double stt = 0, stv = 0;
    for (std::size_t i = 0; i < T.size(); ++i) {
        stt += (T[i] - mt) * (T[i] - mt);
        stv += (T[i] - mt) * (V[i] - mv);
    }
    const double b = stt > 0 ? stv / stt : 0;
    return {mv - b * mt, b};
}

// The ticks that agree with the line through the pair of them most others
// lie on within Misfit: a misread at an axis's end pulls a least-squares
// line so far that another tick looks the worst.
std::vector<std::size_t> Agreeing(const std::vector<double>& T, const std::vector<double>& V)
{
    std::vector<std::size_t> best(T.size());
    std::iota(best.begin(), best.end(), 0);
    if (T.size() <= 2)
        return best;
    best.clear();
    // No axis has so many labels; the search is cubic in them.
    if (T.size() > MaxLabels)
        return best;
    double bestSpread = INFINITY;
    for (std::size_t i = 0; i < T.size(); ++i)
        for (std::size_t j = i + 1; j < T.size(); ++j) {
            if (T[i] == T[j] || V[i] == V[j])
                continue;
            const double b = (V[j] - V[i]) / (T[j] - T[i]), a = V[i] - b * T[i];
            std::vector<std::size_t> agree;
            double spread = 0;
            for (std::size_t k = 0; k < T.size(); ++k)
                if (const double r = std::abs((V[k] - a - b * T[k]) / b); r <= Misfit) {
                    agree.push_back(k);
                    spread += r;
                }
            if (agree.size() > best.size() || (agree.size() == best.size() && spread < bestSpread)) {
                best = agree;
                bestSpread = spread;
            }
        }
    return best;
}

// Fits the labelled ticks of one line, linear or log10, leaving out those
// that do not agree with the most of them.
TDrawnAxis FitAxis(const std::vector<TDrawnTick>& Ticks, bool Along, bool Powers, bool Dates)
{
    TDrawnAxis best;
    double bestWorst = std::numeric_limits<double>::max();
    const bool positive = std::all_of(Ticks.begin(), Ticks.end(), [](const TDrawnTick& t) { return t.Value > 0; });
    for (const bool log : {false, true}) {
        if (log && (!positive || Dates))
            continue;
        std::vector<double> t, v;
        for (const TDrawnTick& k : Ticks) {
            t.push_back(Along ? k.At.x() : k.At.y());
            v.push_back(log ? std::log10(k.Value) : k.Value);
        }
        const std::vector<std::size_t> agree = Agreeing(t, v);
        const std::size_t rejected = Ticks.size() - agree.size();
        // A misread is rare: more misfits than a third of the labels, or
        // fewer than three left to agree, is a chart not understood.
        if (agree.size() < 2 || (rejected > 0 && (agree.size() < 3 || 3 * rejected > Ticks.size())))
            continue;
        std::vector<TDrawnTick> ticks;
        std::vector<double> at, value;
        for (const std::size_t k : agree) {
            ticks.push_back(Ticks[k]);
            at.push_back(t[k]);
            value.push_back(v[k]);
        }
        const TLineFit fit = FitLine(at, value);
        if (fit.B == 0)
            continue;
        double worst = 0;
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            ticks[i].Residual = (value[i] - fit.A - fit.B * at[i]) / fit.B;
            worst = std::max(worst, std::abs(ticks[i].Residual));
        }
        if (worst > Misfit)
            continue;
        // Two ticks fit either way: ten and a raised power is what says log
        // then. Labels over a narrow range (2000 to 2015) fit a log line
        // nearly as well as a straight one, which over the whole area it is
        // not: log only where it fits clearly better.
        const double score = ticks.size() <= 2 ? (log == Powers ? 0 : 1) : (log ? 2 * worst : worst);
        if (score < bestWorst) {
            bestWorst = score;
            best = {ticks, log, int(rejected), {}, Dates};
        }
    }
    return best;
}

// How far Point lies from a line of ticks and beyond its span.
double Away(const std::vector<TTick>& Line, QPointF Point)
{
    const bool vertical = Line.front().Vertical;
    const double across = vertical ? Point.y() - Line.front().Axis.y() : Point.x() - Line.front().Axis.x();
    const double along = vertical ? Point.x() : Point.y();
    const double first = vertical ? Line.front().Axis.x() : Line.front().Axis.y();
    const double last = vertical ? Line.back().Axis.x() : Line.back().Axis.y();
    const double outside = std::max({0.0, first - along, along - last});
    return std::abs(across) + 4 * outside;
}

QString AxisName(bool X)
{
    return X ? QStringLiteral("X") : QStringLiteral("Y");
}

QRectF PageBounds(const TDrawing& Drawing)
{
    QRectF page;
    for (const TDrawnPath& p : Drawing.Paths)
        page = page.united(Bounds(p.Points));
    return page;
}

// The factor and the offset shown once beyond the axis's far end: its
// values are the labels' times the factor plus the offset.
struct TAxisScale {
    double Factor = 1;
    double Offset = 0;
};

TAxisScale AxisScale(const TDrawnAxis& Axis, bool X, const std::vector<TLabel>& Labels)
{
    TAxisScale scale;
    for (const TLabel& l : Labels) {
        if (l.Used || !(l.Factor || l.Signed) || !BeyondAxisEnd(Axis, X, l.Box))
            continue;
        if (l.Signed)
            scale.Offset = l.Value;
        else
            scale.Factor = l.Value;
    }
    return scale;
}

} // namespace

std::optional<double> TickLabelDate(const QString& Text)
{
    const QString t = Text.trimmed();
    // A month, as date axes label theirs, is its first day.
    static const QRegularExpression month(QStringLiteral("^\\d{4}-\\d{2}$"));
    static const QRegularExpression day(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (month.match(t).hasMatch())
        return ParseDateTime(t + QStringLiteral("-01"));
    if (day.match(t).hasMatch())
        return ParseDateTime(t);
    // English month names as plotting programs write them: May 01 2020,
    // May 1, 2020, 1 May 2020, May 2020.
    static const QRegularExpression named(QStringLiteral(
        "^(?:([A-Za-z]{3,9})\\.? (\\d{1,2})[,.]? |(\\d{1,2}) ([A-Za-z]{3,9})\\.? |([A-Za-z]{3,9})\\.? )(\\d{4})$"));
    const QRegularExpressionMatch m = named.match(t.simplified());
    if (!m.hasMatch())
        return std::nullopt;
    static const QStringList months{"january", "february", "march",     "april",   "may",      "june",
                                    "july",    "august",   "september", "october", "november", "december"};
    const QString name = (m.captured(1) + m.captured(4) + m.captured(5)).toLower();
    const auto which = std::find_if(months.begin(), months.end(), [&name](const QString& full) {
        return name == full || (name.size() == 3 && full.startsWith(name)) || (name == QStringLiteral("sept") && full == QStringLiteral("september"));
    });
    const QString dayText = m.captured(2) + m.captured(3);
    const QDate date(m.captured(6).toInt(), int(which - months.begin()) + 1, dayText.isEmpty() ? 1 : dayText.toInt());
    if (which == months.end() || !date.isValid())
        return std::nullopt;
    return ParseDateTime(date.toString(Qt::ISODate));
}

bool BeyondAxisEnd(const TDrawnAxis& Axis, bool X, const QRectF& Box)
{
    const QPointF end = Axis.End;
    const QRectF& b = Box;
    const double h = b.height();
    return X ? b.right() > end.x() - b.width() && b.top() > end.y() && b.top() < end.y() + 4 * h
             : b.bottom() < end.y() + 0.5 * h && b.bottom() > end.y() - 3 * h && b.left() < end.x() + 3 * h &&
                   b.right() > end.x() - 6 * h;
}

std::vector<QPointF> TickMarks(const TDrawing& Drawing)
{
    const QRectF page = PageBounds(Drawing);
    std::vector<QPointF> marks;
    for (const TTick& t : Ticks(Drawing, std::max(page.width(), page.height())))
        marks.push_back(t.Axis);
    return marks;
}

std::optional<double> TickLabelValue(const QString& Text)
{
    QString t = Text.trimmed();
    t.replace(QChar(0x2212), u'-');
    t.replace(QChar(0x2009), QString()).replace(QChar(0x202F), QString());
    static const QRegularExpression thousands(QStringLiteral("^[-+]?\\d{1,3}(,\\d{3})+(\\.\\d+)?$"));
    if (thousands.match(t).hasMatch())
        t.remove(u',');
    static const QString superscripts = QStringLiteral("⁰¹²³⁴⁵⁶⁷⁸⁹");
    static const QRegularExpression power(QStringLiteral("^([-+]?)10(?:\\^\\{?([-+]?\\d+)\\}?|([⁻⁺]?[⁰¹²³⁴⁵⁶⁷⁸⁹]+))$"));
    if (const QRegularExpressionMatch m = power.match(t); m.hasMatch()) {
        QString exponent = m.captured(2);
        for (const QChar c : m.captured(3))
            exponent += c == QChar(0x207B) ? u'-' : c == QChar(0x207A) ? u'+' : QChar(char16_t(u'0' + superscripts.indexOf(c)));
        bool ok = false;
        const int power = exponent.toInt(&ok);
        if (!ok || std::abs(power) > MaxPower)
            return std::nullopt;
        const double value = std::pow(10.0, power);
        return m.captured(1) == QStringLiteral("-") ? -value : value;
    }
    static const QRegularExpression number(QStringLiteral("^[-+]?(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d+)?$"));
    if (!number.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

TDrawnAxes ReadDrawnAxes(const TDrawing& Drawing, std::optional<QPointF> Near)
{
    TDrawnAxes axes;
    const QRectF page = PageBounds(Drawing);
    const double side = std::max(page.width(), page.height());
    const std::vector<TTick> ticks = Ticks(Drawing, side);
    const std::vector<QLineF> spines = Spines(Drawing, side);
    std::vector<TLabel> labels = Labels(Drawing);
    const QPointF near = Near.value_or(page.center());
    QStringList missing;
    for (const bool x : {true, false}) {
        const std::vector<std::vector<TTick>> lines = AxisLines(ticks, spines, x);
        // The line nearest the chart, and of those, the one with labels.
        std::vector<const std::vector<TTick>*> order;
        for (const auto& line : lines)
            order.push_back(&line);
        // A Y axis of the X axis's own chart stands within its span.
        const auto own = [&](const std::vector<TTick>* line) {
            if (x || axes.X.Ticks.empty())
                return 0;
            const double across = line->front().Axis.x();
            const double first = axes.X.Ticks.front().At.x(), last = axes.X.Ticks.back().At.x();
            const double span = last - first;
            return across >= first - 0.25 * span && across <= last + 0.25 * span ? 0 : 1;
        };
        std::sort(order.begin(), order.end(), [&](const auto* a, const auto* b) {
            return std::pair(own(a), Away(*a, near)) < std::pair(own(b), Away(*b, near));
        });
        TDrawnAxis* axis = x ? &axes.X : &axes.Y;
        bool found = false;
        for (const auto* line : order) {
            std::vector<TDrawnTick> read;
            bool powers = false;
            const std::vector<TLabel*> named = LabelsOf(*line, labels);
            // An axis of dates or of numbers: the kind most labels are.
            const auto dates = std::count_if(named.begin(), named.end(), [](const TLabel* l) { return l && l->Date; });
            const auto numbers = std::count_if(named.begin(), named.end(), [](const TLabel* l) { return l && !l->Date; });
            const bool dated = dates > numbers;
            for (std::size_t i = 0; i < line->size(); ++i)
                if (named[i] && named[i]->Date == dated) {
                    read.push_back({(*line)[i].Axis, named[i]->Value, 0});
                    powers = powers || named[i]->Power;
                }
            if (read.size() >= 2)
                for (TLabel* l : named)
                    if (l)
                        l->Used = true;
            if (read.size() < 2) {
                if (!found && read.empty() && Away(*line, near) == Away(*order.front(), near))
                    for (const TTick& t : *line)
                        axes.Unlabelled.push_back(t.Axis);
                continue;
            }
            const TDrawnAxis fitted = FitAxis(read, x, powers, dated);
            if (fitted.Ticks.size() < 2)
                continue;
            if (found) {
                axes.Several = true;
                break;
            }
            *axis = fitted;
            axis->End = x ? axis->Ticks.back().At : axis->Ticks.front().At;
            if (const int spine = SpineOf(line->front(), spines); spine >= 0) {
                const QLineF& s = spines[std::size_t(spine)];
                axis->End = x ? (s.x1() > s.x2() ? s.p1() : s.p2()) : (s.y1() < s.y2() ? s.p1() : s.p2());
                (x ? axis->End.ry() : axis->End.rx()) = x ? line->front().Axis.y() : line->front().Axis.x();
            }
            found = true;
            // A log axis's labels are its values, and a date axis's: its
            // end's label is no factor.
            if (const TAxisScale scale = AxisScale(*axis, x, labels);
                !axis->Log && !axis->Date && (scale.Factor != 1 || scale.Offset != 0))
                for (TDrawnTick& t : axis->Ticks)
                    t.Value = t.Value * scale.Factor + scale.Offset;
        }
        if (!found)
            missing << (lines.empty() ? QStringLiteral("no ticks along %1").arg(AxisName(x))
                                      : QStringLiteral("no two %1 ticks with labels that fit a line").arg(AxisName(x)));
    }
    if (!missing.isEmpty())
        axes.Problem = QStringLiteral("The drawing shows %1%2.")
                           .arg(missing.join(QStringLiteral(" and ")),
                                labels.empty() && !ticks.empty()
                                    ? QStringLiteral("; none of its text is a number (labels drawn as outlines?)")
                                    : QString());
    return axes;
}

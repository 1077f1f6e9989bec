#include "FindAxes.h"

#include "AxisMarks.h"
#include "LabelReader.h"
#include "Skew.h"
#include "platform/DateText.h"

#include <cmath>
#include <map>
#include <set>

namespace {

// Less than this turn is left alone: resampling would blur more than it
// straightens.
constexpr double Level = 0.02 * 3.14159265358979323846 / 180;
// Labelled ticks an axis needs, and for two alone to do, more care.
constexpr std::size_t MinTicks = 2;

// Whether Box is centred on Tick along its axis, as its label is.
bool CentredOn(const TTickMark& Tick, const QRectF& Box)
{
    const QPointF c = Box.center();
    return std::abs(Tick.Vertical ? c.x() - Tick.Axis.x() : c.y() - Tick.Axis.y()) <= 0.25 * Box.height() + 1;
}

// What Run reads as. A minus sign's bar before a number is read apart from
// it, a label's first (the recogniser takes it for a 2), an exponent's
// when the whole does not read. A sign or an exponent may make it a factor
// or an offset for all of an axis's labels, which no fit can check: such a
// text, and any when Twice, must read alike at two scales.
std::optional<QString> ReadRun(const TGrayPicture& Picture, const TGlyphRun& Run, TLabelReader& Reader,
                               bool Twice = false)
{
    const auto read = [&](const QRect& Box, int Glyphs) {
        std::optional<QString> text =
            Twice ? Reader.ReadTwice(Picture, Box, Glyphs, Run.Dots) : Reader.Read(Picture, Box, Glyphs, Run.Dots);
        if (text && !Twice && (text->startsWith(u'+') || text->startsWith(u'-') || text->contains(u'e')))
            text = Reader.ReadTwice(Picture, Box, Glyphs, Run.Dots);
        return text;
    };
    const auto negative = [&]() -> std::optional<QString> {
        const std::optional<QString> digits = Reader.ReadTwice(Picture, Run.Text, Run.Glyphs - 1, Run.Dots);
        return digits ? std::optional<QString>(u'-' + *digits) : std::nullopt;
    };
    if (!Run.Minus)
        return read(Run.Box, Run.Glyphs);
    if (!Run.Raised)
        return negative();
    const std::optional<QString> whole = read(Run.Box, Run.Glyphs);
    return whole ? whole : negative();
}

// The marks as a drawing the drawn axes' reading takes: a page the
// picture's size, the lines, the ticks as strokes and the labels read;
// Unread gets where glyphs were that read as no number.
TDrawing MarksDrawing(const TGrayPicture& Picture, const TAxisMarks& Marks, TLabelReader& Reader,
                     std::vector<QRectF>& Unread, std::vector<TGlyphRun>& Read)
{
    TDrawing drawing;
    TDrawnPath page;
    page.Points = {{0, 0}, {double(Picture.Width), 0}, {double(Picture.Width), double(Picture.Height)},
                   {0, double(Picture.Height)}};
    page.Starts = {0};
    drawing.Paths.push_back(page);
    const auto stroke = [&drawing](QPointF A, QPointF B) {
        TDrawnPath p;
        p.Points = {A, B};
        p.Starts = {0};
        p.Stroked = true;
        p.Width = 1;
        drawing.Paths.push_back(p);
    };
    // A line's ends found in pixels fall short of the ticks at its corners
    // by a pixel or two; lengthened, those ticks stand on it as the others.
    for (const QLineF& l : Marks.Lines) {
        const QPointF reach = (l.p2() - l.p1()) / std::max(1.0, l.length()) * 3;
        stroke(l.p1() - reach, l.p2() + reach);
    }
    for (const TTickMark& t : Marks.Ticks)
        stroke(t.Axis, t.Outer);
    // A number whose exponent was not read is not the number: the whole
    // word goes.
    std::map<int, std::vector<std::pair<TDrawnText, TGlyphRun>>> words;
    std::set<int> misread;
    // A word with another beside it on its line, a space apart, is part of
    // a label of several ("May 01 2020"): read alone it would be a number
    // that is not the label's. Crowded labels of their own ticks are not.
    const auto centred = [&Marks](const QRect& Box) {
        return std::any_of(Marks.Ticks.begin(), Marks.Ticks.end(),
                           [&](const TTickMark& t) { return CentredOn(t, QRectF(Box)); });
    };
    // Each word of a phrase names its first word (a union of the words
    // beside each other).
    std::map<int, int> phraseOf;
    const auto first = [&phraseOf](int Word) {
        while (phraseOf.count(Word) && phraseOf[Word] != Word)
            Word = phraseOf[Word];
        return Word;
    };
    for (const TGlyphRun& a : Marks.Runs)
        for (const TGlyphRun& b : Marks.Runs) {
            const int overlap = std::min(a.Box.bottom(), b.Box.bottom()) - std::max(a.Box.top(), b.Box.top()) + 1;
            const int gap = std::max(a.Box.left(), b.Box.left()) - std::min(a.Box.right(), b.Box.right()) - 1;
            if (a.Word != b.Word && overlap >= 0.5 * std::min(a.Box.height(), b.Box.height()) &&
                gap <= 0.8 * std::max(a.Box.height(), b.Box.height()) && !(centred(a.Box) && centred(b.Box))) {
                phraseOf.emplace(a.Word, a.Word);
                phraseOf.emplace(b.Word, b.Word);
                phraseOf[first(a.Word)] = first(b.Word);
            }
        }
    // A phrase centred on a tick may be a date with its month's name.
    std::map<int, std::vector<TGlyphRun>> phrases;
    for (const TGlyphRun& run : Marks.Runs)
        if (phraseOf.count(run.Word))
            phrases[first(run.Word)].push_back(run);
    for (auto& [word, runs] : phrases) {
        std::sort(runs.begin(), runs.end(), [](const TGlyphRun& a, const TGlyphRun& b) { return a.Box.left() < b.Box.left(); });
        TGlyphRun phrase{runs.front().Box, 0, word, false, {}, false, 0};
        std::vector<int> glyphs;
        for (const TGlyphRun& run : runs) {
            phrase.Box = phrase.Box.united(run.Box);
            phrase.Glyphs += run.Glyphs;
            glyphs.push_back(run.Glyphs);
        }
        phrase.Text = phrase.Box;
        const QRectF box = QRectF(phrase.Box).adjusted(-0.5, -0.5, 0.5, 0.5);
        const std::optional<QString> text =
            centred(phrase.Box) ? Reader.ReadPhrase(Picture, phrase.Box, glyphs) : std::nullopt;
        const std::optional<double> date = text ? TickLabelDate(*text) : std::nullopt;
        if (const std::optional<QString> day = date ? DateTimeText(*date, dfDay) : std::nullopt) {
            drawing.Texts.push_back({*day, box});
            Read.push_back(phrase);
        }
    }
    for (const TGlyphRun& run : Marks.Runs) {
        if (phraseOf.count(run.Word)) {
            misread.insert(run.Word);
            if (!std::any_of(drawing.Texts.begin(), drawing.Texts.end(), [&](const TDrawnText& t) {
                    return t.Box.contains(QRectF(run.Box));
                }))
                Unread.push_back(QRectF(run.Box).adjusted(-0.5, -0.5, 0.5, 0.5));
            continue;
        }
        const std::optional<QString> text = ReadRun(Picture, run, Reader);
        const QRectF box = QRectF(run.Box).adjusted(-0.5, -0.5, 0.5, 0.5);
        if (text && (TickLabelValue(*text) || TickLabelDate(*text)))
            words[run.Word].push_back({{*text, box}, run});
        else {
            misread.insert(run.Word);
            // A bare stroke (a tick not found standing on its line) is no
            // text, and no factor or offset.
            if (run.Glyphs > 1 || std::min(run.Box.width(), run.Box.height()) > 0.3 * std::max(run.Box.width(), run.Box.height()))
                Unread.push_back(box);
        }
    }
    for (const auto& [word, texts] : words)
        if (!misread.count(word))
            for (const auto& [text, run] : texts) {
                drawing.Texts.push_back(text);
                Read.push_back(run);
            }
    return drawing;
}

// Whether two ticks alone may calibrate an axis: apart by half the span of
// its line's ticks at least, so that a fraction of a pixel does not grow
// past a pixel at its ends, and every glyph run labelling them read alike
// at a second scale, as no third label checks them.
bool TwoSure(const TDrawnAxis& Axis, bool X, const TAxisMarks& Marks, const TDrawing& Drawing,
             const std::vector<TGlyphRun>& Runs, const TGrayPicture& Picture, TLabelReader& Reader)
{
    const auto along = [X](QPointF P) { return X ? P.x() : P.y(); };
    const QPointF at = Axis.Ticks.front().At;
    double first = INFINITY, last = -INFINITY;
    for (const TTickMark& t : Marks.Ticks)
        if (t.Vertical == X && std::abs(X ? t.Axis.y() - at.y() : t.Axis.x() - at.x()) < 1) {
            first = std::min(first, along(t.Axis));
            last = std::max(last, along(t.Axis));
        }
    if (std::abs(along(Axis.Ticks.back().At) - along(at)) < 0.5 * (last - first))
        return false;
    for (const TDrawnTick& t : Axis.Ticks)
        for (std::size_t i = 0; i < Drawing.Texts.size(); ++i) {
            const QRectF& b = Drawing.Texts[i].Box;
            const double h = b.height();
            const bool beside = std::abs(along(b.center()) - along(t.At)) <= 0.5 * (X ? b.width() : h) + 0.25 * h &&
                                std::abs((X ? b.center().y() : b.center().x()) - (X ? t.At.y() : t.At.x())) <=
                                    3 * h + (X ? 0 : b.width());
            if (beside && ReadRun(Picture, Runs[i], Reader, true) != Drawing.Texts[i].Text)
                return false;
        }
    return true;
}

// Whether Box is centred on a tick of Axis's line, as its label.
bool OnTick(const TAxisMarks& Marks, const TDrawnAxis& Axis, bool X, const QRectF& Box)
{
    const QPointF at = Axis.Ticks.front().At;
    return std::any_of(Marks.Ticks.begin(), Marks.Ticks.end(), [&](const TTickMark& t) {
        return t.Vertical == X && (X ? std::abs(t.Axis.y() - at.y()) : std::abs(t.Axis.x() - at.x())) < 1 &&
               CentredOn(t, Box);
    });
}

} // namespace

TFoundAxes FindAxes(const TGrayPicture& Picture, TLabelReader& Reader, QRect Within)
{
    TFoundAxes found;
    if (!Reader.Problem().isEmpty()) {
        found.Axes.Problem = Reader.Problem();
        return found;
    }
    const QRect whole(0, 0, Picture.Width, Picture.Height);
    const QRect area = Within.isEmpty() ? whole : Within.intersected(whole);
    TGrayPicture inside;
    if (area != whole) {
        inside = {area.width(), area.height(), {}};
        inside.Pixels.reserve(std::size_t(inside.Width) * std::size_t(inside.Height));
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                inside.Pixels.push_back(Picture.At(x, y));
    }
    const TGrayPicture& part = area == whole ? Picture : inside;
    found.Angle = SkewAngle(part);
    const TTurn turn{std::abs(found.Angle) < Level ? 0.0 : found.Angle,
                     QPointF(0.5 * (part.Width - 1), 0.5 * (part.Height - 1))};
    const TGrayPicture upright = turn.Angle == 0 ? part : Upright(part, turn);
    const TAxisMarks marks = FindAxisMarks(upright);
    std::vector<QRectF> unread;
    std::vector<TGlyphRun> read;
    const TDrawing drawing = MarksDrawing(upright, marks, Reader, unread, read);
    found.Axes = ReadDrawnAxes(drawing);

    // Read off pixels, two labels can be misread alike: alone, they must
    // read alike twice. And a factor or offset for the labels that cannot
    // be read makes every value doubtful.
    // The words read, each one box (a number and its exponent).
    std::map<int, QRectF> words;
    for (const TGlyphRun& run : read)
        words[run.Word] = words.count(run.Word) ? words[run.Word].united(QRectF(run.Box)) : QRectF(run.Box);
    QStringList missing;
    for (const bool x : {true, false}) {
        TDrawnAxis& axis = x ? found.Axes.X : found.Axes.Y;
        // A label names the tick it is centred on; one whose own tick was
        // not found is nearer another than a label stands to its own.
        std::erase_if(axis.Ticks, [&](const TDrawnTick& t) {
            const TTickMark tick{t.At, t.At, x};
            return std::none_of(words.begin(), words.end(), [&](const auto& w) { return CentredOn(tick, w.second); });
        });
        // A corner tick names its label; where it stands is where the
        // frame's lines cross, a fraction of a pixel from the tick itself,
        // so it calibrates only when the axis has too few others.
        std::vector<TDrawnTick> own;
        for (const TDrawnTick& t : axis.Ticks)
            if (std::none_of(marks.Ticks.begin(), marks.Ticks.end(),
                             [&t](const TTickMark& m) { return m.Corner && m.Axis == t.At; }))
                own.push_back(t);
        if (own.size() > MinTicks)
            axis.Ticks = own;
        if (axis.Ticks.size() == 2 && !TwoSure(axis, x, marks, drawing, read, upright, Reader))
            axis = {};
        const QString name = x ? QStringLiteral("X") : QStringLiteral("Y");
        if (axis.Ticks.size() >= MinTicks && std::any_of(unread.begin(), unread.end(), [&](const QRectF& b) {
                return BeyondAxisEnd(axis, x, b) && !OnTick(marks, axis, x, b);
            })) {
            missing << QStringLiteral("a factor or offset beside the %1 axis that cannot be read").arg(name);
            axis = {};
        } else if (axis.Ticks.size() < MinTicks) {
            const bool ticks = std::any_of(marks.Ticks.begin(), marks.Ticks.end(),
                                           [x](const TTickMark& t) { return t.Vertical == x; });
            missing << (ticks ? QStringLiteral("no two %1 ticks with labels read that fit a line").arg(name)
                              : QStringLiteral("no tick marks along an %1 axis").arg(name));
            axis = {};
        }
    }
    if (!missing.isEmpty()) {
        found.Axes.Problem =
            QStringLiteral("No axes found: the picture shows %1.").arg(missing.join(QStringLiteral(" and ")));
    } else {
        // The frame: from the Y axis's line to the X axis's end, from the X
        // axis's line to the Y axis's top, as far as the ticks and lines
        // reach.
        const QPointF x0 = found.Axes.X.Ticks.front().At, x1 = found.Axes.X.Ticks.back().At;
        const QPointF y0 = found.Axes.Y.Ticks.front().At, y1 = found.Axes.Y.Ticks.back().At;
        double left = std::min(x0.x(), y0.x()), right = std::max(x1.x(), y0.x());
        double top = std::min(y0.y(), x0.y()), bottom = std::max(y1.y(), x0.y());
        for (const QLineF& l : marks.Lines) {
            const bool levelLine = l.dy() == 0;
            if (levelLine && std::abs(l.y1() - x0.y()) < 1) {
                left = std::min(left, std::min(l.x1(), l.x2()));
                right = std::max(right, std::max(l.x1(), l.x2()));
            } else if (!levelLine && std::abs(l.x1() - y0.x()) < 1) {
                top = std::min(top, std::min(l.y1(), l.y2()));
                bottom = std::max(bottom, std::max(l.y1(), l.y2()));
            }
        }
        found.Frame = QPolygonF({QPointF(left, top), QPointF(right, top), QPointF(right, bottom), QPointF(left, bottom)});
    }
    // Found upright in the area; given in the picture.
    const QPointF offset = area.topLeft();
    const auto back = [&](QPointF P) { return turn.ToPicture(P) + offset; };
    for (TDrawnAxis* axis : {&found.Axes.X, &found.Axes.Y})
        for (TDrawnTick& t : axis->Ticks)
            t.At = back(t.At);
    for (QPointF& p : found.Axes.Unlabelled)
        p = back(p);
    for (QPointF& c : found.Frame)
        c = back(c);
    return found;
}

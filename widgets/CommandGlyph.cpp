#include "CommandGlyph.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace {

// The colours a glyph is drawn in for one state of its command.
struct TInks {
    QColor Line;  // what is black on a light theme
    QColor Paper; // sheets of paper
    QColor Red, Blue, Green, Brown;
};

TInks InksFor(QIcon::Mode Mode)
{
    const QPalette palette = QApplication::palette();
    const bool off = Mode == QIcon::Disabled;
    const QPalette::ColorGroup group = off ? QPalette::Disabled : QPalette::Active;
    TInks inks{palette.color(group, QPalette::WindowText), palette.color(group, QPalette::Base),
               QColor(220, 20, 20), QColor(40, 90, 230), QColor(30, 140, 60), QColor(170, 95, 45)};
    if (off)
        for (QColor* c : {&inks.Red, &inks.Blue, &inks.Green, &inks.Brown})
            *c = QColor::fromHsv(c->hsvHue(), c->hsvSaturation() / 4, c->value());
    return inks;
}

QPen Stroke(const QColor& Colour, double Width)
{
    QPen pen(Colour, Width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void Sheet(QPainter& p, const TInks& inks, const QRectF& r)
{
    p.setPen(Stroke(inks.Line, 1.5));
    p.setBrush(inks.Paper);
    p.drawRect(r);
}

void Arrowhead(QPainter& p, const QColor& c, QPointF tip, QPointF back)
{
    const QPointF along = (tip - back) / std::hypot(tip.x() - back.x(), tip.y() - back.y());
    const QPointF across(-along.y(), along.x());
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF{tip, tip - 4 * along + 3 * across, tip - 4 * along - 3 * across});
}

// Each glyph on a grid 24 units square.
void Draw(QPainter& p, TGlyph which, const TInks& inks)
{
    switch (which) {
    case TGlyph::Calibrate:
        // Skewed axes, each with a known point ringed on it.
        p.setPen(Stroke(inks.Line, 1.5));
        p.drawLine(QPointF(3, 20), QPointF(22, 20));
        p.drawLine(QPointF(3, 20), QPointF(8, 2));
        p.setPen(Stroke(inks.Red, 1.5));
        p.setBrush(Qt::NoBrush);
        for (const QPointF& c : {QPointF(16, 20), QPointF(6, 9)}) {
            p.drawEllipse(c, 3, 3);
            p.drawLine(c - QPointF(4.5, 0), c + QPointF(4.5, 0));
            p.drawLine(c - QPointF(0, 4.5), c + QPointF(0, 4.5));
        }
        break;
    case TGlyph::PickDrawing:
        // A drawn curve's own vertices, between axes.
        p.setPen(Stroke(inks.Line, 1.5));
        p.drawPolyline(QPolygonF{{3, 2}, {3, 21}, {22, 21}});
        p.setPen(Stroke(inks.Red, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{{6, 17}, {10, 9}, {14, 13}, {18, 5}});
        p.setPen(Qt::NoPen);
        p.setBrush(inks.Line);
        for (const QPointF& c : {QPointF(6, 17), QPointF(10, 9), QPointF(14, 13), QPointF(18, 5)})
            p.drawEllipse(c, 1.6, 1.6);
        break;
    case TGlyph::FindAxes:
        // Axes with their ticks, and a label beside each read in red.
        p.setPen(Stroke(inks.Line, 1.5));
        p.drawPolyline(QPolygonF{{7, 2}, {7, 17}, {22, 17}});
        for (const double at : {5.0, 11.0})
            p.drawLine(QPointF(4.5, at), QPointF(7, at));
        for (const double at : {13.0, 19.0})
            p.drawLine(QPointF(at, 17), QPointF(at, 19.5));
        p.setPen(Stroke(inks.Red, 1.5));
        for (const double at : {5.0, 11.0})
            p.drawLine(QPointF(1, at), QPointF(3, at));
        for (const double at : {13.0, 19.0})
            p.drawLine(QPointF(at - 1.5, 22.5), QPointF(at + 1.5, 22.5));
        break;
    case TGlyph::Copy:
        Sheet(p, inks, {3, 3, 12, 14});
        Sheet(p, inks, {9, 7, 12, 14});
        break;
    case TGlyph::Paste:
        p.setPen(Stroke(inks.Line, 1.5));
        p.setBrush(inks.Brown);
        p.drawRoundedRect(QRectF(4, 4, 14, 17), 1.5, 1.5);
        p.setBrush(inks.Paper);
        p.drawRect(QRectF(8, 2.5, 6, 3));
        Sheet(p, inks, {11, 10, 10, 11.5});
        break;
    case TGlyph::Cut:
        p.setPen(Stroke(inks.Line, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(7, 3), QPointF(15, 16));
        p.drawLine(QPointF(17, 3), QPointF(9, 16));
        p.drawEllipse(QPointF(7, 18.5), 3, 3);
        p.drawEllipse(QPointF(17, 18.5), 3, 3);
        break;
    case TGlyph::Digitise:
        p.setPen(Stroke(inks.Line, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 6.5, 6.5);
        for (const QLineF& tick : {QLineF(12, 1.5, 12, 8), QLineF(12, 16, 12, 22.5), QLineF(1.5, 12, 8, 12),
                                   QLineF(16, 12, 22.5, 12)})
            p.drawLine(tick);
        p.setPen(Qt::NoPen);
        p.setBrush(inks.Red);
        p.drawRect(QRectF(10.5, 10.5, 3, 3));
        break;
    case TGlyph::Dimensions: {
        p.setPen(Stroke(inks.Line, 1.5));
        p.drawLine(QPointF(4, 20), QPointF(4, 5));
        p.drawLine(QPointF(4, 20), QPointF(19, 20));
        Arrowhead(p, inks.Line, {4, 2}, {4, 8});
        Arrowhead(p, inks.Line, {22, 20}, {16, 20});
        QPainterPath curve({6.5, 17});
        curve.lineTo(10, 12.5);
        curve.lineTo(13, 14.5);
        curve.lineTo(18.5, 8);
        p.setPen(Stroke(inks.Blue, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
        break;
    }
    case TGlyph::Exit:
        p.setPen(Stroke(inks.Line, 1.5));
        p.setBrush(inks.Brown);
        p.drawRect(QRectF(4, 3, 9, 18));
        p.setPen(Stroke(inks.Red, 2.5));
        p.drawLine(QPointF(10, 12), QPointF(18, 12));
        Arrowhead(p, inks.Red, {22.5, 12}, {16, 12});
        break;
    case TGlyph::Mapping:
        p.setPen(Stroke(inks.Blue, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4, 20), QPointF(20, 20));
        p.drawLine(QPointF(20, 20), QPointF(20, 4));
        p.drawLine(QPointF(20, 4), QPointF(4, 4));
        p.setPen(Stroke(inks.Blue, 2.5));
        p.drawLine(QPointF(4.25, 3), QPointF(4.25, 21));
        p.setPen(Stroke(inks.Red, 2.5));
        p.drawLine(QPointF(3, 19.75), QPointF(21, 19.75));
        break;
    case TGlyph::Rotate: {
        p.setPen(Stroke(inks.Green, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 4, 16, 16), 110 * 16, 290 * 16);
        const double a = 110 * M_PI / 180;
        const QPointF end(12 + 8 * std::cos(a), 12 - 8 * std::sin(a));
        Arrowhead(p, inks.Green, end + QPointF(-3.5, 0.5), end + QPointF(2, -0.5));
        break;
    }
    }
}

class TGlyphEngine : public QIconEngine {
public:
    explicit TGlyphEngine(TGlyph Which) : FWhich(Which) {}
    QIconEngine* clone() const override { return new TGlyphEngine(FWhich); }
    QString key() const override { return QStringLiteral("quillon-glyph"); }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 24.0, rect.height() / 24.0);
        Draw(*painter, FWhich, InksFor(mode));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // Drawn afresh at the screen's density, never a small picture scaled
    // up: Size counts device pixels already.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            paint(&painter, QRect(QPoint(), pixmap.size()), mode, state);
        }
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

private:
    TGlyph FWhich;
};

} // namespace

QIcon GlyphIcon(TGlyph Which)
{
    return QIcon(new TGlyphEngine(Which));
}

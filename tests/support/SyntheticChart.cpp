#include "SyntheticChart.h"

#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <limits>

TSyntheticChart::TSyntheticChart(int Width, int Height, double Angle, TPointF Origin)
    : FImage(Width, Height, QImage::Format_RGB32)
{
    FImage.fill(Qt::white);
    FPainter.begin(&FImage);
    FPainter.setRenderHint(QPainter::Antialiasing);
    // QPainter puts pixel centres at halves.
    QTransform t;
    t.translate(Origin.X + 0.5, Origin.Y + 0.5);
    t.rotate(Angle);
    t.translate(-Origin.X, -Origin.Y);
    FPainter.setTransform(t);
    FTurn = t;
}

const QImage& TSyntheticChart::Image()
{
    if (FPainter.isActive())
        FPainter.end();
    return FImage;
}

TPointF TSyntheticChart::ToPicture(const TPointF& Frame) const
{
    const QPointF p = FTurn.map(QPointF(Frame.X, Frame.Y));
    return {p.x() - 0.5, p.y() - 0.5};
}

void TSyntheticChart::Curve(const std::function<double(double)>& Y, double FromX, double ToX, const QColor& Colour,
                            double Thickness, Qt::PenStyle Style)
{
    QPainterPath path;
    path.moveTo(FromX, Y(FromX));
    for (double x = FromX + 0.25; x <= ToX; x += 0.25)
        path.lineTo(x, Y(x));
    FPainter.setPen(QPen(Colour, Thickness, Style, Qt::FlatCap, Qt::RoundJoin));
    FPainter.setBrush(Qt::NoBrush);
    FPainter.drawPath(path);
}

void TSyntheticChart::Line(const TPointF& A, const TPointF& B, const QColor& Colour, double Thickness)
{
    FPainter.setPen(QPen(Colour, Thickness, Qt::SolidLine, Qt::FlatCap));
    FPainter.drawLine(QPointF(A.X, A.Y), QPointF(B.X, B.Y));
}

void TSyntheticChart::Disc(const TPointF& Centre, double Radius, const QColor& Colour)
{
    FPainter.setPen(Qt::NoPen);
    FPainter.setBrush(Colour);
    FPainter.drawEllipse(QPointF(Centre.X, Centre.Y), Radius, Radius);
}

void TSyntheticChart::Marker(TShape Shape, const TPointF& Centre, double Size, const QColor& Colour)
{
    const double h = Size / 2;
    const double x = Centre.X;
    const double y = Centre.Y;
    QPainterPath path;
    switch (Shape) {
    case shCircle:
        path.addEllipse(QPointF(x, y), h, h);
        break;
    case shSquare:
        path.addRect(QRectF(x - h, y - h, Size, Size));
        break;
    case shTriangle:
        path.addPolygon(QPolygonF({QPointF(x, y - h), QPointF(x + h, y + h), QPointF(x - h, y + h)}));
        break;
    case shDiamond:
        path.addPolygon(QPolygonF({QPointF(x, y - h), QPointF(x + h, y), QPointF(x, y + h), QPointF(x - h, y)}));
        break;
    }
    path.closeSubpath();
    FPainter.setPen(Qt::NoPen);
    FPainter.setBrush(Colour);
    FPainter.drawPath(path);
}

void TSyntheticChart::Box(const TPointF& TopLeft, double Width, double Height, const QColor& Colour)
{
    FPainter.fillRect(QRectF(TopLeft.X, TopLeft.Y, Width, Height), Colour);
}

void TSyntheticChart::Text(const TPointF& At, const QString& Text, const QColor& Colour, int PixelSize)
{
    QFont font = FPainter.font();
    font.setPixelSize(PixelSize);
    FPainter.setFont(font);
    FPainter.setPen(Colour);
    FPainter.drawText(QPointF(At.X, At.Y), Text);
}

void TSyntheticChart::Speck(int X, int Y, const QColor& Colour)
{
    FPainter.save();
    FPainter.resetTransform();
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    FPainter.fillRect(QRect(X, Y, 1, 1), Colour);
    FPainter.restore();
}

double CurveDistance(const std::function<double(double)>& Y, double FromX, double ToX, const TPointF& P)
{
    double best = std::numeric_limits<double>::infinity();
    const double from = std::max(FromX, P.X - 40);
    const double to = std::min(ToX, P.X + 40);
    for (double x = from; x <= to; x += 0.01)
        best = std::min(best, std::hypot(x - P.X, Y(x) - P.Y));
    return best;
}

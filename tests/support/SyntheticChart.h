#pragma once

#include "platform/WinTypes.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QTransform>

#include <functional>

// A chart drawn anti-aliased with exactly known shapes, for measuring how
// near extraction comes to them. Shapes are given in the chart's frame,
// where whole numbers are pixel centres, and the whole chart is turned by
// Angle about Origin into the picture, as a scan lies askew.
class TSyntheticChart {
public:
    TSyntheticChart(int Width, int Height, double Angle = 0, TPointF Origin = {});

    // The curve y = Y(x) from FromX to ToX; dashes and dots are in
    // multiples of the thickness, as plotting programs draw them.
    void Curve(const std::function<double(double)>& Y, double FromX, double ToX, const QColor& Colour,
               double Thickness, Qt::PenStyle Style = Qt::SolidLine);
    void Line(const TPointF& A, const TPointF& B, const QColor& Colour, double Thickness);
    void Disc(const TPointF& Centre, double Radius, const QColor& Colour);
    // A filled marker whose box, Size across, is centred on Centre.
    enum TShape { shCircle, shSquare, shTriangle, shDiamond };
    void Marker(TShape Shape, const TPointF& Centre, double Size, const QColor& Colour);
    void Box(const TPointF& TopLeft, double Width, double Height, const QColor& Colour);
    void Text(const TPointF& At, const QString& Text, const QColor& Colour, int PixelSize);
    // One picture pixel, not anti-aliased and not turned.
    void Speck(int X, int Y, const QColor& Colour);

    // The picture as drawn; nothing more can be drawn after.
    const QImage& Image();
    // The picture position of a frame position.
    TPointF ToPicture(const TPointF& Frame) const;

private:
    QImage FImage;
    QPainter FPainter;
    QTransform FTurn;
};

// The distance from P to the curve y = Y(x), searched between FromX and ToX.
double CurveDistance(const std::function<double(double)>& Y, double FromX, double ToX, const TPointF& P);

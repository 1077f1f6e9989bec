#pragma once

#include "Drawing.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QTransform>

// A paint engine that draws nothing and keeps what it is asked to draw:
// every path with its pen and brush, placed by the painter's transform in
// double precision and then by Placement into picture pixels. Poppler's
// painter output and the SVG renderer draw into it as into a picture.
class TRecordingEngine : public QPaintEngine {
public:
    TRecordingEngine(TDrawing& Into, const QTransform& Placement);
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& State) override;
    void drawPath(const QPainterPath& Path) override;
    void drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode) override;
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++FInto.Images; }
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override { ++FInto.Images; }
    void drawTextItem(const QPointF& At, const QTextItem& Text) override;
    Type type() const override { return User; }

private:
    TDrawing& FInto;
    QTransform FPlacement;
    QTransform FTransform;
    QPen FPen;
    QBrush FBrush;
};

// The page as a device of Width x Height pixels at Dpi dots an inch.
class TRecordingDevice : public QPaintDevice {
public:
    TRecordingDevice(int Width, int Height, double Dpi, TDrawing& Into);
    QPaintEngine* paintEngine() const override { return &FEngine; }

protected:
    int metric(PaintDeviceMetric Metric) const override;

private:
    int FWidth, FHeight;
    double FDpi;
    mutable TRecordingEngine FEngine;
    int FLogicalDpi;
};

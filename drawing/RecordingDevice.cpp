#include "RecordingDevice.h"

#include <QPainterPath>
#include <QPicture>
#include <QTextItem>

#include <cmath>

TRecordingEngine::TRecordingEngine(TDrawing& Into, const QTransform& Placement)
    : QPaintEngine(AllFeatures), FInto(Into), FPlacement(Placement)
{
}

void TRecordingEngine::updateState(const QPaintEngineState& State)
{
    if (State.state() & DirtyTransform)
        FTransform = State.transform();
    if (State.state() & DirtyPen)
        FPen = State.pen();
    if (State.state() & DirtyBrush)
        FBrush = State.brush();
}

void TRecordingEngine::drawPath(const QPainterPath& Path)
{
    const QTransform whole = FTransform * FPlacement;
    TDrawnPath p;
    p.Points.reserve(std::size_t(Path.elementCount()));
    for (int i = 0; i < Path.elementCount(); ++i) {
        const QPainterPath::Element e = Path.elementAt(i);
        if (e.type == QPainterPath::CurveToElement)
            continue;
        // A curve's end is the last of its data elements.
        if (e.type == QPainterPath::CurveToDataElement && i + 1 < Path.elementCount() &&
            Path.elementAt(i + 1).type == QPainterPath::CurveToDataElement)
            continue;
        if (e.type == QPainterPath::MoveToElement)
            p.Starts.push_back(int(p.Points.size()));
        p.Points.push_back(whole.map(QPointF(e.x, e.y)));
    }
    if (p.Points.empty())
        return;
    if (p.Starts.empty() || p.Starts.front() != 0)
        p.Starts.insert(p.Starts.begin(), 0);
    p.Stroked = FPen.style() != Qt::NoPen;
    if (p.Stroked) {
        p.Stroke = FPen.color().rgba();
        // A cosmetic pen is as wide on any page; otherwise the transform's
        // scale widens it.
        const double scale = FPen.isCosmetic() ? 1.0 : std::sqrt(std::abs(whole.determinant()));
        p.Width = FPen.widthF() * scale;
        if (FPen.style() != Qt::SolidLine)
            for (const qreal d : FPen.dashPattern())
                p.Dashes.push_back(d);
    }
    p.Filled = FBrush.style() != Qt::NoBrush;
    if (p.Filled)
        p.Fill = FBrush.color().rgba();
    FInto.Paths.push_back(std::move(p));
}

void TRecordingEngine::drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode)
{
    if (Count <= 0)
        return;
    QPainterPath path(Points[0]);
    for (int i = 1; i < Count; ++i)
        path.lineTo(Points[i]);
    if (Mode != PolylineMode)
        path.closeSubpath();
    const QBrush brush = FBrush;
    if (Mode == PolylineMode)
        FBrush = Qt::NoBrush;
    drawPath(path);
    FBrush = brush;
}

void TRecordingEngine::drawTextItem(const QPointF& At, const QTextItem& Text)
{
    const QTransform whole = FTransform * FPlacement;
    const QRectF box(At.x(), At.y() - Text.ascent(), Text.width(), Text.ascent() + Text.descent());
    FInto.Texts.push_back({Text.text(), whole.mapRect(box)});
}

TRecordingDevice::TRecordingDevice(int Width, int Height, double Dpi, TDrawing& Into)
    // Device pixel edges are whole; picture pixel centres are.
    : FWidth(Width), FHeight(Height), FDpi(Dpi), FEngine(Into, QTransform::fromTranslate(-0.5, -0.5)),
      // Poppler records a transparency group as a QPicture, which replays
      // scaled by this device's logical dpi over its own: equal, the group
      // stays where the page puts it.
      FLogicalDpi(QPicture().logicalDpiX())
{
}

int TRecordingDevice::metric(PaintDeviceMetric Metric) const
{
    switch (Metric) {
    case PdmWidth:
        return FWidth;
    case PdmHeight:
        return FHeight;
    case PdmWidthMM:
        return int(std::lround(FWidth * 25.4 / FDpi));
    case PdmHeightMM:
        return int(std::lround(FHeight * 25.4 / FDpi));
    case PdmDpiX:
    case PdmDpiY:
        return FLogicalDpi;
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return int(std::lround(FDpi));
    case PdmDepth:
        return 32;
    case PdmNumColors:
        return INT_MAX;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return 0;
    }
}

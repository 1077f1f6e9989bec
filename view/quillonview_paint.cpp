// Painting of the view: the visible part of the image, the plotting-area
// frame, the sites, the line through them and the drag overlays.
#include "quillonview.h"

#include "document/FittedMap.h"

#include "document/GridValues.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

QColor Colour(TColor c)
{
    return QColor::fromRgb(ColourRgb(c));
}

// A whole logical pixel wide on any screen: a cosmetic pen's width counts
// device pixels.
QPen StyledPen(const QPainter& C, const QColor& colour, TPenStyle style)
{
    QPen pen(colour, C.device() ? C.device()->devicePixelRatioF() : 1.0);
    pen.setCosmetic(true);
    switch (style) {
    case psDash:
        pen.setDashPattern({18, 6});
        break;
    case psDot:
        pen.setDashPattern({3, 3});
        break;
    case psDashDot:
        pen.setDashPattern({9, 6, 3, 6});
        break;
    case psDashDotDot:
        pen.setDashPattern({9, 3, 3, 3, 3, 3});
        break;
    case psClear:
        pen.setStyle(Qt::NoPen);
        break;
    default:
        break;
    }
    return pen;
}

// A line that shows both end pixels. A solid cosmetic pen with square caps
// draws them already; a dashed one may end in a gap, so its end pixel is set.
void Line(QPainter& C, const QPoint& from, const QPoint& to)
{
    C.drawLine(from, to);
    if (C.pen().style() == Qt::CustomDashLine)
        C.fillRect(QRect(to, QSize(1, 1)), C.pen().color());
}

// A triangle with its apex at (x, apexY) and its base on row baseY, as wide
// as it is high, set pixel by pixel: a polygon's sloping edges are
// rasterised differently on each side, and the glyph must be symmetric
// about its site.
void Triangle(QPainter& C, int x, int apexY, int baseY)
{
    const int rows = std::abs(baseY - apexY);
    const int step = baseY > apexY ? 1 : -1;
    const QColor outline = C.pen().color();
    const bool filled = C.brush().style() != Qt::NoBrush;
    for (int r = 0; r <= rows; ++r) {
        const int y = apexY + r * step;
        const int w = r / 2;
        if (r == rows) {
            C.fillRect(QRect(x - w, y, 2 * w + 1, 1), outline);
            break;
        }
        if (filled && w > 0)
            C.fillRect(QRect(x - w + 1, y, 2 * w - 1, 1), C.brush());
        C.fillRect(QRect(x - w, y, 1, 1), outline);
        C.fillRect(QRect(x + w, y, 1, 1), outline);
    }
}

QPoint At(const TPoint& p)
{
    return {p.X, p.Y};
}

} // namespace

QPoint TQuillonView::ScreenPoint(double X, double Y) const
{
    return {RoundEven(X * double(Zoom)), RoundEven(Y * double(Zoom))};
}

void TQuillonView::paintEvent(QPaintEvent* event)
{
    QPainter C(this);
    const QRect exposed = event->rect();
    QRegion uncovered(exposed);
    if (Image.IsValid()) {
        const TRect part{exposed.left(), exposed.top(), exposed.right() + 1, exposed.bottom() + 1};
        Image.DrawZoomed(C, Zoom, part);
        uncovered -= Image.ZoomedRect(Zoom);
    }
    for (const QRect& r : uncovered)
        C.fillRect(r, palette().window());

    DrawHighlight(C, exposed);
    if (FCalibrationGrid)
        DrawCalibrationGrid(C);
    DrawMapping(C);
    DrawCalibrationPoints(C);
    if (MouseAction == maRotateH || MouseAction == maRotateV)
        DrawRotateMark(C);
    for (const TSeriesShape& other : FOtherSeries)
        DrawSeries(C, exposed, other.Look, other.Points);
    std::vector<TPointF> sites;
    sites.reserve(std::size_t(SiteCount()));
    for (int i = 0; i < SiteCount(); ++i)
        sites.push_back(GetSite(i)->Point());
    DrawSeries(C, exposed, Settings->Look(), sites);
    DrawMarks(C, exposed);
    DrawMapping(C); // the frame lies over the sites and the line
    if (FSelecting && PressedButton == pbLeft && FDragMoved)
        DrawRubberBand(C, DownPoint, MovePoint);

    if (MouseAction == maRubberBand && PressedButton == pbLeft) {
        if (GrabEdges.Empty())
            DrawRubberBand(C, DownPoint, MovePoint);
        else
            DrawDragFrame(C);
    }
}

void TQuillonView::DrawHighlight(QPainter& C, const QRect& Exposed)
{
    // A mask of another picture is not shown.
    if (FHighlight.isNull() || FHighlight.size() != QSize(ImageWidth(), ImageHeight()))
        return;
    // Sampled as the picture is, so each marked pixel covers the one it marks.
    const QRect visible = Exposed & Image.ZoomedRect(Zoom);
    if (visible.isEmpty())
        return;
    std::vector<int> columns(std::size_t(visible.width()));
    for (int i = 0; i < visible.width(); ++i)
        columns[std::size_t(i)] = ZoomedSource(visible.left() + i, Zoom);
    if (FHighlightBuffer.size() != visible.size())
        FHighlightBuffer = QImage(visible.size(), QImage::Format_ARGB32_Premultiplied);
    const QRgb mark = FHighlightColour.rgba();
    for (int j = 0; j < visible.height(); ++j) {
        auto* out = reinterpret_cast<QRgb*>(FHighlightBuffer.scanLine(j));
        const int row = ZoomedSource(visible.top() + j, Zoom);
        if (row < 0 || row >= FHighlight.height()) {
            std::fill_n(out, visible.width(), 0);
            continue;
        }
        const uchar* bits = FHighlight.constScanLine(row);
        for (int i = 0; i < visible.width(); ++i) {
            const int x = columns[std::size_t(i)];
            const bool on = x >= 0 && x < FHighlight.width() && (bits[x >> 3] >> (x & 7)) & 1;
            out[i] = on ? mark : 0;
        }
    }
    C.drawImage(visible.topLeft(), FHighlightBuffer);
}

void TQuillonView::DrawMapping(QPainter& C) const
{
    const TRect& r = MappingRect;
    if (!((r.Right - r.Left) * double(Zoom) > 0 && (r.Top - r.Bottom) * double(Zoom) < 0))
        return;
    const QPoint topLeft = ScreenPoint(r.Left, r.Top);
    const QPoint bottomRight = ScreenPoint(r.Right, r.Bottom);
    TPoint BL{topLeft.x(), bottomRight.y()};
    TPoint BR{bottomRight.x(), bottomRight.y()};
    TPoint TR{bottomRight.x(), topLeft.y()};
    TPoint TL{topLeft.x(), topLeft.y()};
    if (Angle != 0) {
        BR = UnrotateScreenPoint(BR);
        TR = UnrotateScreenPoint(TR);
        TL = UnrotateScreenPoint(TL);
    }
    C.setBrush(Qt::NoBrush);
    C.setPen(StyledPen(C, Colour(0xF0CAA6), psDot));
    Line(C, At(TL), At(TR));
    Line(C, At(TR), At(BR));
    C.setPen(StyledPen(C, Colour(0x0000FF), psSolid));
    Line(C, At(BR), At(BL));
    C.setPen(StyledPen(C, Colour(0xFF0000), psSolid));
    Line(C, At(BL), At(TL));
}

void TQuillonView::DrawCalibrationGrid(QPainter& C) const
{
    std::vector<QLineF> lines;
    if (TFittedMap fitted; FittedMap(fitted)) {
        const double z = Zoom;
        if (const auto* map = std::get_if<TPointsMap>(&fitted.Map)) {
            for (const auto& [plane, kind] : {std::pair{map->X, map->XKind}, std::pair{map->Y, map->YKind}})
                for (const TGridLine& g : PlaneGridLines(plane, kind, ImageWidth(), ImageHeight()))
                    lines.emplace_back(g.From.X * z, g.From.Y * z, g.To.X * z, g.To.Y * z);
            DrawGridLines(C, lines);
        } else {
            DrawPolarGrid(C, std::get<TPolarMap>(fitted.Map));
        }
        return;
    }
    const TRect& r = MappingRect;
    if (!MissingStep().isEmpty() || !((r.Right - r.Left) * double(Zoom) > 0 && (r.Top - r.Bottom) * double(Zoom) < 0))
        return;
    // The area's corners on screen, turned with it; a line of one value of
    // an axis runs between the two edges across it, as far along each.
    const QPoint topLeft = ScreenPoint(r.Left, r.Top);
    const QPoint bottomRight = ScreenPoint(r.Right, r.Bottom);
    const auto corner = [&](int x, int y) {
        const TPoint p = Angle != 0 ? UnrotateScreenPoint(TPoint{x, y}) : TPoint{x, y};
        return QPointF(p.X, p.Y);
    };
    const QPointF bl(topLeft.x(), bottomRight.y()), br = corner(bottomRight.x(), bottomRight.y()),
        tr = corner(bottomRight.x(), topLeft.y()), tl = corner(topLeft.x(), topLeft.y());
    for (const double x : GridValues(AxisXMap, XLeftValue, XRightValue)) {
        double f = 0;
        if (AxisFraction(AxisXMap, XLeftValue, XRightValue, x, f))
            lines.emplace_back(bl + (br - bl) * f, tl + (tr - tl) * f);
    }
    for (const double y : GridValues(AxisYMap, YBottomValue, YTopValue)) {
        double f = 0;
        if (AxisFraction(AxisYMap, YBottomValue, YTopValue, y, f))
            lines.emplace_back(bl + (tl - bl) * f, br + (tr - br) * f);
    }
    DrawGridLines(C, lines);
}

void TQuillonView::DrawPolarGrid(QPainter& C, const TPolarMap& Map) const
{
    const double z = Zoom;
    const QPointF centre(Map.Centre.X * z, Map.Centre.Y * z);
    // Out to the picture's farthest corner.
    double reach = 0;
    for (const double x : {-0.5, ImageWidth() - 0.5})
        for (const double y : {-0.5, ImageHeight() - 0.5})
            reach = std::max(reach, std::hypot(x - Map.Centre.X, y - Map.Centre.Y));
    const TDataPoint inner = Map.DataAt(Map.Centre);
    const TDataPoint outer = Map.DataAt({Map.Centre.X + reach, Map.Centre.Y});
    std::vector<QLineF> rays;
    for (const double theta : GridValues(amLinear, 0, Map.Turn, 12)) {
        TPointF far;
        if (theta < Map.Turn && Map.PixelOf({theta, outer.Y}, far))
            rays.emplace_back(centre, QPointF(far.X * z, far.Y * z));
    }
    C.setBrush(Qt::NoBrush);
    for (const QPen& pen : {StyledPen(C, Qt::white, psSolid), StyledPen(C, QColor(220, 0, 220), psDash)}) {
        C.setPen(pen);
        C.drawLines(rays.data(), int(rays.size()));
        for (const double r : GridValues(Map.RKind, inner.Y, outer.Y)) {
            const double t = Map.RKind == amLog10 ? std::log10(r) : r;
            const double d = (t - Map.Intercept) / Map.Slope * z;
            if (d > 0)
                C.drawEllipse(centre, d, d);
        }
    }
}

void TQuillonView::DrawGridLines(QPainter& C, const std::vector<QLineF>& Lines) const
{
    // White under magenta dashes shows on light and dark pictures alike.
    C.setBrush(Qt::NoBrush);
    for (const QPen& pen : {StyledPen(C, Qt::white, psSolid), StyledPen(C, QColor(220, 0, 220), psDash)}) {
        C.setPen(pen);
        C.drawLines(Lines.data(), int(Lines.size()));
    }
}

void TQuillonView::DrawCalibrationPoints(QPainter& C) const
{
    const std::vector<TCalibrationPoint>& points = Calibration.Points;
    if (points.empty() || (!Calibration.PointsInForce() && MouseAction != maCalibrate))
        return;
    // Orange while they give the map in force, grey while kept aside.
    const QColor ink = Calibration.PointsInForce() ? QColor(255, 120, 0) : QColor(128, 128, 128);
    C.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QPoint p = ScreenPoint(points[i].Pixel.X, points[i].Pixel.Y);
        for (const QPen& pen : {StyledPen(C, Qt::white, psSolid), StyledPen(C, ink, psSolid)}) {
            C.setPen(pen);
            C.drawEllipse(p, 6, 6);
            Line(C, {p.x() - 9, p.y()}, {p.x() + 9, p.y()});
            Line(C, {p.x(), p.y() - 9}, {p.x(), p.y() + 9});
            C.drawText(p + QPoint(8, -8), QString::number(i + 1));
        }
    }
}

void TQuillonView::DrawRotateMark(QPainter& C) const
{
    const QPoint o = ScreenPoint(MappingRect.Left, MappingRect.Bottom);
    C.setPen(StyledPen(C, Qt::black, psSolid));
    C.setBrush(Qt::NoBrush);
    const QPoint mark[3] = {o, {o.x() - 5, o.y() + 5}, {o.x() + 5, o.y() + 5}};
    C.drawPolygon(mark, 3);
}

void TQuillonView::DrawSeries(QPainter& C, const QRect& Exposed, const TSeriesLook& Look,
                              const std::vector<TPointF>& Points) const
{
    if (Look.DrawPoints)
        DrawSites(C, Exposed, Look, Points);
    if (Look.DrawLine)
        DrawSiteLine(C, Exposed, Look, Points);
}

void TQuillonView::DrawSites(QPainter& C, const QRect& Exposed, const TSeriesLook& Look,
                             const std::vector<TPointF>& Points) const
{
    C.setPen(StyledPen(C, Colour(Look.PointColour), psSolid));
    if (Look.PointSolid)
        C.setBrush(Colour(Look.PointFillColour));
    else
        C.setBrush(Qt::NoBrush);
    const int s = std::abs(Look.PointSize) + 1;
    for (const TPointF& site : Points) {
        const QPoint p = ScreenPoint(site.X, site.Y);
        if (Exposed.intersects(QRect(p.x() - s, p.y() - s, 2 * s + 1, 2 * s + 1)))
            DrawSite(C, p, Look);
    }
}

void TQuillonView::DrawSite(QPainter& C, const QPoint& P, const TSeriesLook& Look) const
{
    const int s = Look.PointSize;
    const int x = P.x();
    const int y = P.y();
    auto plus = [&](int n) {
        Line(C, {x - n, y}, {x + n, y});
        Line(C, {x, y - n}, {x, y + n});
    };
    auto cross = [&](int n) {
        Line(C, {x - n, y + n}, {x + n, y - n});
        Line(C, {x - n, y - n}, {x + n, y + n});
    };
    auto polygon = [&](std::initializer_list<QPoint> points) { C.drawPolygon(points.begin(), int(points.size())); };
    auto square = [&] { polygon({{x - s, y - s}, {x + s, y - s}, {x + s, y + s}, {x - s, y + s}}); };
    auto diamond = [&] { polygon({{x - s, y}, {x, y + s}, {x + s, y}, {x, y - s}}); };

    switch (Look.PointType) {
    case ptCross:
        cross(s);
        break;
    case ptAsterisk:
        plus(s);
        if (s > 1)
            cross(s - 1);
        break;
    case ptCircle:
        C.drawEllipse(P, s, s);
        break;
    case ptSquare:
        square();
        break;
    case ptDiamond:
        diamond();
        break;
    case ptTriangle:
        Triangle(C, x, y - s, y + s);
        break;
    case ptInvertedTriangle:
        Triangle(C, x, y + s, y - s);
        break;
    case ptDiamondPlus:
        diamond();
        plus(s);
        break;
    case ptSquarePlus:
        square();
        plus(s);
        break;
    case ptSmallDot:
        C.fillRect(QRect(P, QSize(1, 1)), C.pen().color());
        break;
    default:
        plus(s);
    }
}

void TQuillonView::DrawSiteLine(QPainter& C, const QRect& Exposed, const TSeriesLook& Look,
                                const std::vector<TPointF>& Points) const
{
    if (Points.size() < 2)
        return;
    C.setPen(StyledPen(C, Colour(Look.LineColour), Look.LineStyle));
    QPoint from = ScreenPoint(Points[0].X, Points[0].Y);
    for (std::size_t i = 1; i < Points.size(); ++i) {
        const QPoint to = ScreenPoint(Points[i].X, Points[i].Y);
        if (Exposed.intersects(QRect(from, to).normalized().adjusted(-1, -1, 1, 1)))
            Line(C, from, to);
        from = to;
    }
}

void TQuillonView::DrawRubberBand(QPainter& C, const TPoint& A, const TPoint& B) const
{
    DrawDragOutline(C, {QPoint(A.X, A.Y), QPoint(B.X, A.Y), QPoint(B.X, B.Y), QPoint(A.X, B.Y)});
}

void TQuillonView::DrawDragOutline(QPainter& C, const std::array<QPoint, 4>& Corners) const
{
    // Black dots on white: seen on a dark picture as on a light one.
    C.setBrush(Qt::NoBrush);
    for (const QPen& pen : {StyledPen(C, Qt::white, psSolid), StyledPen(C, Qt::black, psDot)}) {
        C.setPen(pen);
        for (std::size_t i = 0; i < Corners.size(); ++i)
            Line(C, Corners[i], Corners[(i + 1) % Corners.size()]);
    }
}

void TQuillonView::DrawDragFrame(QPainter& C) const
{
    auto screen = [this](const TPoint& p) {
        const TPoint q = UnrotatePoint(p);
        return ScreenPoint(q.X, q.Y);
    };
    DrawDragOutline(C, {screen(DragCorners.BL), screen(DragCorners.BR), screen(DragCorners.TR),
                        screen(DragCorners.TL)});
}

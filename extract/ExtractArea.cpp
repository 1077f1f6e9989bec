#include "ExtractArea.h"

#include "platform/TurnedPoint.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

TPointF Origin(const TRect& r)
{
    return {double(r.Left), double(r.Bottom)};
}

} // namespace

double TExtractArea::FrameLeft() const
{
    return std::max(double(std::min(Rect.Left, Rect.Right)), std::min(FromX, ToX));
}

double TExtractArea::FrameRight() const
{
    return std::min(double(std::max(Rect.Left, Rect.Right)), std::max(FromX, ToX));
}

double TExtractArea::FrameTop() const
{
    return std::min(Rect.Top, Rect.Bottom);
}

double TExtractArea::FrameBottom() const
{
    return std::max(Rect.Top, Rect.Bottom);
}

TPointF TExtractArea::ToImage(const TPointF& Frame) const
{
    return Angle == 0 ? Frame : TurnedPoint(Frame, Origin(Rect), -Angle);
}

TPointF TExtractArea::ToFrame(const TPointF& Image) const
{
    return Angle == 0 ? Image : TurnedPoint(Image, Origin(Rect), Angle);
}

TExtractArea::TSpan TExtractArea::Rows(int Height) const
{
    const std::array<TPointF, 4> corners{ToImage({FrameLeft(), FrameTop()}), ToImage({FrameRight(), FrameTop()}),
                                         ToImage({FrameRight(), FrameBottom()}),
                                         ToImage({FrameLeft(), FrameBottom()})};
    double top = corners[0].Y;
    double bottom = corners[0].Y;
    for (const TPointF& c : corners) {
        top = std::min(top, c.Y);
        bottom = std::max(bottom, c.Y);
    }
    return {int(std::clamp(std::ceil(top), 0.0, double(Height))), int(std::clamp(std::floor(bottom), -1.0, Height - 1.0))};
}

TExtractArea::TBounds TExtractArea::OverPicture(int Width, int Height) const
{
    const std::array<TPointF, 4> c{ToFrame({-1, -1}), ToFrame({double(Width), -1}),
                                   ToFrame({double(Width), double(Height)}), ToFrame({-1, double(Height)})};
    TBounds b{FrameLeft(), FrameTop(), FrameRight(), FrameBottom()};
    double left = c[0].X;
    double right = c[0].X;
    double top = c[0].Y;
    double bottom = c[0].Y;
    for (const TPointF& p : c) {
        left = std::min(left, p.X);
        right = std::max(right, p.X);
        top = std::min(top, p.Y);
        bottom = std::max(bottom, p.Y);
    }
    b.Left = std::max(b.Left, left);
    b.Right = std::min(b.Right, right);
    b.Top = std::max(b.Top, top);
    b.Bottom = std::min(b.Bottom, bottom);
    if (b.Top > b.Bottom)
        b.Right = b.Left - 1;
    return b;
}

TExtractArea::TSpan TExtractArea::RowSpan(int Y, int Width) const
{
    double first = 0;
    double last = -1;
    if (Angle == 0) {
        if (Y < FrameTop() || Y > FrameBottom())
            return {};
        first = FrameLeft();
        last = FrameRight();
    } else {
        // Where row Y's centre line crosses the turned rectangle's edges.
        const std::array<TPointF, 4> c{ToImage({FrameLeft(), FrameTop()}), ToImage({FrameRight(), FrameTop()}),
                                       ToImage({FrameRight(), FrameBottom()}), ToImage({FrameLeft(), FrameBottom()})};
        bool any = false;
        for (std::size_t i = 0; i < c.size(); ++i) {
            const TPointF& a = c[i];
            const TPointF& b = c[(i + 1) % c.size()];
            if ((Y < a.Y && Y < b.Y) || (Y > a.Y && Y > b.Y) || a.Y == b.Y)
                continue;
            const double x = a.X + (Y - a.Y) * (b.X - a.X) / (b.Y - a.Y);
            first = any ? std::min(first, x) : x;
            last = any ? std::max(last, x) : x;
            any = true;
        }
        if (!any)
            return {};
    }
    return {int(std::clamp(std::ceil(first), 0.0, double(Width))), int(std::clamp(std::floor(last), -1.0, Width - 1.0))};
}

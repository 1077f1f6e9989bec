#pragma once

#include "platform/WinTypes.h"

#include <cmath>

// The plotting area that extraction searches: Rect in the turned frame, which
// is the picture turned by Angle about (Rect.Left, Rect.Bottom), as the
// mapping keeps it. Its edges may come in either order.
struct TExtractArea {
    TRect Rect;
    double Angle = 0;
    // Limits the user set along the frame's X axis: the area is cut to
    // them, in either order.
    double FromX = -INFINITY;
    double ToX = INFINITY;
    friend bool operator==(const TExtractArea&, const TExtractArea&) = default;

    bool IsValid() const { return Rect.Left != Rect.Right && Rect.Top != Rect.Bottom; }
    // The frame's bounds, smallest first, cut to the limits; Left above
    // Right when the limits leave nothing.
    double FrameLeft() const;
    double FrameRight() const;
    double FrameTop() const;
    double FrameBottom() const;

    TPointF ToImage(const TPointF& Frame) const;
    TPointF ToFrame(const TPointF& Image) const;
    // The first and last pixel of picture row Y whose centres lie inside,
    // kept to 0..Width - 1; First > Last when none do.
    struct TSpan {
        int First = 0;
        int Last = -1;
    };
    TSpan RowSpan(int Y, int Width) const;
    // The picture rows that RowSpan may find pixels in, kept to 0..Height - 1.
    TSpan Rows(int Height) const;
    // The frame bounds cut to where a picture of Width x Height lies (a
    // pixel round it included); Left > Right when it lies nowhere inside.
    struct TBounds {
        double Left = 0;
        double Top = 0;
        double Right = -1;
        double Bottom = -1;
    };
    TBounds OverPicture(int Width, int Height) const;
};

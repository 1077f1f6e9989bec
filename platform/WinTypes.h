#pragma once

#include <cstdint>

// Plain point and rectangle records. Right and Bottom are stored values, not
// Left + Width - 1 as with QRect.
struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// An image position that may fall between pixels; pixel centres are whole.
struct TPointF {
    double X = 0;
    double Y = 0;
    friend bool operator==(const TPointF&, const TPointF&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Colour as 0x00BBGGRR: red in the lowest byte.
using TColor = std::int32_t;

// The red, green and blue bytes of a colour; the high byte is ignored.
constexpr std::uint32_t ColourRgb(TColor c)
{
    const auto v = static_cast<std::uint32_t>(c);
    return 0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}
